// The mouse on the scope view: its presses, moves, releases, double clicks and wheel
// notches go to the gestures of oxmouse::ScopeMouse in picture pixels, and the zoom box
// being drawn is shown over the picture. The view's events are only watched, never taken,
// so the right button still reaches the window's context menu.
#pragma once

#include "oxmouse.h"
#include "scopeview.h"

#include <QObject>

#include <functional>

class QRubberBand;

namespace oxapp {

class ScopeMouseInput final : public QObject {
public:
    // `records` returns the window's newest copy of the records; `highlightTimer` starts
    // (true) or stops timer 1.
    ScopeMouseInput(oxbow::ui::ScopeView& view, std::function<const oxacq::RecordView&()> records,
                    oxacq::AcqRequests& requests, std::function<void(bool)> highlightTimer);

    oxmouse::ScopeMouse& Gestures() { return gestures_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnWheel(const QPoint& at, int delta, Qt::KeyboardModifiers modifiers);
    void ShowZoom();

    oxbow::ui::ScopeView& view_;
    std::function<const oxacq::RecordView&()> records_;
    oxmouse::ScopeMouse gestures_;
    QRubberBand* band_;
    int wheelRest_ = 0; // part of a notch left over from fine-grained wheels
};

} // namespace oxapp
