#include "qtplatform.h"

namespace oxbow::ui {

QtPlatform::QtPlatform(QWidget* mainWindow)
    : m_route(m_ui), m_boxes(m_ui, mainWindow), m_display(m_ui),
      m_previousBoxes(InstallMessageBoxes(&m_boxes)),
      m_previousDisplay(InstallDisplayLayer(&m_display)) {
    m_display.SetMainWindow(mainWindow);
}

QtPlatform::~QtPlatform() {
    m_ui.BeginShutdown();
    InstallDisplayLayer(m_previousDisplay);
    InstallMessageBoxes(m_previousBoxes);
}

void QtPlatform::SetMainWindow(QWidget* window) {
    m_boxes.SetParent(window);
    m_display.SetMainWindow(window);
}

} // namespace oxbow::ui
