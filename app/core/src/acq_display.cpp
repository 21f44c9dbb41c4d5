// The display side of the loop: one live frame per I/O tick while running, the last frame,
// the full record and the stopped redraws after a stop, and the display tick around them.
#include "oxacq.h"

#include <algorithm>
#include <cstring>
#include <exception>

namespace oxacq {

namespace {

constexpr int kStatusTable = 512;
constexpr std::int32_t kPersistFrames = 16;
constexpr std::int32_t kPersistFillLimit = 17;

} // namespace

// Cuts frame `slot` of the current block into the channel buffers: per source its main part,
// and with the delayed sweep its second part right after it. A frame that did not arrive
// whole is left alone.
void Acquisition::CutFrame(int slot) {
    const unsigned mask = counters_.blockMask;
    const int stride = counters_.blockStride;
    const std::int64_t start = kFrameArea + static_cast<std::int64_t>(slot) * stride;
    if (stride <= 0 || slot < 0 || start + stride > counters_.blockEnd) return;
    const bool delayed = stride != FrameStride(mask, false);
    const std::uint8_t* part = &receive_[static_cast<std::size_t>(start)];
    for (int c = 0; c < 2; ++c) {
        if (!(mask & (1u << c))) continue;
        std::memcpy(analog_[c].data(), part, kFrameSamples);
        part += kFrameSamples;
        if (delayed) {
            std::memcpy(analogSecond_[c].data(), part, kFrameSamples);
            part += kFrameSamples;
        }
    }
    if (mask & kMaskLa) {
        std::memcpy(la_.data(), part, 2 * kFrameSamples);
        part += 2 * kFrameSamples;
        if (delayed) std::memcpy(laSecond_.data(), part, 2 * kFrameSamples);
    }
}

void Acquisition::DistributeFrame() {
    const std::int32_t recorder = Setup().nRecordState;
    if (recorder == oxcmd::code::kPlaying || recorder == oxcmd::code::kPlayPaused) {
        SetRunStatus(recorder == oxcmd::code::kPlaying ? kStatusPlay : kStatusPause);
        if (requests_.playbackStep.exchange(false)) PlayRecordedFrame();
    } else {
        CutFrame(counters_.ringIndex);
        if (recorder == oxcmd::code::kRecording && requests_.recordNext.exchange(false))
            RecordFrame();
        SetRunStatus(OnLan() ? counters_.lanStatus
                             : header_[kStatusTable + counters_.framesConsumed]);
    }
    ++counters_.framesConsumed;
    counters_.ringIndex = (counters_.ringIndex + 1) % kRingFrames;
}

void Acquisition::PersistFrameStep() {
    if (!Setup().bSlowSweep && Setup().nTimeFormat == oxcmd::code::kYT)
        frame_.nPersistFrame =
            frame_.nPersistFrame >= kPersistFrames ? 0 : frame_.nPersistFrame + 1;
    else
        frame_.nPersistFrame = 0;
}

void Acquisition::FillStep() {
    frame_.nPersistFill = std::min(frame_.nPersistFill + 1, kPersistFillLimit);
}

void Acquisition::FrameStep() {
    PersistFrameStep();
    display_->ResetTraceWindows();
    DistributeFrame();
    display_->RunPipeline(kFrameSamples, false);
    display_->HandOverMeasurement();
    FillStep();
}

void Acquisition::LastFrameStep() {
    if (!OnLan()) UsbLiveRead();
    PersistFrameStep();
    counters_.ringIndex = 0;
    display_->ResetTraceWindows();
    CutFrame(0);
    counters_.lanStatus = kStatusStop;
    if (counters_.framesConsumed >= 0 && counters_.framesConsumed < kRingFrames)
        header_[kStatusTable + counters_.framesConsumed] = kStatusStop;
    SetRunStatus(kStatusStop);
    display_->RunPipeline(kFrameSamples, false);
    display_->HandOverMeasurement();
    FillStep();
}

// The stored record's length: a memory-depth change while stopped does not lengthen it.
int Acquisition::StoppedPoints() const {
    return std::clamp(records_.setup->nAcqMemoryRec, 0, kAnalogMainBytes);
}

void Acquisition::StopScreenStep(short value) {
    commands_.GetStopScreenPara(value);
    display_->RunPipeline(StoppedPoints(), true);
    display_->HandOverMeasurement();
}

void Acquisition::ChangedSettingsStep() {
    if (Setup().bSlowSweep && counters_.newData) {
        FullMemoryRead();
        region_->bAcquiring = 1;
    }
    commands_.GetChangeSettingScreenPara();
    display_->RunPipeline(Setup().bDelayed ? kFrameSamples : StoppedPoints(), true);
}

bool Acquisition::EraseAsked() const {
    return region_->bEraseRequest || region_->bRedrawWave;
}

void Acquisition::RunningDisplayStep() {
    const _OX_SETUP& setup = Setup();
    if (counters_.frameCount > 0 && counters_.framesConsumed < counters_.frameCount) {
        if (region_->bErasePending || region_->bEraseBeforeFrame || setup.bSlowSweep ||
            setup.nTimeFormat != oxcmd::code::kYT) {
            display_->Erase();
            region_->bEraseBeforeFrame = 0;
        }
        FrameStep();
        display_->DrawTraces(false);
    } else if (counters_.frameCount <= 0 && setup.bSettingChanged) {
        display_->Erase();
        ChangedSettingsStep();
        display_->DrawTraces(true);
    }
    if (EraseAsked()) {
        display_->Erase();
        region_->bRedrawWave = 0;
    }
}

void Acquisition::StoppedDisplayStep() {
    const _OX_SETUP& setup = Setup();
    if (Acquiring()) {
        display_->Erase();
        // In Y-T the last live frame is drawn first, and stays when the record cannot be read.
        const bool lastFrame = setup.nTimeFormat == oxcmd::code::kYT && !setup.bSlowSweep;
        if (lastFrame) LastFrameStep();
        const bool held = FullMemoryRead();
        if (held) {
            TakeRecordSnapshot();
            StopScreenStep(0);
        }
        if (lastFrame || held) display_->DrawTraces(!lastFrame);
        // With the record on the screen, changes while stopped redraw it (SetRefreshWave).
        Setup().bWaveHold = held ? 1 : 0;
        // With nothing to read there is no record to wait for.
        region_->bAcquiring = 0;
        return;
    }
    if (EraseAsked()) {
        display_->Erase();
        region_->bRedrawWave = 0;
        StopScreenStep(counters_.stopScreenValue);
        display_->DrawTraces(true);
    } else if (region_->bErasePending) {
        display_->Erase();
    }
}

// The display settings whose handlers leave the work to the loop: a persistence clear asked
// for, and a new background grey.
void Acquisition::ApplyDisplayRequests() {
    if (region_->bClearPersist) {
        region_->bClearPersist = 0;
        RestartPersistence();
        display_->ClearPersistence();
    }
    if (Setup().byBackgroundGrey != backgroundGrey_) {
        backgroundGrey_ = Setup().byBackgroundGrey;
        display_->ChangeBackground(backgroundGrey_);
    }
}

// Stopped, rolling and slow-sweep pictures are composed on every tick (the scan band is
// erased as it moves); live Y-T pictures as often as SetLivePictureInterval allows.
bool Acquisition::PictureDue() {
    const _OX_SETUP& setup = Setup();
    if (livePictureInterval_.count() == 0 || !setup.bRun || setup.bSlowSweep ||
        setup.nTimeFormat != oxcmd::code::kYT)
        return true;
    const Clock::time_point now = Clock::now();
    if (lastLivePicture_ && now - *lastLivePicture_ < livePictureInterval_) return false;
    lastLivePicture_ = now;
    return true;
}

void Acquisition::DisplayTick() {
    ApplyRequests();
    if (Setup().bRun && !wasRunning_) snapshotPending_ = true;
    wasRunning_ = Setup().bRun != 0;
    try {
        ApplyDisplayRequests();
        if (region_->bRedrawAll || !display_->BackgroundCurrent()) display_->FullRedraw();
        if (Setup().bRun)
            RunningDisplayStep();
        else
            StoppedDisplayStep();
        if (region_->bDisplayActive && PictureDue()) {
            display_->Compose();
            display_->DrawOverlays();
            display_->Present();
        }
    } catch (const std::exception& error) {
        oxbow::AskMessage(
            {error.what(), "", oxbow::MessageButtons::Ok, oxbow::MessageIcon::Error, false});
    }
}

} // namespace oxacq
