// The front panel beside the scope view, laid out like an instrument's: run control, a
// column per channel in its trace colour, the horizontal and trigger sections, and the
// logic analyzer with its sixteen lines. The buttons are the action table's (built by
// ActionBinder); the value fields are the field table's.
#pragma once

#include "actionbinder.h"
#include "valuefield.h"

#include <QWidget>

#include <functional>
#include <vector>

namespace oxapp {

class PanelControls : public QWidget, public ValueField::Host {
public:
    using ViewSource = std::function<const oxacq::RecordView&()>;

    // `freshView` refreshes and returns the window's copy of the records.
    PanelControls(ActionBinder& actions, ViewSource freshView, QWidget* parent);

    // The fields and the buttons' pressed looks from the window's copy of the records.
    void Refresh(const oxacq::RecordView& view);
    ValueField* Field(oxfield::FieldId id) const;

    const oxacq::RecordView& FreshView() override { return freshView_(); }
    void Carry(const oxact::Plan& plan) override;

private:
    CButtonST* Place(oxact::ActionId id, const QColor& colour);
    ValueField* MakeField(oxfield::FieldId id, const QColor& colour);
    QWidget* RunSection();
    QWidget* ChannelSection(int channel);
    QWidget* HorizontalSection();
    QWidget* TriggerSection();
    QWidget* AnalyzerSection();

    ActionBinder& actions_;
    ViewSource freshView_;
    std::vector<ValueField*> fields_;
    // Buttons of settings that are on or off: tinted in their colour while on.
    struct Toggle {
        const oxact::ActionRow* row;
        CButtonST* button;
        QColor rest;
        QColor on;
        bool lit = false; // drawn as on
    };
    std::vector<Toggle> toggles_;
};

} // namespace oxapp
