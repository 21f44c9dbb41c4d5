// A value field of the front panel: its caption over the value it shows, refreshed from
// the UI thread's copy of the records. A click or Enter opens the numeric entry; the mouse
// wheel (and the Up/Down keys) step the value, Shift for the coarse step. What a field
// shows and posts is its row of the field table (oxfields.h). The field that has the
// keyboard focus is drawn with a frame in the focus colour.
#pragma once

#include "oxfields.h"
#include "oxsnapshot.h"

#include <QElapsedTimer>
#include <QFrame>

class QLabel;

namespace oxapp {

class ValueField : public QFrame {
    Q_OBJECT
public:
    // Width in pixels of the frame drawn around the field that has the keyboard focus.
    static constexpr int kFocusFrame = 2;

    // What a field needs from the window.
    class Host {
    public:
        // The newest copy of the records, refreshed for the decision at hand.
        virtual const oxacq::RecordView& FreshView() = 0;
        // Posts the plan or shows its refusal.
        virtual void Carry(const oxact::Plan& plan) = 0;

    protected:
        ~Host() = default;
    };

    ValueField(const oxfield::FieldRow& row, const QColor& colour, Host& host, QWidget* parent);

    const oxfield::FieldRow& Row() const { return row_; }
    QString Text() const;
    // Caption, value and greyed state from `view`.
    void Refresh(const oxacq::RecordView& view);
    // The numeric entry, then the field's command (the undo slot filled first).
    void Enter();
    // One wheel notch.
    void Step(oxfield::Notch notch);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    const oxfield::FieldRow& row_;
    Host& host_;
    QColor colour_;
    QLabel* caption_;
    QLabel* value_;
    // A wheel gesture: notches less than kGestureGapMs apart. Its first notch fills the undo
    // slot and steps from the value shown; the later ones step from the value last posted,
    // which the copy of the records may not show yet (a value the instrument limited is
    // taken up again after the gesture).
    QElapsedTimer sinceNotch_;
    double posted_ = 0;
    int wheelRest_ = 0; // angle of a partial notch (high-resolution wheels)
};

} // namespace oxapp
