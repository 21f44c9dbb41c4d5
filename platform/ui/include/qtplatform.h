// The Qt platform layers in one object, for the program's start and end: constructed on
// the UI thread before the workers start, it installs the CWnd route, the message boxes
// and the display layer; BeginShutdown refuses blocking calls from workers (call it
// before stopping and joining them); destruction, after the join, puts the defaults back.
#pragma once

#include "qtdisplaylayer.h"
#include "qtmessageboxes.h"
#include "qtmessageroute.h"
#include "uithread.h"

namespace oxbow::ui {

class QtPlatform {
public:
    explicit QtPlatform(QWidget* mainWindow = nullptr);
    ~QtPlatform();
    QtPlatform(const QtPlatform&) = delete;
    QtPlatform& operator=(const QtPlatform&) = delete;

    // The window message boxes belong to and that the 800 x 600 view shows full-screen.
    void SetMainWindow(QWidget* window);
    void BeginShutdown() { m_ui.BeginShutdown(); }

    UiThread& Ui() { return m_ui; }
    QtMessageBoxes& Boxes() { return m_boxes; }
    QtDisplayLayer& Display() { return m_display; }

private:
    UiThread m_ui;
    ScopedQtMessageRoute m_route;
    QtMessageBoxes m_boxes;
    QtDisplayLayer m_display;
    MessageBoxes* m_previousBoxes;
    DisplayLayer* m_previousDisplay;
};

} // namespace oxbow::ui
