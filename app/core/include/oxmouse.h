// The mouse gestures on the scope picture, without a window system: the main window's
// glue hands in presses, moves, releases, double clicks and wheel notches in picture
// pixels together with the UI thread's copy of the records.
//
// - Left drag on a marker moves its setting with the pointer (the undo slot is filled once,
//   at the first change); the marker is highlighted while the pointer is over it, and
//   once the pointer leaves it after a drag the highlight ends 2 s later (timer 1).
// - Middle drag, or Shift + left drag, on the graticule draws a zoom box; with Ctrl as
//   well it zooms both channels. The box becomes the screen when the button is released.
// - Double click on a trace marker: that trace's offset back to 0.
// - Wheel over a marker: one pixel per notch, one division with Shift. Over the graticule
//   the wheel does nothing.
// - The right button is left to the window's context menu.
//
// A drag posts one value at a time: the next waits until the I/O thread has handled the
// last one, and a newer value replaces one still waiting, so a fast drag never fills the
// queue however slow the instrument answers.
#pragma once

#include "cwnd.h"
#include "oxacq.h"
#include "oxmarkers.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace oxmouse {

enum class Button : std::uint8_t { None, Left, Middle, Right };

struct Keys {
    bool shift = false;
    bool ctrl = false;
};

// Posts through the queue naming itself, so it hears when each has been handled; posts
// made while one is in the queue wait here, a replaceable one giving way to its successor.
class PostPacer final : public CWnd {
public:
    PostPacer() = default;
    ~PostPacer() override { Unregister(); }
    // `replaceable`: a newer post of the same command may take its place while it waits.
    void Post(const oxact::Post& post, bool replaceable);
    [[nodiscard]] bool Idle() const { return !inFlight_ && waiting_.empty(); }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct Waiting {
        oxact::Post post;
        bool replaceable;
    };
    void Send(const oxact::Post& post);
    std::vector<Waiting> waiting_;
    bool inFlight_ = false;
};

inline constexpr int kHighlightHoldMs = 2000;     // timer 1
inline constexpr std::int64_t kWheelRunMs = 1000; // notches this close are one gesture

class ScopeMouse {
public:
    // `highlightTimer(true)` starts timer 1, `(false)` stops it; the highlight itself is a
    // request the I/O thread applies to the region record.
    ScopeMouse(oxacq::AcqRequests& requests, std::function<void(bool)> highlightTimer);
    ~ScopeMouse();
    ScopeMouse(const ScopeMouse&) = delete;
    ScopeMouse& operator=(const ScopeMouse&) = delete;

    void Press(const oxacq::RecordView& view, OX_POINT p, Button button, Keys keys);
    void Move(const oxacq::RecordView& view, OX_POINT p);
    void Release(const oxacq::RecordView& view, OX_POINT p, Button button);
    void DoubleClick(const oxacq::RecordView& view, OX_POINT p, Button button);
    void Wheel(const oxacq::RecordView& view, OX_POINT p, int notches, Keys keys,
               std::int64_t nowMs);
    // The pointer left the picture.
    void Leave();
    // Forgets a gesture whose release never came (the window lost the mouse meanwhile).
    void Cancel();

    // The zoom box being drawn, for the window to show.
    [[nodiscard]] std::optional<OX_RECT> ZoomShown() const;
    [[nodiscard]] Marker Highlighted() const { return highlighted_; }
    [[nodiscard]] bool Dragging() const { return drag_ != nullptr; }

private:
    struct Drag;
    struct ZoomDrag {
        Zoom zoom;
        OX_POINT from, to;
        bool both;
    };
    struct WheelRun {
        std::unique_ptr<oxacq::RecordView> start;
        Marker marker;
        bool coarse = false;
        int notches = 0;
        std::int64_t lastMs = 0;
    };
    void StartDrag(const oxacq::RecordView& view, Marker marker, OX_POINT p);
    void MoveTo(const std::optional<oxact::Post>& post, bool& undoSaved);
    // The pointer is over `marker` (or over none) without a button down.
    void PointAt(Marker marker);
    void Highlight(Marker marker);
    void Unhighlight();

    oxacq::AcqRequests& requests_;
    std::function<void(bool)> highlightTimer_;
    PostPacer pacer_;
    std::unique_ptr<Drag> drag_;
    std::optional<ZoomDrag> zoom_;
    WheelRun wheel_;
    Marker highlighted_;
    bool afterDrag_ = false; // the highlighted marker was just dragged
};

} // namespace oxmouse
