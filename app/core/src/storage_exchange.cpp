// Loading files into the shared records and copying them for a save, on the I/O thread.
#include "oxstorage.h"

#include "ox_geometry.h"
#include "ox_system.h"
#include "oxshell.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace oxacq {

namespace {

// The window's graticule rectangles are this program's own geometry, never a file's.
void KeepScreenRegions(const _OX_RGN_SETUP& live, _OX_RGN_SETUP& loaded) {
    loaded.rcMain = live.rcMain;
    loaded.rcUpper = live.rcUpper;
    loaded.rcLower = live.rcLower;
    loaded.rcFFTTime = live.rcFFTTime;
    loaded.rcFFTFreq = live.rcFFTFreq;
}

// The loaded setup's selectors, indices and numbers must be ones the program can work with
// (the settings file's check); the check's limit messages are not left on the screen.
bool Acceptable(const _OX_SETUP& loaded, _OX_SETUP& live, _OX_RGN_SETUP& region) {
    char error[sizeof live.szSystemError];
    std::memcpy(error, live.szSystemError, sizeof error);
    const std::uint8_t pending = region.bErrorPending;
    std::string failed;
    const bool accepted = CheckSettingsImage(loaded, failed);
    std::memcpy(live.szSystemError, error, sizeof error);
    region.bErrorPending = pending;
    return accepted;
}

std::vector<std::uint8_t> Prefix(std::span<const std::uint8_t> buffer, std::uint32_t count) {
    const std::size_t length = std::min<std::size_t>(buffer.size(), count);
    return {buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(length)};
}

void CopyInto(std::span<std::uint8_t> to, const std::vector<std::uint8_t>& from) {
    std::copy(from.begin(), from.end(), to.begin());
}

} // namespace

FileExchange::~FileExchange() {
    if (installed_) OxSetIOCmdHandler(oxcmd::group::kRunControl, next_);
}

void FileExchange::Install() {
    next_ = OxGetIOCmdHandler(oxcmd::group::kRunControl);
    installed_ = true;
    OxSetIOCmdHandler(oxcmd::group::kRunControl,
                      [this](IOCmdContext& context, unsigned int sub, long value, std::uint32_t low,
                             std::uint32_t high) {
                          if (Handle(sub, value)) {
                              context.send = false;
                              return;
                          }
                          if (next_) next_(context, sub, value, low, high);
                      });
}

long FileExchange::NextSerial() {
    // Serials are positive and differ from one request to the next, so that two requests
    // waiting in the queue are never taken for one.
    lastSerial_ = lastSerial_ >= 0x7FFFFFFF ? 1 : lastSerial_ + 1;
    return lastSerial_;
}

long FileExchange::PostLoad(FileKind kind, const std::string& path) {
    long serial = 0;
    {
        std::lock_guard guard(mutex_);
        serial = NextSerial();
        paths_[serial] = path;
    }
    const oxcmd::Sub sub =
        kind == FileKind::Setup ? oxcmd::run::kLoadSetupFile : oxcmd::run::kLoadWaveformFile;
    if (OxPost(oxcmd::group::kRunControl, sub, serial)) return serial;
    std::lock_guard guard(mutex_);
    paths_.erase(serial);
    return 0;
}

long FileExchange::PostCopy() {
    long serial = 0;
    {
        std::lock_guard guard(mutex_);
        serial = NextSerial();
    }
    return OxPost(oxcmd::group::kRunControl, oxcmd::run::kCopyForSave, serial) ? serial : 0;
}

std::optional<oxfile::Result> FileExchange::TakeLoadResult(long serial) {
    std::lock_guard guard(mutex_);
    const auto found = results_.find(serial);
    if (found == results_.end()) return std::nullopt;
    const oxfile::Result result = found->second;
    results_.erase(found);
    return result;
}

std::optional<RecordCopy> FileExchange::TakeCopy(long serial) {
    std::lock_guard guard(mutex_);
    const auto found = copies_.find(serial);
    if (found == copies_.end()) return std::nullopt;
    RecordCopy copy = std::move(found->second);
    copies_.erase(found);
    return copy;
}

bool FileExchange::Handle(unsigned int sub, long serial) {
    if (sub == oxcmd::run::kCopyForSave) {
        Copy(serial);
        return true;
    }
    if (sub != oxcmd::run::kLoadSetupFile && sub != oxcmd::run::kLoadWaveformFile) return false;
    std::optional<std::string> path;
    {
        std::lock_guard guard(mutex_);
        const auto found = paths_.find(serial);
        if (found != paths_.end()) {
            path = std::move(found->second);
            paths_.erase(found);
        }
    }
    if (!path) return true; // not asked for by this program
    const FileKind kind = sub == oxcmd::run::kLoadSetupFile ? FileKind::Setup : FileKind::Waveform;
    const oxfile::Result result = Load(kind, *path);
    SetSystemError(oxfile::LoadResultText(result));
    std::lock_guard guard(mutex_);
    results_[serial] = result;
    return true;
}

oxfile::Result FileExchange::Load(FileKind kind, const std::string& path) {
    _OX_SETUP& live = *records_.setup;
    _OX_RGN_SETUP& liveRegion = *records_.region;
    // The file goes into copies first: the live records and buffers change only once the
    // whole file has passed every check.
    auto setup = std::make_unique<_OX_SETUP>(live);
    auto region = std::make_unique<_OX_RGN_SETUP>(liveRegion);
    std::vector<std::uint8_t> ch1(acquisition_.AnalogBytes(0).size());
    std::vector<std::uint8_t> ch2(acquisition_.AnalogBytes(1).size());
    std::vector<std::uint8_t> la(acquisition_.LaBytes().size());
    const oxfile::Result result =
        kind == FileKind::Setup ? oxfile::LoadSetupFile(path, *setup, *region)
                                : oxfile::LoadWaveformFile(path, *setup, *region, {ch1, ch2, la});
    if (result != oxfile::Result::Ok) return result;
    if (!Acceptable(*setup, live, liveRegion)) return oxfile::Result::BadRecord;
    KeepScreenRegions(liveRegion, *region);
    DestroyTraceFilters(live);
    live = *setup;
    liveRegion = *region;
    if (kind == FileKind::Waveform) {
        CopyInto(acquisition_.AnalogBytes(0), ch1);
        CopyInto(acquisition_.AnalogBytes(1), ch2);
        CopyInto(acquisition_.LaBytes(), la);
        // The loaded record is what the stopped screen shows; changes redraw it.
        if (!live.bRun) live.bWaveHold = 1;
    }
    SetTraceUnits(live);
    InitTraceFilters(live);
    RebuildRgnSetup();
    // The instrument takes the loaded setup.
    static_cast<void>(OxInitHardware());
    return oxfile::Result::Ok;
}

void FileExchange::Copy(long serial) {
    RecordCopy copy;
    copy.setup = *records_.setup;
    copy.region = *records_.region;
    // What a file of this setup carries; a count beyond a buffer stays short, and the writer
    // refuses it.
    const oxfile::SampleCounts counts = oxfile::CountsOf(copy.setup);
    copy.ch1 = Prefix(acquisition_.AnalogBytes(0), counts.ch1);
    copy.ch2 = Prefix(acquisition_.AnalogBytes(1), counts.ch2);
    copy.la = Prefix(acquisition_.LaBytes(), counts.la);
    std::lock_guard guard(mutex_);
    copies_[serial] = std::move(copy);
}

} // namespace oxacq
