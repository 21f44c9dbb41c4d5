// Session: what the main window runs on — the command-layer adapter, the acquisition, the
// display engine with the program's reference and mask buffers, the three workers and the
// start-up/shutdown logic (oxacq::Shell). Created with the window, started by its
// initialisation, stopped (workers joined) before anything it owns is freed.
#pragma once

#include "oxmeasure.h"
#include "oxshell.h"
#include "oxsnapshot.h"
#include "oxstorage.h"

#include <memory>
#include <vector>

class CWnd;

namespace oxapp {

struct ProcessObjects;

class Session {
public:
    Session(ProcessObjects& objects, CWnd& mainWindow);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Start-up step 4: the display engine and its surfaces, presenting to `present`.
    bool CreateSurfaces(oxdisplay::PresentTarget* present);
    // Start-up steps 6 to 11: device count, command layer, FFT, identification, settings,
    // the link chosen on the command line, the workers.
    void StartUp();

    oxacq::Shell& Shell() { return shell_; }
    oxacq::Workers& Workers() { return workers_; }
    oxacq::Acquisition& Acquisition() { return acquisition_; }
    oxdisplay::DisplayEngine* Engine() { return engine_.get(); }
    // Loads and save copies on the I/O thread.
    oxacq::FileExchange& Files() { return files_; }

    // Timer requests the I/O thread applies under the lock.
    oxacq::AcqRequests& Requests() { return acquisition_.Requests(); }
    // The UI thread's copy of the records, published by the I/O thread after every display
    // tick and before every completion message.
    const oxacq::RecordSnapshot& Snapshot() const { return snapshot_; }
    // The automatic measurements and read-out values, published by the I/O thread.
    oxmeasure::Measurer& Measurements() { return measure_; }
    // Publishes the records as they stand: on the I/O thread, or before the workers start.
    void PublishSnapshot();
    // Timer 7: the error text has been shown long enough.
    // Settings written, workers stopped and joined; once.
    bool Shutdown();

private:
    // The display steps of the acquisition: the engine's once it exists (the surfaces
    // are created after the acquisition whose buffers they show), nothing before.
    class EngineSteps;
    oxacq::WorkerJobs PublishingJobs();

    ProcessObjects& objects_;
    CWnd& mainWindow_;
    oxacq::OxbowCommands commands_;
    std::unique_ptr<EngineSteps> steps_;
    oxacq::RecordSnapshot snapshot_; // outlives the workers that publish it
    oxacq::Acquisition acquisition_;
    oxacq::Workers workers_;
    oxacq::Shell shell_;
    oxacq::FileExchange files_;
    std::vector<std::uint8_t> references_;
    std::vector<std::int16_t> maskUpper_;
    std::vector<std::int16_t> maskLower_;
    oxmeasure::Measurer measure_; // outlives the engine that hands over to it
    std::unique_ptr<oxdisplay::DisplayEngine> engine_;
};

} // namespace oxapp
