// The I/O thread's side of the files: loading a setup or waveform file into the shared
// records and the stored record's buffers, and copying them for a save, each as a posted
// command (run-control sub-commands kLoadSetupFile, kLoadWaveformFile, kCopyForSave) carried
// out while the I/O thread holds the program's lock. The renderer therefore never sees a
// half-loaded record, and a save writes a consistent copy.
//
// The UI thread posts a request (the path goes in a slot of this object under its own small
// lock, keyed by the request's serial number, which travels as the command's value), waits
// for the completion message carrying that serial and takes the result.
#pragma once

#include "fileformats.h"
#include "ox_queue.h"
#include "oxacq.h"

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace oxacq {

// The records and the samples a file is saved from, as they stood on the I/O thread.
struct RecordCopy {
    _OX_SETUP setup{};
    _OX_RGN_SETUP region{};
    std::vector<std::uint8_t> ch1;
    std::vector<std::uint8_t> ch2;
    std::vector<std::uint8_t> la;

    [[nodiscard]] oxfile::ConstSamples Samples() const { return {ch1, ch2, la}; }
};

enum class FileKind { Setup, Waveform };

class FileExchange {
public:
    FileExchange(AcqRecords records, Acquisition& acquisition)
        : records_(records), acquisition_(acquisition) {}
    // Puts the run-control group's handler back, when Install replaced it.
    ~FileExchange();
    FileExchange(const FileExchange&) = delete;
    FileExchange& operator=(const FileExchange&) = delete;

    // Puts this object's handler in front of the run-control group's handler (after the
    // command layer installed its handlers).
    void Install();

    // ---- UI thread ----
    // Posts the load of `path`; the request's serial, or 0 when the queue refused it.
    [[nodiscard]] long PostLoad(FileKind kind, const std::string& path);
    // Posts the copy for a save; the serial, or 0 when the queue refused it.
    [[nodiscard]] long PostCopy();
    // After the completion message of `serial`: the load's result, or the copy. Empty when
    // the request is unknown or was not carried out.
    [[nodiscard]] std::optional<oxfile::Result> TakeLoadResult(long serial);
    [[nodiscard]] std::optional<RecordCopy> TakeCopy(long serial);

    // ---- I/O thread, under the lock ----
    // Carries out the request `serial` of sub-command `sub`; false for a sub-command that is
    // not one of the three.
    bool Handle(unsigned int sub, long serial);

private:
    long NextSerial();
    [[nodiscard]] oxfile::Result Load(FileKind kind, const std::string& path);
    void Copy(long serial);

    AcqRecords records_;
    Acquisition& acquisition_;
    IOCmdHandler next_; // the run-control handler this object's stands in front of
    bool installed_ = false;
    std::mutex mutex_; // guards what follows; never held while loading or copying
    long lastSerial_ = 0;
    std::map<long, std::string> paths_;
    std::map<long, oxfile::Result> results_;
    std::map<long, RecordCopy> copies_;
};

} // namespace oxacq
