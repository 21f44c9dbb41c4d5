// The acquisition loop: asks the instrument for waveform data over USB or LAN, parses the
// reply framing, cuts frames into the channel buffers and drives the trace pipeline and the
// renderer once per frame; reads the full record once when the instrument stops; keeps the
// run-status code; hands frames to and from the waveform recorder; asks the user what to
// do when the link is lost.
//
// Every operation runs on a worker thread holding the program's one lock (see
// oxworkers.h); nothing here locks by itself. Buffers are allocated once, in the
// constructor; nothing is allocated per frame.
#pragma once

#include "cwnd.h"
#include "messageboxes.h"
#include "ox_commands.h"
#include "ox_records.h"
#include "oxdisplay.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

class CWinSocket;

namespace oxacq {

// Buffer sizes and positions (bytes).
inline constexpr int kReceiveBytes = 2'097'152;
inline constexpr int kFrameArea = 2048; // frame data starts here in the receive buffer
inline constexpr int kLanHeaderBytes = 20;
inline constexpr int kLanReplyAt = kFrameArea - kLanHeaderBytes; // a LAN live reply lands here
inline constexpr int kHeaderCopyBytes = 768;
inline constexpr int kReplyBytes = 4 * 1'048'576;
inline constexpr int kAnalogMainBytes = 1'048'576; // the longest record of one channel
inline constexpr int kLaMainSamples = 1'048'576;
inline constexpr int kSecondSamples = 2048; // delayed-sweep window of a live frame
inline constexpr int kFrameSamples = 2048;
inline constexpr int kRingFrames = 250;
inline constexpr int kLargestStride = 16384; // delayed sweep, both channels and the analyzer
// A live LAN reply: its header and at most one frame of the largest stride.
inline constexpr int kLanReplyLimit = kLanHeaderBytes + kLargestStride;

// Channel mask bits.
inline constexpr unsigned kMaskCh1 = 1;
inline constexpr unsigned kMaskCh2 = 2;
inline constexpr unsigned kMaskLa = 4;
inline constexpr unsigned kMaskHalfLa = 128; // full record: the analyzer piece is n bytes

// Run-status codes, by the vocabulary's names, and one of the loop's own.
using RunStatus = oxcmd::code::RunStatus;
using enum oxcmd::code::RunStatus;
inline constexpr std::int32_t kStatusUntold =
    -1; // the main window shows a text of its own: the next code is told

inline constexpr const char* kLinkLostQuestion = "Please confirm connecting system is right!";

// The connection-lost question: Abort, Retry, Ignore, system-modal.
oxbow::MessageQuestion LinkLostQuestion();
// The same on LAN, with a second line naming the address and why the link failed:
// "ADDRESS:PORT: refused" (timed out, not found, ...; "no answer" when the socket saw no error).
oxbow::MessageQuestion LanLinkLostQuestion(const _OX_SETUP& setup, const CWinSocket& socket);
// Closes the socket, creates it afresh and connects to the setup's connect address and
// port; the receive and send time-outs are then 200 ms. False when it did not connect.
bool ReconnectSocket(CWinSocket& socket, const _OX_SETUP& setup);
// The link as the status bar names it: "USB device 0 · OXB-A3M", "LAN 192.168.0.9:19 ·
// OXB-A3M" ("no instrument" for the model until one has answered).
[[nodiscard]] std::string ConnectionText(const _OX_SETUP& setup);
// USB instruments on the bus; with at least one the setup's device handle becomes the
// count minus one and the link is marked connected. The count.
int FindUsbDevice(_OX_SETUP& setup);

// The command-layer services the loop and the start-up logic call. The program implements
// it on OxMsg (OxbowCommands in oxshell.h); tests implement it on their own.
class AcqCommands {
public:
    virtual ~AcqCommands() = default;
    // One queued I/O command, when there is one (GetIOCmd, then IOCmdProcess).
    virtual void ProcessIOCmd() = 0;
    virtual bool GetMathEnabled() = 0;
    virtual bool GetFFTOperator() = 0;
    virtual void SetChanEnabledStop(bool enabled) = 0;
    virtual void SaveChangeSetting() = 0;
    virtual void GetTimeScalePara() = 0;
    virtual void GetStopScreenPara(short value) = 0;
    virtual void GetChangeSettingScreenPara() = 0;
    virtual bool OxInitSystem() = 0;
    virtual void RebuildRgnSetup() = 0;
    // Puts `argument` in the argument slot (SetMsgVarInt) and posts; `firstWindow` (may be
    // null) is told when the command is done.
    virtual void PostIOCmd(unsigned long group, unsigned int subCmd, long value,
                           std::int32_t argument, CWnd* firstWindow) = 0;
};

// The renderer and pipeline steps the loop drives; DisplayEngineSteps forwards them to the
// display engine.
class DisplaySteps {
public:
    virtual ~DisplaySteps() = default;
    virtual void FullRedraw() = 0;
    // False when the background last drawn is not the one the setup asks for.
    [[nodiscard]] virtual bool BackgroundCurrent() = 0;
    virtual void Erase() = 0;
    virtual void ResetTraceWindows() = 0;
    virtual void RunPipeline(int points, bool stopped) = 0;
    virtual void HandOverMeasurement() = 0;
    virtual void DrawTraces(bool stopped) = 0;
    virtual void Compose() = 0;
    virtual void DrawOverlays() = 0;
    virtual void Present() = 0;
    virtual void ClearPersistence() = 0;
    // Redraws everything on a background of the given grey level.
    virtual void ChangeBackground(std::uint8_t grey) = 0;
};

class DisplayEngineSteps final : public DisplaySteps {
public:
    explicit DisplayEngineSteps(oxdisplay::DisplayEngine& engine) : engine_(engine) {}
    void FullRedraw() override { engine_.FullRedraw(); }
    bool BackgroundCurrent() override { return engine_.BackgroundCurrent(); }
    void Erase() override { engine_.Erase(); }
    void ResetTraceWindows() override { engine_.ResetTraceWindows(); }
    void RunPipeline(int points, bool stopped) override { engine_.RunPipeline(points, stopped); }
    void HandOverMeasurement() override { engine_.HandOverMeasurement(); }
    void DrawTraces(bool stopped) override { engine_.DrawTraces(stopped); }
    void Compose() override { engine_.Compose(); }
    void DrawOverlays() override { engine_.DrawOverlays(); }
    void Present() override { engine_.Present(); }
    void ClearPersistence() override { engine_.ClearPersistence(); }
    void ChangeBackground(std::uint8_t grey) override { engine_.ChangeBackground(grey); }

private:
    oxdisplay::DisplayEngine& engine_;
};

// The shared records the loop works on (owned by the program).
struct AcqRecords {
    _OX_SETUP* setup = nullptr;
    _OX_RGN_SETUP* region = nullptr;
    _OX_POS_SETUP* positions = nullptr;
};

// Frame geometry of a channel mask: bytes per frame, delayed sweep doubling every part.
int FrameStride(unsigned mask, bool delayed);
// The scan position from its header source: v × 700 × c with c the single float nearest
// below 1/350, in extended precision, truncated: 2v − 1 for v ≥ 1, 0 for 0.
std::int32_t ScanPositionFromSource(std::uint16_t source);
// The ring slot of the first new frame: (write index − frame count) modulo 250, never negative.
std::int32_t FirstRingSlot(std::int32_t writeIndex, std::int32_t frameCount);

// What the loop keeps between ticks.
struct AcqCounters {
    std::int32_t frameCount = 0;
    std::int32_t framesConsumed = 0;
    std::int32_t ringIndex = 0;
    std::int32_t runStatus = kStatusAuto;
    std::uint8_t newData = 0;
    std::uint8_t requestHold = 0;
    std::int32_t outstanding = 0;         // LAN data requests not answered yet
    std::int16_t stopScreenValue = 0;     // the ":INFO:EUQP?" reply
    std::uint8_t lanStatus = kStatusAuto; // status byte of the last LAN reply
    // The block being drawn: its channel mask and stride stay fixed until the next block.
    unsigned blockMask = 0;
    int blockStride = 0;
    int blockEnd = 0;    // receive-buffer bytes that arrived (frame area included)
    int recordBytes = 0; // bytes of the last full record
};

inline constexpr int kNoHighlightRequest = -1;

// Flags the UI thread sets without the lock; the I/O thread applies them under it.
struct AcqRequests {
    std::atomic<bool> playbackTick{false}; // timer 10: one more frame, the next recorded one
    std::atomic<bool> playbackStep{false}; // the next recorded frame is due
    std::atomic<bool> recordNext{false};   // timer 13: record the next frame
    std::atomic<bool> acquire{false}; // timer 8, RUN, AUTO: set the acquiring flag while running
    std::atomic<bool> stopAcquiring{false};   // Ignore in a link dialog: clear it
    std::atomic<bool> clearError{false};      // timer 7: the error text has been shown long enough
    std::atomic<bool> runStateWritten{false}; // the main window wrote "AUTO" or "RUN" itself
    std::atomic<bool> eraseBeforeFrame{
        false}; // timer 0: erase before the next frame (no persistence)
    std::atomic<bool> markerHighlightOff{false}; // timer 1: a dragged marker's highlight ends
    std::atomic<bool> floatDraw{false};          // timer 9: redraw the floating views
    std::atomic<bool> redrawSection{false};      // timer 11
    std::atomic<bool> clearBusy{false};          // timer 12 and the end of start-up
    // The window has surfaces to show (the start) or changed how it shows them (screen mode):
    // pictures are presented from now on, and the next one is drawn whole.
    std::atomic<bool> redrawAll{false};
    // The mouse: the marker code to highlight (oxmarkers.h), kNoHighlightRequest for none.
    std::atomic<int> markerHighlight{kNoHighlightRequest};
};

// The recorder dialog's side of the hand-over.
struct RecorderLink {
    CWndRef dialog;                 // told about every frame played or recorded
    std::span<std::uint8_t> frames; // recording buffer, frames of 2048 bytes back to back
    bool loop = false;              // first recorder flag
    bool holdAtEnd = false;         // second recorder flag: stay on the last frame at the end
};

class Acquisition {
public:
    Acquisition(AcqRecords records, CWinSocket* socket, AcqCommands& commands,
                DisplaySteps& display);
    Acquisition(const Acquisition&) = delete;
    Acquisition& operator=(const Acquisition&) = delete;

    void SetMainWindow(CWnd* window) { mainWindow_ = CWndRef::Of(window); }
    void SetDisplay(DisplaySteps& display) { display_ = &display; }
    // While running in Y-T, a new picture is composed and presented at most once per
    // `interval` (no screen shows more); the frames between are still drawn into the traces
    // (persistence, colour grade, measurements). Zero, the default: on every display tick.
    void SetLivePictureInterval(std::chrono::milliseconds interval) {
        livePictureInterval_ = interval;
    }
    RecorderLink& Recorder() { return recorder_; }
    AcqRequests& Requests() { return requests_; }

    // The channel buffers as the display engine reads them.
    oxdisplay::ChannelBuffers Channels() const;
    oxdisplay::FrameCounters& FrameState() { return frame_; }

    // ---- operations, each under the program's lock ----
    void UsbLiveRead();
    // Sends a data request when one is due. The instrument's pause after it is returned (0 when
    // nothing was sent) for the poll thread to keep after it has released the lock.
    std::chrono::milliseconds LanDataRequest();
    void LanReceive();
    bool FullMemoryRead();
    void FrameStep();
    void LastFrameStep();
    void StopScreenStep(short value);
    void ChangedSettingsStep();
    void RunningDisplayStep();
    void StoppedDisplayStep();
    void DisplayTick();
    bool ConnectionLostDialog();
    void SetRunStatus(std::int32_t code);
    // ":CLEARUSB", persistence counters and the current block dropped (the display engine
    // empties its own persistence buffers); after a plot-style change or restored surfaces.
    void RestartPersistence();
    // Applies the flags the UI thread set (AcqRequests) under the lock.
    void ApplyRequests();
    void ApplyWindowRequests();
    void ApplyDisplayRequests();

    unsigned ChannelMask();
    bool Acquiring() const { return region_->bAcquiring != 0; }

    // ---- state, read by the start-up logic and by tests ----
    AcqCounters& Counters() { return counters_; }
    const std::uint8_t* ReceiveBuffer() const { return receive_.data(); }
    const std::uint8_t* HeaderCopy() const { return header_.data(); }
    std::span<const std::uint8_t> Analog(int channel) const { return analog_[channel]; }
    std::span<const std::uint8_t> AnalogSecond(int channel) const { return analogSecond_[channel]; }
    std::span<const std::uint16_t> La() const { return la_; }
    std::span<const std::uint16_t> LaSecond() const { return laSecond_; }
    int LanCarried() const { return lanCarried_; }
    // The stored record's buffers as bytes (the analyzer's two bytes per point, D7-D0 first),
    // for the files saved from and loaded into them.
    std::span<std::uint8_t> AnalogBytes(int channel) { return analog_[channel]; }
    std::span<std::uint8_t> LaBytes() {
        return {reinterpret_cast<std::uint8_t*>(la_.data()), la_.size() * sizeof la_[0]};
    }

    // Waits of the LAN reads (milliseconds); tests shorten them.
    struct Timeouts {
        int replyMs = 1000;      // a live reply must be complete this long after its request
        int receiveIdleMs = 500; // a live reply may pause this long between pieces
        int recordLengthMs = 5000;
        int recordIdleMs = 2000;
        int drainMs = 2000;
    };
    Timeouts& Waits() { return waits_; }

private:
    using Clock = std::chrono::steady_clock;

    _OX_SETUP& Setup() { return *records_.setup; }
    bool OnLan() const { return records_.setup->nInterface != oxcmd::code::kUsb; }
    void NoBlock(bool lanTimeoutStatus);
    void AcceptUsbBlock(unsigned mask, int count);
    void ApplyPlotStyle(std::uint8_t source);
    void BlockAccepted();
    void TakeRecordSnapshot();
    bool ParseLanReply();
    bool ReceiveMore(int want, int idleMs);
    void DropLanBytes();
    void SkipLanBytes(int count);
    void LinkLost();
    // Sends with `send` (WriteCommand or WriteCommandUnpaused); false and the link lost when it
    // did not all go out.
    bool SendChecked(const std::string& command, int (*send)(const std::string&));
    std::int32_t ReplyNumber(const std::string& query);
    bool ReadUsbRecord(unsigned mask);
    bool ReadLanRecord();
    int ReceiveLanBytes(std::uint8_t* into, int want, int idleMs);
    bool DistributeRecord(unsigned mask);
    void DescribeRecord();
    void CutFrame(int slot);
    void DistributeFrame();
    void PersistFrameStep();
    void FillStep();
    void PlayRecordedFrame();
    void RecordFrame();
    int RecordChannel() const;
    bool EraseAsked() const;
    bool PictureDue();
    bool RetryLink();
    int StoppedPoints() const;

    AcqRecords records_;
    _OX_RGN_SETUP* region_;
    CWinSocket* socket_;
    AcqCommands& commands_;
    DisplaySteps* display_;
    CWndRef mainWindow_;
    RecorderLink recorder_;
    AcqRequests requests_;
    AcqCounters counters_;
    oxdisplay::FrameCounters frame_;
    Timeouts waits_;
    Clock::time_point lastRequest_{};
    std::chrono::milliseconds livePictureInterval_{0};
    std::optional<Clock::time_point> lastLivePicture_; // none: the next picture is due
    bool wasRunning_ = false;
    bool snapshotPending_ = false;    // a run started and no block has come since
    std::uint8_t backgroundGrey_ = 0; // the grey the display was last drawn on

    std::vector<std::uint8_t> receive_;
    std::vector<std::uint8_t> header_;
    std::vector<char> reply_;
    std::array<std::vector<std::uint8_t>, 2> analog_;
    std::array<std::vector<std::uint8_t>, 2> analogSecond_;
    std::vector<std::uint16_t> la_;
    std::vector<std::uint16_t> laSecond_;
    std::vector<std::uint8_t> lanCarry_; // bytes received beyond one live reply
    int lanCarried_ = 0;
    int lanPending_ = 0; // bytes of the current live reply at kLanReplyAt
};

} // namespace oxacq
