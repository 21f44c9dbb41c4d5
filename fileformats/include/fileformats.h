// Waveform (".wfm"), setup (".set"), other-software waveform (".kwfm") and CSV (".csv") files,
// and the stored record for logic tools: sigrok session (".sr") and value change dump (".vcd").
//
// Plain functions on caller-owned records and sample buffers.  Every save goes through
// OxWriteFile (a temporary file renamed over the target), so a failed save leaves the old
// file.  Every load checks the whole file before it changes anything.
#pragma once

#include "ox_records.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace oxfile {

// File layouts (bytes).
inline constexpr std::uint16_t kWaveformTag = 0x4657; // "WF"
inline constexpr std::uint16_t kSetupTag = 0x5453;    // "ST"
inline constexpr std::uint16_t kKwfmTag = 0xA5A5;
inline constexpr std::size_t kImagesSize = sizeof(_OX_SETUP) + sizeof(_OX_RGN_SETUP);
inline constexpr std::size_t kSetupFileSize = 8 + kImagesSize;              // 11,680
inline constexpr std::size_t kWaveformHeaderSize = 4 + kImagesSize + 3 * 4; // 11,688
inline constexpr std::size_t kKwfmHeaderSize = 276;

enum class Result {
    Ok,
    NoWaveformHeld, // the setup's data-valid flag is not 1
    NoChannelShown, // CSV with neither channel nor the analyzer shown
    BadRecord,      // sample rate or scale of 0 or less, or counts beyond the buffers
    Refused,        // the user kept the existing file
    WriteFailed,
    CannotOpen,
    WrongTag,
    WrongLength, // file size, a count or the sum of the counts does not fit
};

// "Save successful", "Save channel is invalid", "Save failed"; "Load successful", "Load failed".
[[nodiscard]] const char* SaveResultText(Result result);
[[nodiscard]] const char* LoadResultText(Result result);

// The samples of the stored acquisition: one byte per analog point; the analyzer two bytes
// per point (D7-D0, then D15-D8).
struct ConstSamples {
    std::span<const std::uint8_t> ch1;
    std::span<const std::uint8_t> ch2;
    std::span<const std::uint8_t> la;
};

// Buffers a waveform file is loaded into; their sizes are the limits of the counts.
struct SampleBuffers {
    std::span<std::uint8_t> ch1;
    std::span<std::uint8_t> ch2;
    std::span<std::uint8_t> la;
};

// Byte counts of the three sample blocks a waveform file of this setup carries: 0 for what
// is not shown; a channel's own point count under the alternate trigger, else the record length.
struct SampleCounts {
    std::uint32_t ch1 = 0;
    std::uint32_t ch2 = 0;
    std::uint32_t la = 0;
};
[[nodiscard]] SampleCounts CountsOf(const _OX_SETUP& setup);

// Writers.  `overwrite` false asks before replacing an existing file (OxWriteFile).
[[nodiscard]] Result SaveWaveformFile(const std::string& path, const _OX_SETUP& setup,
                                      const _OX_RGN_SETUP& region, const ConstSamples& samples,
                                      bool overwrite);
[[nodiscard]] Result SaveSetupFile(const std::string& path, const _OX_SETUP& setup,
                                   const _OX_RGN_SETUP& region, bool overwrite);
[[nodiscard]] Result SaveKwfmFile(const std::string& path, const _OX_SETUP& setup,
                                  const ConstSamples& samples, bool overwrite);
[[nodiscard]] Result SaveCsvFile(const std::string& path, const _OX_SETUP& setup,
                                 const ConstSamples& samples, bool overwrite);

// The waveform writer the name asks for, its case ignored: ".csv", ".wfm", any other the
// other software's file.  NoWaveformHeld when the setup holds no waveform.
[[nodiscard]] Result SaveWaveformByName(const std::string& path, const _OX_SETUP& setup,
                                        const _OX_RGN_SETUP& region, const ConstSamples& samples,
                                        bool overwrite);

// The files the command line asks for (an empty path is not asked for), written without asking.
struct SaveRequest {
    std::string csvPath;
    std::string wfmPath;
    std::string setPath;
    std::string srPath;
    std::string vcdPath;
};
struct SaveReport {
    std::string path;
    Result result;
};
// One report per requested file, in the order CSV, waveform, setup, sigrok session, VCD.
[[nodiscard]] std::vector<SaveReport> SaveRequestedFiles(const SaveRequest& request,
                                                         const _OX_SETUP& setup,
                                                         const _OX_RGN_SETUP& region,
                                                         const ConstSamples& samples);

// ---- the stored record for logic tools ----

// The stored record as signals at one sample rate: the analyzer's sixteen lines (bit n = Dn)
// and the channels in volts. An analyzer record taken at half the rate (one channel and the
// analyzer at 50 ns/div and faster) has each of its points repeated, so every signal has the
// same length.
struct RecordSignals {
    double sampleRate = 0.0;                 // samples per second
    double firstTime = 0.0;                  // seconds of sample 0 from the trigger
    std::vector<std::uint16_t> logic;        // empty when the analyzer was not stored
    std::array<std::vector<float>, 2> volts; // CH1, CH2; empty when not stored
    [[nodiscard]] std::size_t Length() const;
};
// NoWaveformHeld without a held waveform; NoChannelShown when nothing was stored; BadRecord for
// the alternate trigger (each channel at a rate of its own), a rate or scale of 0 or less, or
// counts beyond the buffers.
[[nodiscard]] Result TakeRecordSignals(const _OX_SETUP& setup, const ConstSamples& samples,
                                       RecordSignals& record);

// Sigrok session: a zip of "version" ("2"), "metadata", the analyzer's "logic-1-N" chunks
// (16-bit samples) and "analog-1-K-1" for each stored channel (32-bit float volts, K its
// channel number after the sixteen lines). Empty when the zip could not be made.
[[nodiscard]] std::string BuildSigrokSession(const RecordSignals& record);
// The value change dump of the analyzer's lines: one wire per line, a time unit of one sample
// period where that is 1, 10 or 100 of a unit (else the next finer such unit), the initial
// values at #0, a change per line, the record's end as the last time. Empty without lines.
[[nodiscard]] std::string BuildVcdText(const RecordSignals& record);
// The VCD time unit for a sample period: "100 ns" for 1e-7 s, "1 us" for 2e-6 s.
[[nodiscard]] std::string VcdTimescale(double samplePeriod, double& unitSeconds);

// From the stopped record's copy; NoChannelShown for a VCD without the analyzer.
[[nodiscard]] Result SaveSigrokFile(const std::string& path, const _OX_SETUP& setup,
                                    const ConstSamples& samples, bool overwrite);
[[nodiscard]] Result SaveVcdFile(const std::string& path, const _OX_SETUP& setup,
                                 const ConstSamples& samples, bool overwrite);

// Readers.  On anything but Ok the records and buffers are unchanged.  On Ok the loaded
// setup replaces the record except for the live fields (KeepLiveFields); the setup loader
// also clears the data-valid flag.
[[nodiscard]] Result LoadSetupFile(const std::string& path, _OX_SETUP& setup,
                                   _OX_RGN_SETUP& region);
[[nodiscard]] Result LoadWaveformFile(const std::string& path, _OX_SETUP& setup,
                                      _OX_RGN_SETUP& region, const SampleBuffers& buffers);

// The fields a loaded file never changes: the link, the instrument's network settings, the
// model identity, the run and record state, the pass/fail test and the reference slots (their
// masks and samples are not in the file), the error text.  Copies them from `live` into
// `loaded`, and switches off in `loaded` what this model lacks (the logic analyzer, its
// triggers).  The region record keeps its runtime flags and is asked for a full redraw.
void KeepLiveFields(const _OX_SETUP& live, _OX_SETUP& loaded);
void KeepLiveFlags(const _OX_RGN_SETUP& live, _OX_RGN_SETUP& loaded);

// Images, for writers of other containers and for tests.
[[nodiscard]] std::string BuildSetupImage(const _OX_SETUP& setup, const _OX_RGN_SETUP& region);
[[nodiscard]] std::string BuildKwfmHeader(const _OX_SETUP& setup);
// The CSV text; empty when nothing is shown or a rate or scale is 0 or less.
[[nodiscard]] std::string BuildCsvText(const _OX_SETUP& setup, const ConstSamples& samples);

} // namespace oxfile
