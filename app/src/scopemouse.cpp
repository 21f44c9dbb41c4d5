#include "scopemouse.h"

#include <QDateTime>
#include <QMouseEvent>
#include <QRubberBand>
#include <QWheelEvent>

namespace oxapp {
namespace {

constexpr int kWheelNotch = 120; // angle delta of one notch

oxmouse::Button ButtonOf(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return oxmouse::Button::Left;
    case Qt::MiddleButton:
        return oxmouse::Button::Middle;
    case Qt::RightButton:
        return oxmouse::Button::Right;
    default:
        return oxmouse::Button::None;
    }
}

oxmouse::Keys KeysOf(Qt::KeyboardModifiers modifiers) {
    return {modifiers.testFlag(Qt::ShiftModifier), modifiers.testFlag(Qt::ControlModifier)};
}

OX_POINT ToPoint(const QPoint& p) {
    return {p.x(), p.y()};
}

} // namespace

ScopeMouseInput::ScopeMouseInput(oxbow::ui::ScopeView& view,
                                 std::function<const oxacq::RecordView&()> records,
                                 oxacq::AcqRequests& requests,
                                 std::function<void(bool)> highlightTimer)
    : QObject(&view), view_(view), records_(std::move(records)),
      gestures_(requests, std::move(highlightTimer)),
      band_(new QRubberBand(QRubberBand::Rectangle, &view)) {
    view_.setMouseTracking(true); // the marker under the pointer is highlighted
    view_.installEventFilter(this);
}

bool ScopeMouseInput::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &view_) return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const OX_POINT at = ToPoint(view_.ToPicture(mouse->position().toPoint()));
        const oxmouse::Button button = ButtonOf(mouse->button());
        if (event->type() == QEvent::MouseButtonPress) {
            // With no other button down, a gesture still open lost its release.
            if (mouse->buttons() == mouse->button()) gestures_.Cancel();
            gestures_.Press(records_(), at, button, KeysOf(mouse->modifiers()));
        } else if (event->type() == QEvent::MouseButtonRelease)
            gestures_.Release(records_(), at, button);
        else if (event->type() == QEvent::MouseButtonDblClick)
            gestures_.DoubleClick(records_(), at, button);
        else
            gestures_.Move(records_(), at);
        ShowZoom();
        break;
    }
    case QEvent::Wheel: {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        const QPoint delta = wheel->angleDelta();
        // Some desktops turn Shift + wheel into a sideways wheel.
        OnWheel(wheel->position().toPoint(), delta.y() != 0 ? delta.y() : delta.x(),
                wheel->modifiers());
        break;
    }
    case QEvent::Leave:
        gestures_.Leave();
        break;
    default:
        break;
    }
    return false;
}

void ScopeMouseInput::OnWheel(const QPoint& at, int delta, Qt::KeyboardModifiers modifiers) {
    wheelRest_ += delta;
    const int notches = wheelRest_ / kWheelNotch;
    wheelRest_ -= notches * kWheelNotch;
    if (notches == 0) return;
    gestures_.Wheel(records_(), ToPoint(view_.ToPicture(at)), notches, KeysOf(modifiers),
                    QDateTime::currentMSecsSinceEpoch());
}

void ScopeMouseInput::ShowZoom() {
    const std::optional<OX_RECT> box = gestures_.ZoomShown();
    if (!box) {
        band_->hide();
        return;
    }
    band_->setGeometry(QRect(view_.FromPicture({box->left, box->top}),
                             view_.FromPicture({box->right, box->bottom})));
    band_->show();
}

} // namespace oxapp
