#include "entrydialogs.h"

#include "fancyctl.h"
#include "instrumentstyle.h"
#include "oxcommon.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

#include <cmath>

using oxbow::ui::InstrumentColours;

namespace {

double PrefixFactor(const QString& prefix) {
    if (prefix.isEmpty()) return 1.0;
    switch (prefix.at(0).unicode()) {
    case 'f':
        return 1e-15;
    case 'p':
        return 1e-12;
    case 'n':
        return 1e-9;
    case 'u':
    case 0x00b5: // micro sign
    case 0x03bc: // Greek mu
        return 1e-6;
    case 'm':
        return 1e-3;
    case 'k':
    case 'K':
        return 1e3;
    case 'M':
        return 1e6;
    case 'G':
        return 1e9;
    default: // 'T'
        return 1e12;
    }
}

QString Refusal(const QString& text) {
    return QStringLiteral("\"%1\" is not a number. Enter a value such as 2.5m, 500u or 1k.")
        .arg(text);
}

// The entry dialog: the value field, a line for the reason a text was refused, OK and Cancel.
class OptionDlg final : public CCommonDlg {
public:
    OptionDlg(double current, int digits, int decimals, int finest, const QString& title,
              QWidget* parent)
        : CCommonDlg(0, parent), m_digits(digits), m_finest(finest) {
        setWindowTitle(title);
        std::string printed;
        GetValidDataStr(printed, current, digits, decimals, finest);
        m_field = new QLineEdit(QString::fromStdString(printed), this);
        m_field->selectAll();
        m_reason = new QLabel(this);
        m_reason->setWordWrap(true);
        QPalette warning = m_reason->palette();
        warning.setColor(QPalette::WindowText, InstrumentColours::Yellow);
        m_reason->setPalette(warning);
        m_reason->hide();
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        connect(buttons, &QDialogButtonBox::accepted, this, &OptionDlg::Confirm);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(m_field);
        layout->addWidget(m_reason);
        layout->addWidget(buttons);
        setMinimumWidth(260);
    }

    double Value() const { return m_value; }

private:
    void Confirm() {
        QString error;
        const std::optional<double> value = ParseEngineeringValue(m_field->text(), &error);
        if (!value) {
            m_reason->setText(error);
            m_reason->show();
            m_field->setFocus();
            m_field->selectAll();
            return;
        }
        m_value = GetValidData(*value, m_digits, m_finest);
        accept();
    }

    int m_digits;
    int m_finest;
    double m_value = 0.0;
    QLineEdit* m_field;
    QLabel* m_reason;
};

} // namespace

std::optional<double> ParseEngineeringValue(const QString& text, QString* error) {
    static const QRegularExpression pattern(
        QStringLiteral("^([+-]?(?:\\d+\\.?\\d*|\\.\\d+)(?:[eE][+-]?\\d+)?)\\s*"
                       "([fpnu\\x{00b5}\\x{03bc}mkKMGT]?)(?:s|V|Hz|A|W)?$"));
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        if (error) *error = QStringLiteral("Enter a value.");
        return std::nullopt;
    }
    const QRegularExpressionMatch match = pattern.match(trimmed);
    if (!match.hasMatch()) {
        if (error) *error = Refusal(trimmed);
        return std::nullopt;
    }
    bool ok = false;
    const double number = match.captured(1).toDouble(&ok);
    const double value = number * PrefixFactor(match.captured(2));
    if (!ok || !std::isfinite(value)) {
        if (error) *error = QStringLiteral("\"%1\" is too large.").arg(trimmed);
        return std::nullopt;
    }
    return value;
}

bool ShowOptionDlg(double& value, double current, int digits, int decimals, int finest,
                   const QString& title, QWidget* parent) {
    OptionDlg dialog(current, digits, decimals, finest, title, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    value = dialog.Value();
    return true;
}
