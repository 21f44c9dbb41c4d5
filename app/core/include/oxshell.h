// The start-up, link and shutdown logic of the main window that needs no Qt: identification
// and the model table, the default setup, the settings file and its restore table, the link
// checks with the connection-lost question, and the completion sub-commands of the start-up
// part. The Qt main window owns one Shell and calls it on the UI thread.
#pragma once

#include "ox_commands.h"
#include "oxacq.h"
#include "oxworkers.h"

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>

namespace oxacq {

// ---- Identification ----

struct ModelEntry {
    const char* name;
    std::int32_t modelClass;
    float minTimeScale; // s/div
    bool logicAnalyzer;
};
// Compared in this order with the model field of the identification reply.
std::span<const ModelEntry> ModelTable();
// Sets model class, fMinTimeScale and the analyzer flag from the table; a model not in it
// gives class 0 without the analyzer and leaves the time-base limit as it is.
void ApplyModel(const std::string& model, _OX_SETUP& setup);

// The four comma-separated fields of the "*IDN?" reply.
struct Identity {
    std::string maker;
    std::string model;
    std::string serial;
    std::string firmware;
    std::string version; // firmware "." FPGA version, shown by the about box
};
// False (identity untouched) when the reply has fewer than three commas.
bool ParseIdentification(const std::string& reply, const std::string& fpga, Identity& identity);
// The about box's text: program version, the instrument's version text, model and serial
// number ("OXBOW" and "******" before an instrument has answered).
std::string AboutText(const Identity& identity);
inline constexpr const char* kAboutTitle = "About OXBOW";

// ---- Setup and settings file ----

inline constexpr std::size_t kSettingsBytes = sizeof(_OX_SETUP); // 8,664

// The fixed values the program starts from. With `keepLink` the link fields (interface,
// connected flag, USB device, connect address and port) stay as they are.
void DefaultSetup(_OX_SETUP& setup, bool keepLink);

// $XDG_CONFIG_HOME/oxbow/Oxbow.ini (see oxbow::UserConfigDirectory).
std::filesystem::path SettingsPath();
// Writes the whole record image to `path` through a temporary file and a rename (the folder
// is created when missing). True when written.
bool WriteSettingsFile(const _OX_SETUP& setup, const std::filesystem::path& path);

// The byte ranges of the record taken over from the settings file at start: the active
// channel, the further traces (shown, math, FFT, zoom), the FFT split, the channel filters,
// the trigger-source mark and the pattern and duration lines, and the display state bytes
// kept at 1192..1271, 1460..1467, 6884..6903 and 7024.
struct RecordRange {
    std::size_t offset;
    std::size_t size;
};
std::span<const RecordRange> RestoreTable();
// Copies the restore table's ranges of `image` into `setup`.
void RestoreSettings(const _OX_SETUP& image, _OX_SETUP& setup);
// True when every field of the restore table in `image` may be taken over: selectors and
// indices in range, numbers finite and within the command layer's validators (or at their
// default). Otherwise `failedField` names the first that
// fails. The validators may leave a limit message in the shared record's error text.
[[nodiscard]] bool CheckSettingsImage(const _OX_SETUP& image, std::string& failedField);
// The name a refused settings file is kept under: "Oxbow.ini.bad" beside it.
std::filesystem::path RefusedSettingsPath(const std::filesystem::path& settings);
// Unit text of each further trace: "dBVrms" / "Vrms" for an FFT by its unit, else "V".
void SetTraceUnits(_OX_SETUP& setup);
// Initialises (destroys) the digital filter of every further trace whose operator is FILTER.
void InitTraceFilters(const _OX_SETUP& setup);
void DestroyTraceFilters(const _OX_SETUP& setup);

// ---- The command layer ----

// The services of the loop, the start-up logic and the display engine, on OxMsg (the program's
// one implementation of AcqCommands and oxdisplay::DisplayCommands).
class OxbowCommands final : public AcqCommands, public oxdisplay::DisplayCommands {
public:
    // The loop whose persistence restarts when the engine restored its surfaces (set once
    // both exist).
    void Attach(Acquisition& acquisition) { acquisition_ = &acquisition; }

    void ProcessIOCmd() override;
    bool GetMathEnabled() override;
    bool GetMathEnabledStop() override;
    bool GetFFTOperator() override;
    bool GetFFTSplitScreen() override;
    void GetFFTHorizZoomScale(int trace) override;
    void SetChanEnabledStop(bool enabled) override;
    void SaveChangeSetting() override;
    void GetTimeScalePara() override;
    void GetStopScreenPara(short value) override;
    void GetChangeSettingScreenPara() override;
    bool OxInitSystem() override;
    void RebuildRgnSetup() override;
    void PostIOCmd(unsigned long group, unsigned int subCmd, long value, std::int32_t argument,
                   CWnd* firstWindow) override;
    void PostIOCmd(unsigned long group, unsigned int subCmd, long value) override;
    void RestartPersistence() override;

private:
    Acquisition* acquisition_ = nullptr;
};

// ---- The main window's logic ----
inline constexpr const char* kHardwareFailureText = "Please restart hardware system and power up!";

// What the Qt window does after OnIoNotify returned (the core part is already done).
struct NotifyActions {
    bool handled = false;               // a sub-command of the start-up part
    bool shutdown = false;              // run the shutdown sequence once this handler returned
    bool redraw = false;                // repaint the window
    bool startRunTimers = false;        // timer 0 at 100 ms, timer 5 at 500 ms
    const char* runStateText = nullptr; // "AUTO" / "RUN", shown in green
    bool refreshLabels = false;
    bool refreshControls = false; // controls and channel buttons
    bool resetMarkers = false;    // recompute the marker positions, close the floating panel
    int screenMode = -1;          // 4434: 0 maximise, 1 restore, other re-check
};

class Shell {
public:
    Shell(AcqRecords records, CWinSocket& socket, AcqCommands& commands, Acquisition& acquisition,
          Workers& workers);

    // Step 6 of the start-up: the USB device from the device count.
    void FindUsbDeviceAtStart();
    // Identification at start; sends ":STOP" and reads the instrument's setup. The link state.
    bool DetectModel();
    // Identification after a reconnection ("*IDN?" asked again); true when connected.
    bool RefreshModel();
    // Restores the settings file's restore-table fields, unit texts and filters.
    void LoadSettings();
    // Writes the record to the settings file.
    bool SaveSettings();

    void ConnectLan();
    bool CheckUsbLink();
    void CheckLink();

    // The completion message 3125 for the sub-commands of the start-up part. Runs on the UI
    // thread while the I/O thread waits, so it never waits on a worker: the shutdown is only
    // scheduled (NotifyActions::shutdown) and run by the caller with Shutdown().
    NotifyActions OnIoNotify(unsigned int subCmd, long value);
    // Writes the settings, stops and joins the workers; then surfaces and buffers may go.
    // The first call does it; later calls do nothing. True when the settings were written.
    bool Shutdown();
    bool ShutdownScheduled() const { return shutdownScheduled_; }

    const Identity& Id() const { return identity_; }
    std::filesystem::path& SettingsFile() { return settingsPath_; }

private:
    _OX_SETUP& Setup() { return *records_.setup; }
    bool Identify();
    void IgnoreLink();
    // Checks the image read from the settings file; a refused file is moved aside with a
    // message on standard error.
    bool SettingsImageAccepted(const _OX_SETUP& image);

    AcqRecords records_;
    CWinSocket& socket_;
    AcqCommands& commands_;
    Acquisition& acquisition_;
    Workers& workers_;
    Identity identity_;
    std::filesystem::path settingsPath_;
    bool shutdownScheduled_ = false;
    bool shutDown_ = false;
};

} // namespace oxacq
