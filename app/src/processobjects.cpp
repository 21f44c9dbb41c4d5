#include "processobjects.h"

#include "oxbow_ui.h"

#include <algorithm>
#include <cstring>

namespace oxapp {
namespace {

template <typename Record>
std::unique_ptr<Record> ZeroedRecord() {
    auto record = std::make_unique<Record>();
    std::memset(static_cast<void*>(record.get()), 0, sizeof(Record));
    return record;
}

} // namespace

ProcessObjects::ProcessObjects(CommandLine commandLine)
    : line(std::move(commandLine)),
      setup(ZeroedRecord<_OX_SETUP>()),
      region(ZeroedRecord<_OX_RGN_SETUP>()),
      positions(ZeroedRecord<_OX_POS_SETUP>()) {
    if (!line.sim) return;
    instrument = std::make_unique<oxbow::sim::Instrument>(line.instrument, std::make_shared<oxbow::sim::SteadyClock>());
    if (line.ch1) instrument->SetSignal(0, *line.ch1);
    if (line.ch2) instrument->SetSignal(1, *line.ch2);
    if (line.digital) instrument->SetDigital(*line.digital);
    instrument->SetPlotStyle(line.dots);
    endpoint = std::make_unique<oxbow::sim::UsbSimEndpoint>(*instrument);
    oxbow::usb::SelectBackend(oxbow::usb::Backend::Sim);
    oxbow::usb::AttachEndpoint(endpoint.get());
}

ProcessObjects::~ProcessObjects() {
    if (endpoint) oxbow::usb::DetachEndpoint();
}

void ApplyLinkChoice(const CommandLine& line, _OX_SETUP& setup) {
    if (line.sim) setup.nInterface = 0;
    if (!line.lan) return;
    setup.nInterface = 1;
    std::memset(setup.szConnectAddress, 0, sizeof setup.szConnectAddress);
    const std::size_t length = std::min(line.lanHost.size(), sizeof setup.szConnectAddress - 1);
    std::memcpy(setup.szConnectAddress, line.lanHost.data(), length);
    setup.nConnectPort = line.lanPort;
}

} // namespace oxapp
