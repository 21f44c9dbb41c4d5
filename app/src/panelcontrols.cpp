#include "panelcontrols.h"

#include "instrumentstyle.h"
#include "oxdisplay.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace oxapp {
namespace {

using oxact::ActionId;
using oxbow::ui::InstrumentColours;
using oxfield::FieldId;

QColor Colour(std::uint32_t rgb) {
    return QColor::fromRgb(static_cast<QRgb>(rgb));
}

void StyleButton(CButtonST& button, const QColor& foreground, int fontSize, QSize minimum) {
    button.SetColor(CButtonST::BTNST_COLOR_FG_OUT, foreground, false);
    button.SetColor(CButtonST::BTNST_COLOR_FG_IN, foreground, false);
    button.SetColor(CButtonST::BTNST_COLOR_FG_FOCUS, foreground, false);
    button.setFont(oxbow::ui::ReadoutFont(fontSize));
    button.setMinimumSize(minimum);
    button.setFocusPolicy(Qt::NoFocus);
}

// How much of its colour a button takes while its setting is on.
constexpr double kOnTint = 0.35;

QColor Blend(const QColor& base, const QColor& tint, double share) {
    const auto mix = [share](int a, int b) { return static_cast<int>(a + (b - a) * share); };
    return QColor(mix(base.red(), tint.red()), mix(base.green(), tint.green()),
                  mix(base.blue(), tint.blue()));
}

constexpr QSize kButtonSize{56, 28};
constexpr QSize kLineButtonSize{38, 24};

QGroupBox* Section(const QString& title, const QColor& colour, QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    box->setFont(oxbow::ui::ReadoutFont(12));
    QPalette palette = box->palette();
    palette.setColor(QPalette::WindowText, colour);
    box->setPalette(palette);
    return box;
}

ActionId LaLine(int line) {
    return static_cast<ActionId>(static_cast<int>(ActionId::LaLine0) + line);
}

} // namespace

PanelControls::PanelControls(ActionBinder& actions, ViewSource freshView, QWidget* parent)
    : QWidget(parent), actions_(actions), freshView_(std::move(freshView)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(RunSection());
    auto* channels = new QHBoxLayout;
    channels->addWidget(ChannelSection(0));
    channels->addWidget(ChannelSection(1));
    layout->addLayout(channels);
    layout->addWidget(HorizontalSection());
    layout->addWidget(TriggerSection());
    layout->addWidget(AnalyzerSection());
    layout->addStretch(1);
}

CButtonST* PanelControls::Place(ActionId id, const QColor& colour) {
    CButtonST* button = actions_.Button(id);
    StyleButton(*button, colour, 13, kButtonSize);
    const oxact::ActionRow& row = oxact::Row(id);
    if (row.checked != nullptr) {
        button->SetBtnType(CButtonST::BTNST_CHECK);
        const QColor rest = button->GetColor(CButtonST::BTNST_COLOR_BK_OUT);
        toggles_.push_back({&row, button, rest, Blend(rest, colour, kOnTint)});
    }
    return button;
}

ValueField* PanelControls::MakeField(FieldId id, const QColor& colour) {
    auto* field = new ValueField(oxfield::Field(id), colour, *this, this);
    fields_.push_back(field);
    return field;
}

QWidget* PanelControls::RunSection() {
    auto* box = new QWidget(this);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(Place(ActionId::Run, InstrumentColours::Green));
    row->addWidget(Place(ActionId::Stop, InstrumentColours::Red));
    row->addWidget(Place(ActionId::Single, InstrumentColours::Yellow));
    row->addWidget(Place(ActionId::Auto, InstrumentColours::Text));
    row->addWidget(Place(ActionId::MeasurePanel, InstrumentColours::Text));
    return box;
}

QWidget* PanelControls::ChannelSection(int channel) {
    struct Controls {
        ActionId display, up, down;
        FieldId scale, offset;
    };
    static constexpr Controls kChannels[] = {
        {ActionId::Ch1Display, ActionId::Ch1ScaleUp, ActionId::Ch1ScaleDown, FieldId::Ch1Scale,
         FieldId::Ch1Offset},
        {ActionId::Ch2Display, ActionId::Ch2ScaleUp, ActionId::Ch2ScaleDown, FieldId::Ch2Scale,
         FieldId::Ch2Offset},
    };
    const Controls& c = kChannels[channel];
    const QColor colour = Colour(oxdisplay::kChannelColour[channel]);
    QGroupBox* box = Section(channel == 0 ? "CH1" : "CH2", colour, this);
    auto* grid = new QGridLayout(box);
    grid->setSpacing(4);
    grid->addWidget(Place(c.display, colour), 0, 0, 1, 2);
    grid->addWidget(MakeField(c.scale, colour), 1, 0, 1, 2);
    grid->addWidget(Place(c.up, colour), 2, 0);
    grid->addWidget(Place(c.down, colour), 2, 1);
    grid->addWidget(MakeField(c.offset, colour), 3, 0, 1, 2);
    return box;
}

QWidget* PanelControls::HorizontalSection() {
    const QColor text = InstrumentColours::Text;
    QGroupBox* box = Section("HORIZONTAL", text, this);
    auto* grid = new QGridLayout(box);
    grid->setSpacing(4);
    grid->addWidget(MakeField(FieldId::TimeScale, text), 0, 0, 2, 1);
    grid->addWidget(Place(ActionId::TimeScaleUp, text), 0, 1);
    grid->addWidget(Place(ActionId::TimeScaleDown, text), 1, 1);
    grid->addWidget(MakeField(FieldId::TimeOffset, text), 2, 0, 2, 1);
    grid->addWidget(Place(ActionId::MainDelayed, text), 2, 1);
    grid->addWidget(Place(ActionId::HorizontalPanel, text), 3, 1);
    grid->setColumnStretch(0, 1);
    return box;
}

QWidget* PanelControls::TriggerSection() {
    const QColor colour = Colour(oxdisplay::kTrigLevelColour);
    QGroupBox* box = Section("TRIGGER", colour, this);
    auto* grid = new QGridLayout(box);
    grid->setSpacing(4);
    grid->addWidget(MakeField(FieldId::TrigLevel, colour), 0, 0);
    grid->addWidget(MakeField(FieldId::TrigLevelLow, colour), 1, 0);
    grid->addWidget(Place(ActionId::TriggerPanel, colour), 0, 1, 2, 1);
    grid->setColumnStretch(0, 1);
    return box;
}

QWidget* PanelControls::AnalyzerSection() {
    const QColor colour = Colour(oxdisplay::kLaColour);
    QGroupBox* box = Section("LOGIC ANALYZER", colour, this);
    auto* grid = new QGridLayout(box);
    grid->setSpacing(3);
    constexpr int kLinesPerRow = 8;
    grid->addWidget(Place(ActionId::LaEnable, colour), 0, 0, 2, 1);
    for (int line = 0; line < oxcmd::code::kDigitalLines; ++line) {
        CButtonST* button = Place(LaLine(line), colour);
        StyleButton(*button, colour, 11, kLineButtonSize);
        grid->addWidget(button, line / kLinesPerRow, 1 + line % kLinesPerRow);
    }
    return box;
}

void PanelControls::Refresh(const oxacq::RecordView& view) {
    for (ValueField* field : fields_)
        field->Refresh(view);
    for (Toggle& t : toggles_) {
        // A click has flipped the button already; the record says what it is.
        const bool on = t.row->checked(view.setup);
        t.button->setChecked(on);
        if (on == t.lit) continue;
        t.lit = on;
        t.button->SetColor(CButtonST::BTNST_COLOR_BK_OUT, on ? t.on : t.rest);
    }
}

ValueField* PanelControls::Field(FieldId id) const {
    for (ValueField* field : fields_)
        if (field->Row().id == id) return field;
    return nullptr;
}

void PanelControls::Carry(const oxact::Plan& plan) {
    // A post the full queue did not take has put its own message on the screen.
    static_cast<void>(oxact::Perform(plan, nullptr));
}

} // namespace oxapp
