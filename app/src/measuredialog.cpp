#include "measuredialog.h"

#include "gauger.h"
#include "ox_queue.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace oxapp {
namespace {

bool IsDelay(int code) {
    return code >= static_cast<int>(gauger::Measure::RisingDelay);
}

QString TitleOf(int code) {
    const gauger::MeasureInfo* info = gauger::GetMeasureInfo(code);
    return info != nullptr ? QString(info->name) : QString("All Measurement");
}

} // namespace

MeasureSourceDialog::MeasureSourceDialog(QWidget* parent, int code, const _OX_SETUP& setup)
    : QDialog(parent) {
    setWindowTitle(TitleOf(code));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox("Auto Measurement", this);
    auto* form = new QFormLayout(group);
    form->addRow("Type", new QLabel(code == kAllMeasurements ? QString("All") : TitleOf(code)));
    sources_ = new QComboBox(group);
    sources_->setObjectName("MEASURE_SOURCE");
    for (int ch = 0; ch < 2; ++ch) {
        if (setup.bChanDisplay[ch]) sources_->addItem(QString::asprintf("%s%d", "CH", ch + 1), ch);
    }
    if (sources_->count() == 0) sources_->addItem(QString());
    sources_->setEnabled(!IsDelay(code));
    form->addRow("Source", sources_);
    layout->addWidget(group);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QDialogButtonBox::Ok)->setObjectName("MEASURE_OK");
    buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    buttons->addButton("Close", QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

std::optional<int> MeasureSourceDialog::Source() const {
    const QVariant channel = sources_->currentData();
    if (!channel.isValid()) return std::nullopt;
    return channel.toInt();
}

std::optional<int> RunMeasureSourceDialog(QWidget* parent, int code, const _OX_SETUP& setup) {
    MeasureSourceDialog dialog(parent, code, setup);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const std::optional<int> source = dialog.Source();
    if (!source) return std::nullopt;
    const bool posted =
        code == kAllMeasurements
            ? OxPostInt(oxcmd::group::kMeasure, oxcmd::measure::kAddAll, 0, *source)
            : OxPostInt(oxcmd::group::kMeasure, oxcmd::measure::kAdd, *source, code);
    return posted ? source : std::nullopt;
}

} // namespace oxapp
