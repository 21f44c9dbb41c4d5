#include "oxbowapp.h"

#include "oxbowdlg.h"
#include "processobjects.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

namespace oxapp {

int COxbowApp::InitInstance() {
    oxbow::ui::ApplyInstrumentStyle(app_);
    oxbow::ui::UiThread ui;
    oxbow::ui::ScopedQtMessageRoute route(ui);
    oxbow::ui::QtDisplayLayer display(ui);
    oxbow::DisplayLayer* previousDisplay = oxbow::InstallDisplayLayer(&display);
    int code = 0;
    {
        ProcessObjects objects(line_);
        COxbowDlg dlg(objects, ui);
        oxbow::ui::QtMessageBoxes boxes(ui, &dlg);
        oxbow::ScopedMessageBoxes installed(boxes);
        display.SetMainWindow(&dlg);
        if (line_.quitAfterMs >= 0) {
            // Unattended: save the picture as it stands, then end like the Close button.
            QTimer::singleShot(line_.quitAfterMs, &dlg, [&dlg, this] {
                if (!line_.screenshot.empty() && !dlg.SaveScreenshot(QString::fromStdString(line_.screenshot)))
                    std::fprintf(stderr, "oxbow: could not write %s\n", line_.screenshot.c_str());
                dlg.Panel().Exit();
            });
        }
        code = dlg.exec();
    }
    oxbow::InstallDisplayLayer(previousDisplay);
    return code;
}

} // namespace oxapp
