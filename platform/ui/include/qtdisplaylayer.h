// The display layer on Qt. The user's screen resolution is never changed: the modes
// are the real screen (mode 0) and, when the screen is any other size, the 800 x 600
// view (mode 1), which is the main window shown full-screen with the scope view scaled
// up by whole steps. Applying the 800 x 600 mode shows the main window full-screen,
// applying the screen's own mode restores it; the current mode says which is showing.
#pragma once

#include "displaylayer.h"
#include "uithread.h"

#include <QPointer>
#include <QWidget>

#include <atomic>
#include <functional>

namespace oxbow::ui {

inline constexpr DisplayMode kMaximisedViewMode{800, 600, 0, 0};

class QtDisplayLayer final : public DisplayLayer {
public:
    // `screen` reads the real screen; by default the primary screen of the application.
    explicit QtDisplayLayer(UiThread& ui, std::function<DisplayMode()> screen = {});

    // The window that the 800 x 600 view shows full-screen. Set on the UI thread.
    void SetMainWindow(QWidget* window) { m_window = window; }
    bool Maximised() const { return m_maximised.load(); }

    bool EnumMode(int index, DisplayMode& mode) const override;
    bool CurrentMode(DisplayMode& mode) const override;
    bool ApplyMode(const DisplayMode& mode) override;

    // The primary screen's size, depth and refresh rate; all 0 when there is no screen.
    static DisplayMode PrimaryScreenMode();

private:
    DisplayMode ViewMode(const DisplayMode& screen) const;
    bool ShowMaximised(bool maximised);

    UiThread& m_ui;
    std::function<DisplayMode()> m_screen;
    QPointer<QWidget> m_window;
    QRect m_normalGeometry; // where the window was before the 800 x 600 view
    std::atomic<bool> m_maximised{false};
};

} // namespace oxbow::ui
