#include "oxbowapp.h"

#include "measurecsv.h"
#include "oxbowdlg.h"
#include "processobjects.h"
#include "session.h"
#include "stopsignals.h"
#include "storage.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

namespace oxapp {

std::string MeasurementTable(COxbowDlg& dlg, const std::vector<std::string>& names) {
    oxmeasure::MeasureView measured;
    dlg.GetSession().Measurements().Refresh(measured);
    const auto records = std::make_unique<oxacq::RecordView>();
    dlg.GetSession().Snapshot().Refresh(*records);
    return MeasureCsv(names, records->setup, measured);
}

int COxbowApp::InitInstance() {
    oxbow::ui::ApplyInstrumentStyle(app_);
    oxbow::ui::UiThread ui;
    oxbow::ui::ScopedQtMessageRoute route(ui);
    oxbow::ui::QtDisplayLayer display(ui);
    oxbow::DisplayLayer* previousDisplay = oxbow::InstallDisplayLayer(&display);
    int code = 0;
    bool fileNotWritten = false;
    {
        ProcessObjects objects(line_);
        COxbowDlg dlg(objects, ui);
        oxbow::ui::QtMessageBoxes boxes(ui, &dlg);
        oxbow::ScopedMessageBoxes installed(boxes);
        display.SetMainWindow(&dlg);
        // Ending from outside: whatever question is up gets its safe answer, then the
        // normal shutdown.
        const auto quit = [&boxes, &dlg] {
            boxes.DismissAll();
            dlg.RequestQuit();
        };
        StopSignals stopSignals(quit);
        if (!line_.measure.empty()) {
            dlg.GetSession().Measurements().SetWanted(oxmeasure::Measurer::Reader::CommandLine,
                                                      true);
        }
        if (line_.quitAfterMs >= 0) {
            // Unattended: save the picture as it stands, then end like the Close button.
            QTimer::singleShot(line_.quitAfterMs, &dlg, [&dlg, &fileNotWritten, quit, this] {
                if (!line_.screenshot.empty() &&
                    !dlg.SaveScreenshot(QString::fromStdString(line_.screenshot))) {
                    std::fprintf(stderr, "oxbow: could not write %s\n", line_.screenshot.c_str());
                    fileNotWritten = true;
                }
                if (!line_.measure.empty()) {
                    std::fputs(MeasurementTable(dlg, line_.measure).c_str(), stdout);
                    std::fflush(stdout);
                }
                if (!line_.SavesFiles()) {
                    quit();
                    return;
                }
                dlg.Storage().SaveAtEnd(line_, [&fileNotWritten, quit](bool written) {
                    if (!written) fileNotWritten = true;
                    quit();
                });
            });
        }
        code = dlg.exec();
        if (code == kExitCode && !dlg.SettingsWritten()) {
            std::fprintf(stderr, "oxbow: could not write the settings file\n");
            code = kExitSettingsNotWritten;
        }
    }
    oxbow::InstallDisplayLayer(previousDisplay);
    return fileNotWritten ? kExitScreenshotNotWritten : code;
}

} // namespace oxapp
