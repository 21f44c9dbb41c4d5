// A running two-channel Y-T display engine fed with prepared frames, shared by the display
// benchmarks: vectors, ground markers, trigger marks, the memory-status bar, the counter
// read-outs and all automatic measurements of both channels; no link.
#pragma once

#include "oxdisplay.h"
#include "oxmeasure.h"

#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace oxbow::bench {

using namespace oxdisplay;

constexpr int kFrames = 32;

struct NoCommands final : DisplayCommands {
    bool GetMathEnabled() override { return false; }
    bool GetMathEnabledStop() override { return false; }
    bool GetFFTSplitScreen() override { return false; }
    void GetFFTHorizZoomScale(int) override {}
    void PostIOCmd(unsigned long, unsigned int, long) override {}
    void RestartPersistence() override {}
};

// The shared records of a running two-channel Y-T screen with markers and read-outs.
void RunningSetup(_OX_SETUP& setup, _OX_RGN_SETUP& region) {
    setup.bRun = 1;
    for (int ch = 0; ch < 2; ++ch) {
        setup.bChanDisplay[ch] = 1;
        setup.fChanScale[ch] = 1.0f;
        setup.fChanScaleRec[ch] = 1.0f;
    }
    setup.nWaveIntensity = 80;
    setup.nGridIntensity = 50;
    setup.bPfEnable = 1;
    setup.bPfInfo = 1;
    region.bDisplayActive = 1;
    region.ptTrace[0][0] = {15, 159};
    region.ptTrace[0][1] = {15, 259};
    region.ptTrigLevel[0] = {16, 180};
    region.ptTrigPos[0] = {366, 13};
    region.ptTrigOrigin = {366, 9};
}

struct Bench {
    std::unique_ptr<_OX_SETUP> setup = std::make_unique<_OX_SETUP>();
    std::unique_ptr<_OX_RGN_SETUP> region = std::make_unique<_OX_RGN_SETUP>();
    std::unique_ptr<_OX_POS_SETUP> positions = std::make_unique<_OX_POS_SETUP>();
    std::array<std::vector<std::uint8_t>, 2> channel{std::vector<std::uint8_t>(kLivePoints, 125),
                                                     std::vector<std::uint8_t>(kLivePoints, 125)};
    std::vector<std::uint8_t> second = std::vector<std::uint8_t>(kLivePoints, 125);
    std::vector<std::uint16_t> la = std::vector<std::uint16_t>(kLivePoints, 0);
    std::vector<std::vector<std::uint8_t>> frames;
    FrameCounters counters;
    NoCommands commands;
    oxmeasure::Measurer measure; // every measurement of both channels, as the read-outs ask
    std::unique_ptr<DisplayEngine> engine;

    explicit Bench(PresentTarget* present = nullptr) {
        RunningSetup(*setup, *region);
        measure.SetWanted(oxmeasure::Measurer::Reader::Panel, true);
        // Noisy sines with a moving phase, as the instrument sends them: 2 x 2048 bytes a frame.
        for (int f = 0; f < kFrames; ++f) {
            std::vector<std::uint8_t> frame(2 * kLivePoints);
            for (int i = 0; i < kLivePoints; ++i) {
                const double t = 2.0 * M_PI * (i + 13 * f) / 400.0;
                frame[i] = static_cast<std::uint8_t>(125 - 50 * std::sin(t) + (i * 7 + f) % 5);
                frame[kLivePoints + i] =
                    static_cast<std::uint8_t>(125 - 30 * std::cos(3 * t) + (i * 3 + f) % 3);
            }
            frames.push_back(std::move(frame));
        }
        ChannelBuffers buffers{{channel[0], channel[1]}, {second, second}, la, la};
        engine = std::make_unique<DisplayEngine>(
            DisplayRecords{setup.get(), region.get(), positions.get()}, buffers, ReferenceBuffers{},
            counters, commands, measure, present);
        engine->FullRedraw();
    }

    void Tick(int f) {
        const std::uint8_t* frame = frames[static_cast<std::size_t>(f)].data();
        std::memcpy(channel[0].data(), frame, kLivePoints);
        std::memcpy(channel[1].data(), frame + kLivePoints, kLivePoints);
        engine->Erase();
        engine->ResetTraceWindows();
        engine->RunPipeline(kLivePoints, false);
        engine->HandOverMeasurement();
        engine->DrawTraces(false);
        engine->Compose();
        engine->DrawOverlays();
    }
};

} // namespace oxbow::bench
