#include "qtdisplaylayer.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace oxbow::ui {

QtDisplayLayer::QtDisplayLayer(UiThread& ui, std::function<DisplayMode()> screen)
    : m_ui(ui), m_screen(screen ? std::move(screen) : PrimaryScreenMode) {}

DisplayMode QtDisplayLayer::PrimaryScreenMode() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return {};
    const QSize size = screen->size();
    return {size.width(), size.height(), screen->depth(),
            static_cast<int>(std::lround(screen->refreshRate()))};
}

// The 800 x 600 view keeps the screen's depth and refresh rate, as a real mode would.
DisplayMode QtDisplayLayer::ViewMode(const DisplayMode& screen) const {
    return {kMaximisedViewMode.width, kMaximisedViewMode.height, screen.bitsPerPixel,
            screen.refreshRate};
}

bool QtDisplayLayer::EnumMode(int index, DisplayMode& mode) const {
    const DisplayMode screen = m_screen();
    const DisplayMode view = ViewMode(screen);
    if (screen.width <= 0 || screen.height <= 0) return false;
    if (index == 0) {
        mode = screen;
        return true;
    }
    if (index == 1 && !(view == screen)) {
        mode = view;
        return true;
    }
    return false;
}

bool QtDisplayLayer::CurrentMode(DisplayMode& mode) const {
    const DisplayMode screen = m_screen();
    if (screen.width <= 0 || screen.height <= 0) return false;
    mode = m_maximised.load() ? ViewMode(screen) : screen;
    return true;
}

bool QtDisplayLayer::ApplyMode(const DisplayMode& mode) {
    const DisplayMode screen = m_screen();
    if (mode == screen) return ShowMaximised(false);
    if (mode == ViewMode(screen)) return ShowMaximised(true);
    return false;
}

bool QtDisplayLayer::ShowMaximised(bool maximised) {
    bool shown = false;
    m_ui.Call([&] {
        if (m_window.isNull()) return;
        // The geometry is set as well, for desktops whose window manager (or none) leaves
        // full-screen requests alone.
        if (maximised) {
            if (!m_window->isFullScreen()) m_normalGeometry = m_window->geometry();
            m_window->setGeometry(m_window->screen()->geometry());
            m_window->showFullScreen();
        } else {
            m_window->showNormal();
            if (m_normalGeometry.isValid()) m_window->setGeometry(m_normalGeometry);
        }
        m_maximised.store(maximised);
        shown = true;
    });
    return shown;
}

} // namespace oxbow::ui
