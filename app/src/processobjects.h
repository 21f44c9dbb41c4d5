// The objects that live for the whole process, created before the main window: the
// three shared records, the LAN socket, the one lock of the workers, the command line and,
// with --sim, the simulated instrument behind the USB back end, its setup restored from
// the state file unless --sim-fresh.
#pragma once

#include "commandline.h"
#include "cwinsocket.h"
#include "ox_records.h"
#include "oxsim.h"

#include <filesystem>
#include <memory>
#include <mutex>

namespace oxapp {

struct ProcessObjects {
    explicit ProcessObjects(CommandLine commandLine);
    ~ProcessObjects();
    ProcessObjects(const ProcessObjects&) = delete;
    ProcessObjects& operator=(const ProcessObjects&) = delete;

    CommandLine line;
    std::unique_ptr<_OX_SETUP> setup;
    std::unique_ptr<_OX_RGN_SETUP> region;
    std::unique_ptr<_OX_POS_SETUP> positions;
    CWinSocket socket;
    std::timed_mutex lock;
    // --sim: the instrument and its USB endpoint, attached to the sim back end.
    std::unique_ptr<oxbow::sim::Instrument> instrument;
    std::unique_ptr<oxbow::sim::UsbSimEndpoint> endpoint;

    // --sim: writes the instrument's setup to SimStatePath(); a failure is reported on
    // standard error. Called at the normal shutdown, once the workers are joined.
    void SaveSimState() const;
};

// Where the simulated instrument keeps its setup: beside Oxbow's settings.
std::filesystem::path SimStatePath();

// Applies the command line to the default setup: the LAN address and interface.
void ApplyLinkChoice(const CommandLine& line, _OX_SETUP& setup);

} // namespace oxapp
