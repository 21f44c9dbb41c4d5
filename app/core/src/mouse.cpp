// The gestures of the scope picture: marker drags, zoom box, double click, wheel steps and
// the marker highlight.
#include "oxmouse.h"

#include "action_posts.h"

#include <utility>

namespace oxmouse {

void PostPacer::Post(const oxact::Post& post, bool replaceable) {
    if (!inFlight_) {
        Send(post);
        return;
    }
    if (replaceable && !waiting_.empty() && waiting_.back().replaceable) {
        const oxact::Post& last = waiting_.back().post;
        if (last.command.command == post.command.command &&
            last.command.value == post.command.value) {
            waiting_.back().post = post;
            return;
        }
    }
    waiting_.push_back({post, replaceable});
}

void PostPacer::Send(const oxact::Post& post) {
    oxact::Post named = post;
    named.namesPanel = true; // this pacer is told when the command has been handled
    inFlight_ = oxact::Perform(oxact::rows::SinglePost(named), this);
}

LRESULT PostPacer::WindowProc(UINT, WPARAM, LPARAM) {
    inFlight_ = false;
    if (!waiting_.empty()) {
        const oxact::Post next = waiting_.front().post;
        waiting_.erase(waiting_.begin());
        Send(next);
    }
    return 0;
}

// A marker drag: the records as they stood at the press, and the last value asked for.
struct ScopeMouse::Drag {
    oxacq::RecordView start;
    Marker marker;
    OX_POINT press{};
    std::optional<oxact::Post> last;
    bool undoSaved = false;
};

ScopeMouse::ScopeMouse(oxacq::AcqRequests& requests, std::function<void(bool)> highlightTimer)
    : requests_(requests), highlightTimer_(std::move(highlightTimer)) {}

ScopeMouse::~ScopeMouse() = default;

void ScopeMouse::Press(const oxacq::RecordView& view, OX_POINT p, Button button, Keys keys) {
    if (drag_ || zoom_) return; // a second button during a gesture changes nothing
    const bool zoomGesture = button == Button::Middle || (button == Button::Left && keys.shift);
    if (zoomGesture) {
        if (const std::optional<Zoom> zoom = ZoomAt(view, p))
            zoom_ = ZoomDrag{*zoom, p, p, keys.ctrl};
        return;
    }
    if (button != Button::Left) return;
    const Marker marker = MarkerAt(view, p);
    if (!marker.Found()) return;
    if (const char* refusal = MoveRefusal(view.setup, marker)) {
        oxact::RefuseAction(refusal);
        return;
    }
    StartDrag(view, marker, p);
}

void ScopeMouse::StartDrag(const oxacq::RecordView& view, Marker marker, OX_POINT p) {
    drag_ = std::make_unique<Drag>();
    drag_->start = view;
    drag_->marker = marker;
    drag_->press = p;
    wheel_.start.reset();
    Highlight(marker);
}

void ScopeMouse::Move(const oxacq::RecordView& view, OX_POINT p) {
    if (zoom_) {
        zoom_->to = p;
        return;
    }
    if (!drag_) {
        PointAt(MarkerAt(view, p));
        return;
    }
    const std::optional<oxact::Post> post =
        MovePost(drag_->start, drag_->marker, p.x - drag_->press.x, p.y - drag_->press.y);
    if (!post || post == drag_->last) return;
    drag_->last = post;
    MoveTo(post, drag_->undoSaved);
}

void ScopeMouse::MoveTo(const std::optional<oxact::Post>& post, bool& undoSaved) {
    if (!undoSaved) {
        pacer_.Post(oxact::rows::SaveUndo(), false);
        undoSaved = true;
    }
    pacer_.Post(*post, true);
}

void ScopeMouse::Release(const oxacq::RecordView& view, OX_POINT p, Button button) {
    if (zoom_ && (button == Button::Middle || button == Button::Left)) {
        zoom_->to = p;
        const ZoomDrag zoom = *zoom_;
        zoom_.reset();
        static_cast<void>(
            PostZoom(view.setup, zoom.zoom, ZoomBox(zoom.zoom, zoom.from, zoom.to), zoom.both));
        return;
    }
    if (!drag_ || button != Button::Left) return;
    // The marker came along with the pointer (the copy of the records may not show it
    // yet): it stays highlighted until the pointer moves off it. Only a marker that moved
    // keeps its highlight a while after that.
    afterDrag_ = drag_->undoSaved;
    drag_.reset();
}

void ScopeMouse::DoubleClick(const oxacq::RecordView& view, OX_POINT p, Button button) {
    if (button != Button::Left) return;
    const Marker marker = MarkerAt(view, p);
    const oxact::Plan plan = ResetPlan(view.setup, marker);
    if (plan.count == 0) return;
    if (const char* refusal = MoveRefusal(view.setup, marker)) {
        oxact::RefuseAction(refusal);
        return;
    }
    static_cast<void>(oxact::Perform(plan, nullptr));
}

void ScopeMouse::Wheel(const oxacq::RecordView& view, OX_POINT p, int notches, Keys keys,
                       std::int64_t nowMs) {
    if (drag_ || zoom_ || notches == 0) return;
    const Marker marker = MarkerAt(view, p);
    if (!marker.Found() || MoveRefusal(view.setup, marker) != nullptr) return;
    // Notches in quick succession on one marker are one gesture, counted from where it
    // stood before the first (the copy of the records lags behind the posts).
    const bool sameRun = wheel_.start && wheel_.marker == marker && wheel_.coarse == keys.shift &&
                         nowMs - wheel_.lastMs <= kWheelRunMs;
    if (!sameRun) {
        wheel_.start = std::make_unique<oxacq::RecordView>(view);
        wheel_.marker = marker;
        wheel_.coarse = keys.shift;
        wheel_.notches = 0;
        pacer_.Post(oxact::rows::SaveUndo(), false);
    }
    wheel_.lastMs = nowMs;
    wheel_.notches += notches;
    const std::optional<oxact::Post> post =
        StepPost(*wheel_.start, marker, wheel_.notches, wheel_.coarse);
    if (post) pacer_.Post(*post, true);
}

void ScopeMouse::Leave() {
    if (!drag_ && !zoom_) PointAt({});
}

void ScopeMouse::Cancel() {
    drag_.reset();
    zoom_.reset();
}

std::optional<OX_RECT> ScopeMouse::ZoomShown() const {
    if (!zoom_) return std::nullopt;
    return ZoomBox(zoom_->zoom, zoom_->from, zoom_->to);
}

void ScopeMouse::PointAt(Marker marker) {
    if (marker == highlighted_) return;
    if (marker.Found()) {
        Highlight(marker);
        return;
    }
    if (afterDrag_) {
        // Left after a drag: the highlight stays until timer 1 clears it.
        highlighted_ = {};
        afterDrag_ = false;
        highlightTimer_(true);
        return;
    }
    Unhighlight();
}

void ScopeMouse::Highlight(Marker marker) {
    highlightTimer_(false);
    highlighted_ = marker;
    afterDrag_ = false;
    requests_.markerHighlightOff = false;
    requests_.markerHighlight = MarkerCode(marker);
}

void ScopeMouse::Unhighlight() {
    highlighted_ = {};
    requests_.markerHighlight = oxacq::kNoHighlightRequest;
    requests_.markerHighlightOff = true;
}

} // namespace oxmouse
