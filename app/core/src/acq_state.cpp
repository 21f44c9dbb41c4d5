// The acquisition state: buffers, channel mask, frame geometry, run status and plot style.
#include "oxacq.h"

#include "ox_link.h"
#include "ox_queue.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace oxacq {

namespace {

constexpr float kScanFactor = 0.0028571428f; // the float nearest below 1/350

} // namespace

int FrameStride(unsigned mask, bool delayed) {
    int stride = 0;
    if (mask & kMaskCh1) stride += kFrameSamples;
    if (mask & kMaskCh2) stride += kFrameSamples;
    if (mask & kMaskLa) stride += 2 * kFrameSamples;
    return delayed ? 2 * stride : stride;
}

std::int32_t ScanPositionFromSource(std::uint16_t source) {
    const long double product =
        static_cast<long double>(source) * 700.0L * static_cast<long double>(kScanFactor);
    return static_cast<std::int32_t>(product);
}

std::int32_t FirstRingSlot(std::int32_t writeIndex, std::int32_t frameCount) {
    const std::int32_t slot = (writeIndex - frameCount) % kRingFrames;
    return slot < 0 ? slot + kRingFrames : slot;
}

Acquisition::Acquisition(AcqRecords records, CWinSocket* socket, AcqCommands& commands,
                         DisplaySteps& display)
    : records_(records), region_(records.region), socket_(socket), commands_(commands),
      display_(&display), receive_(kReceiveBytes), header_(kHeaderCopyBytes), reply_(kReplyBytes),
      la_(kLaMainSamples), laSecond_(kSecondSamples), lanCarry_(kLanReplyLimit) {
    for (int c = 0; c < 2; ++c) {
        analog_[c].assign(kAnalogMainBytes, 125);
        analogSecond_[c].assign(kSecondSamples, 125);
    }
}

oxdisplay::ChannelBuffers Acquisition::Channels() const {
    oxdisplay::ChannelBuffers buffers;
    for (int c = 0; c < 2; ++c) {
        buffers.analog[c] = analog_[c];
        buffers.analogSecond[c] = analogSecond_[c];
    }
    buffers.la = la_;
    buffers.laSecond = laSecond_;
    return buffers;
}

unsigned Acquisition::ChannelMask() {
    const _OX_SETUP& setup = Setup();
    unsigned mask = 0;
    if (setup.bChanDisplay[0]) mask |= kMaskCh1;
    if (setup.bChanDisplay[1]) mask |= kMaskCh2;
    if (setup.bLaEnable) mask |= kMaskLa;
    if (commands_.GetMathEnabled()) mask |= kMaskCh1 | kMaskCh2;
    return mask;
}

void Acquisition::SetRunStatus(std::int32_t code) {
    if (code == counters_.runStatus) return;
    counters_.runStatus = code;
    // The code travels in the message: the window never reads the acquisition's counters.
    CWnd::SendMessageTo(mainWindow_, oxcmd::group::kRunControl, oxcmd::run::kRunStatusChanged,
                        code);
}

// The plot style follows the instrument unless persistence or colour grade override it;
// a change makes the instrument drop what it holds and empties the persistence state.
void Acquisition::ApplyPlotStyle(std::uint8_t source) {
    const _OX_SETUP& setup = Setup();
    if (setup.bDisplayPersist || setup.bDisplayColorGrade) {
        frame_.bPlotDots = setup.bDisplayColorGrade;
        return;
    }
    const std::uint8_t dots = source != 0 ? 1 : 0;
    if (dots == frame_.bPlotDots) return;
    frame_.bPlotDots = dots;
    RestartPersistence();
    display_->ClearPersistence();
}

// The instrument drops what it holds and persistence starts afresh with the next block.
void Acquisition::RestartPersistence() {
    WriteCommand(":CLEARUSB");
    frame_.nPersistFrame = -1;
    frame_.nPersistFill = 0;
    counters_.frameCount = 0;
    counters_.framesConsumed = 0;
}

// What every accepted block or reply does after its own header.
void Acquisition::BlockAccepted() {
    commands_.SetChanEnabledStop(true);
    counters_.framesConsumed = 0;
    counters_.newData = 1;
    TakeRecordSnapshot();
}

// Data acquired with the current settings has arrived: a block, or the record read when the
// instrument stops. When a setting changed, or a run started, since the last block, the
// stored-record settings become the current ones. (Without the run start, settings changed
// while stopped would stay out of the snapshot for the whole next run.)
void Acquisition::TakeRecordSnapshot() {
    if (Setup().bSettingChanged || snapshotPending_) {
        commands_.SaveChangeSetting();
        Setup().bSettingChanged = 0;
        snapshotPending_ = false;
    }
}

// No new data: the display waits for a trigger and the scan covers the whole width.
void Acquisition::NoBlock(bool lanTimeoutStatus) {
    const std::int32_t sweep = Setup().nTrigSweep;
    if (sweep == oxcmd::code::kSweepNormal || sweep == oxcmd::code::kSweepSingle)
        SetRunStatus(kStatusWait);
    else if (lanTimeoutStatus)
        SetRunStatus(kStatusAuto);
    frame_.nScanPos = 699;
    counters_.newData = 0;
}

void Acquisition::ApplyRequests() {
    // Only a running instrument acquires: after STOP the record has been read, and a late
    // timer (500 ms after a change made while running) would read it once more.
    if (requests_.acquire.exchange(false) && Setup().bRun) region_->bAcquiring = 1;
    if (requests_.stopAcquiring.exchange(false)) region_->bAcquiring = 0;
    if (requests_.playbackTick.exchange(false)) {
        // One more frame of the block is drawn (the last one again when all were), and it
        // is the next recorded frame while a recording plays.
        if (counters_.frameCount > 0)
            counters_.framesConsumed =
                std::min(counters_.framesConsumed + 1, counters_.frameCount - 1);
        requests_.playbackStep = true;
    }
    // The window no longer shows the last code told: the instrument's next one is told,
    // even when it is the same (T'D before and after an auto set-up).
    if (requests_.runStateWritten.exchange(false)) counters_.runStatus = kStatusUntold;
    if (requests_.clearError.exchange(false)) {
        Setup().szSystemError[0] = '\0';
        region_->bErrorShown = 0;
    }
    ApplyWindowRequests();
}

// The main window's timers that only raise flags of the region record.
void Acquisition::ApplyWindowRequests() {
    if (requests_.eraseBeforeFrame.exchange(false) && Setup().bDisplayPersist == 0)
        region_->bEraseBeforeFrame = 1;
    const int highlight = requests_.markerHighlight.exchange(kNoHighlightRequest);
    if (highlight != kNoHighlightRequest) {
        region_->nDragMarker = highlight;
        region_->bMarkerHighlight = 1;
    }
    if (requests_.markerHighlightOff.exchange(false)) {
        region_->bMarkerHighlight = 0;
        if (Setup().bRun == 0) SetRefreshWave(true);
    }
    if (requests_.floatDraw.exchange(false)) region_->bFloatDraw = 1;
    if (requests_.redrawSection.exchange(false)) region_->bRedrawSection = 1;
    if (requests_.clearBusy.exchange(false)) std::atomic_ref(region_->bBusy).store(0);
    if (requests_.redrawAll.exchange(false)) {
        region_->bRedrawAll = 1;
        region_->bDisplayActive = 1;
    }
}

// A command whose send came back short (or failed) means the link is gone.
bool Acquisition::SendChecked(const std::string& command, int (*send)(const std::string&)) {
    const int sent = send(command);
    if (sent < static_cast<int>(command.size())) {
        LinkLost();
        return false;
    }
    Setup().bConnected = 1;
    return true;
}

void Acquisition::LinkLost() {
    Setup().bConnected = 0;
    ConnectionLostDialog();
}

} // namespace oxacq
