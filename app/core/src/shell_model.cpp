// Identification: the "*IDN?" reply's fields and the model table.
#include "oxshell.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace oxacq {

namespace {

constexpr std::array<ModelEntry, 12> kModels{{
    {"OXB-A6M", 5, 2e-9f, true},
    {"OXB-A6", 5, 2e-9f, false},
    {"OXB-A5M", 4, 2e-9f, true},
    {"OXB-A5", 4, 2e-9f, false},
    {"OXB-A4M", 3, 2e-9f, true},
    {"OXB-A4", 3, 2e-9f, false},
    {"OXB-A3M", 2, 5e-9f, true},
    {"OXB-A3", 2, 5e-9f, false},
    {"OXB-A2M", 1, 1e-8f, true},
    {"OXB-A2", 1, 1e-8f, false},
    {"OXB-A1M", 0, 2e-8f, true},
    {"OXB-A1", 0, 2e-8f, false},
}};

} // namespace

std::span<const ModelEntry> ModelTable() {
    return kModels;
}

void ApplyModel(const std::string& model, _OX_SETUP& setup) {
    const auto found = std::find_if(kModels.begin(), kModels.end(),
                                    [&](const ModelEntry& entry) { return model == entry.name; });
    if (found == kModels.end()) {
        setup.nModelClass = 0;
        setup.bLaInstalled = 0;
        return;
    }
    setup.nModelClass = found->modelClass;
    setup.fMinTimeScale = found->minTimeScale;
    setup.bLaInstalled = found->logicAnalyzer ? 1 : 0;
}

bool ParseIdentification(const std::string& reply, const std::string& fpga, Identity& identity) {
    const std::size_t first = reply.find(',');
    const std::size_t second = first == std::string::npos ? first : reply.find(',', first + 1);
    const std::size_t third = second == std::string::npos ? second : reply.find(',', second + 1);
    if (third == std::string::npos) return false;
    identity.maker = reply.substr(0, first);
    identity.model = reply.substr(first + 1, second - first - 1);
    identity.serial = reply.substr(second + 1, third - second - 1);
    identity.firmware = reply.substr(third + 1);
    identity.version = identity.firmware + "." + fpga;
    return true;
}

std::string AboutText(const Identity& identity) {
    const bool answered = !identity.model.empty();
    return std::string("SoftWare Version:  ") + OXBOW_VERSION +
           "\nFirmware Version: " + identity.version + "\n" +
           "Model:  " + (answered ? identity.model : "OXBOW") + "\n" +
           "SN:  " + (answered ? identity.serial : "******");
}

} // namespace oxacq
