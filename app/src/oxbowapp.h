// COxbowApp: the application object. It installs the Qt platform layers (message route,
// message boxes, display layer, instrument look), builds the main window, runs it
// modally and returns its exit code (18 after an orderly shutdown).
#pragma once

#include "commandline.h"

class QApplication;

namespace oxapp {

class COxbowDlg;

// The --measure table of the newest published measurements.
[[nodiscard]] std::string MeasurementTable(COxbowDlg& dlg, const std::vector<std::string>& names);

class COxbowApp {
public:
    COxbowApp(QApplication& app, CommandLine line) : app_(app), line_(std::move(line)) {}
    // Runs the main window; the process's exit code.
    int InitInstance();

private:
    QApplication& app_;
    CommandLine line_;
};

} // namespace oxapp
