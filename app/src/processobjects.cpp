#include "processobjects.h"

#include "oxbow_ui.h"
#include "settingsstore.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace oxapp {
namespace {

template <typename Record> std::unique_ptr<Record> ZeroedRecord() {
    auto record = std::make_unique<Record>();
    std::memset(static_cast<void*>(record.get()), 0, sizeof(Record));
    return record;
}

// The kept setup, unless the command line asks for the power-up one. A refused file is
// reported and changes nothing.
void RestoreSimState(oxbow::sim::Instrument& instrument, const CommandLine& line) {
    if (line.simFresh) return;
    std::string error;
    if (oxbow::sim::LoadStateFile(instrument, SimStatePath().string(), error) ==
        oxbow::sim::StateFileLoad::Ignored)
        std::fprintf(stderr, "oxbow: simulator state ignored: %s\n", error.c_str());
}

} // namespace

std::filesystem::path SimStatePath() {
    return oxbow::UserConfigDirectory() / "sim-state.bin";
}

ProcessObjects::ProcessObjects(CommandLine commandLine)
    : line(std::move(commandLine)), setup(ZeroedRecord<_OX_SETUP>()),
      region(ZeroedRecord<_OX_RGN_SETUP>()), positions(ZeroedRecord<_OX_POS_SETUP>()) {
    if (!line.sim) return;
    instrument = std::make_unique<oxbow::sim::Instrument>(
        line.instrument, std::make_shared<oxbow::sim::SteadyClock>());
    if (line.ch1) instrument->SetSignal(0, *line.ch1);
    if (line.ch2) instrument->SetSignal(1, *line.ch2);
    if (line.digital) instrument->SetDigital(*line.digital);
    instrument->SetPlotStyle(line.dots);
    RestoreSimState(*instrument, line);
    endpoint = std::make_unique<oxbow::sim::UsbSimEndpoint>(*instrument);
    oxbow::usb::SelectBackend(oxbow::usb::Backend::Sim);
    oxbow::usb::AttachEndpoint(endpoint.get());
}

ProcessObjects::~ProcessObjects() {
    if (endpoint) oxbow::usb::DetachEndpoint();
}

void ProcessObjects::SaveSimState() const {
    if (!instrument) return;
    const std::filesystem::path path = SimStatePath();
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    std::string error;
    if (!oxbow::sim::SaveStateFile(*instrument, path.string(), error))
        std::fprintf(stderr, "oxbow: simulator state not saved: %s\n", error.c_str());
}

void ApplyLinkChoice(const CommandLine& line, _OX_SETUP& setup) {
    if (line.sim) setup.nInterface = oxcmd::code::kUsb;
    if (!line.lan) return;
    setup.nInterface = oxcmd::code::kLan;
    std::memset(setup.szConnectAddress, 0, sizeof setup.szConnectAddress);
    const std::size_t length = std::min(line.lanHost.size(), sizeof setup.szConnectAddress - 1);
    std::memcpy(setup.szConnectAddress, line.lanHost.data(), length);
    setup.nConnectPort = line.lanPort;
}

} // namespace oxapp
