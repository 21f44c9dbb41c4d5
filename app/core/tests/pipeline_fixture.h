// A display engine on zeroed records with channel buffers of exact size, so the address
// sanitizer sees any read past them, plus recording stand-ins for the command layer and the
// screen.
#pragma once

#include "oxdisplay.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace oxdisplay::testing {

struct RecordingCommands : DisplayCommands {
    bool mathEnabled = false;
    bool fftSplit = false;
    std::vector<std::pair<unsigned int, long>> posted;
    std::vector<int> spectrumWindows;
    int restarts = 0;

    bool GetMathEnabled() override { return mathEnabled; }
    bool GetMathEnabledStop() override { return mathEnabled; }
    bool GetFFTSplitScreen() override { return fftSplit; }
    void GetFFTHorizZoomScale(int trace) override { spectrumWindows.push_back(trace); }
    void PostIOCmd(unsigned long group, unsigned int subCmd, long value) override {
        EXPECT_EQ(group, oxcmd::group::kRunControl);
        posted.emplace_back(subCmd, value);
    }
    void RestartPersistence() override { ++restarts; }
    bool Posted(unsigned int subCmd, long value) const {
        for (const auto& p : posted) {
            if (p.first == subCmd && p.second == value) {
                return true;
            }
        }
        return false;
    }
};

struct RecordingPresent : PresentTarget {
    int frames = 0;
    bool accept = true;
    std::uint32_t centrePixel = 0;
    bool Present(const Surface& composition, const Surface&) override {
        ++frames;
        centrePixel = composition.PixelAt(kComposeWidth / 2, kComposeHeight / 2);
        return accept;
    }
};

struct CapturingMeasure : MeasureSink {
    int calls = 0;
    MeasureInput last;
    std::vector<std::string> lines; // the read-outs it has drawn over the picture
    void HandOver(const MeasureInput& input) override {
        ++calls;
        last = input;
    }
    void OverlayLines(const _OX_SETUP&, std::vector<std::string>& out) const override {
        out = lines;
    }
};

// Raw sample of a level in divisions above the centre (25 counts a division, rows downward).
inline std::uint8_t RawAt(double divisions) {
    return static_cast<std::uint8_t>(std::lround(125.0 - 25.0 * divisions));
}

// A sine of `peakDivisions` amplitude, `period` samples long.
inline void FillSine(std::vector<std::uint8_t>& buffer, double peakDivisions, int period) {
    for (std::size_t i = 0; i < buffer.size(); ++i) {
        buffer[i] = RawAt(peakDivisions * std::sin(2.0 * M_PI * static_cast<double>(i) / period));
    }
}

class DisplayTest : public ::testing::Test {
protected:
    explicit DisplayTest(std::size_t recordPoints = kLivePoints) : points(recordPoints) {
        for (auto& b : analog) {
            b.assign(points, 125);
        }
        for (auto& b : second) {
            b.assign(kLivePoints, 125);
        }
        la.assign(points, 0);
        laSecond.assign(kLivePoints, 0);
        setup->bRun = 1;
        setup->bConnected = 1;
        setup->bChanDisplay[0] = 1;
        setup->bChanShownStop[0] = 1;
        setup->nActiveChannel = 0;
        for (int ch = 0; ch < 2; ++ch) {
            setup->fChanScale[ch] = setup->fChanScaleRec[ch] = 1.0f;
        }
        region->bDisplayActive = 1;
    }

    DisplayEngine& Engine() {
        if (!engine) {
            ChannelBuffers channels{{analog[0], analog[1]}, {second[0], second[1]}, la, laSecond};
            ReferenceBuffers refs;
            for (int r = 0; r < kRefSlots; ++r) {
                refs.samples[r] = references[r];
            }
            engine = std::make_unique<DisplayEngine>(
                DisplayRecords{setup.get(), region.get(), positions.get()}, channels, refs,
                counters, commands, measure, &present);
        }
        return *engine;
    }

    // The display tick of a running instrument: one live frame, composed.
    void LiveFrame() {
        DisplayEngine& e = Engine();
        if (region->bRedrawAll || !backgroundDrawn) {
            e.FullRedraw();
            backgroundDrawn = true;
        }
        e.Erase();
        e.ResetTraceWindows();
        e.RunPipeline(kLivePoints, false);
        e.HandOverMeasurement();
        e.DrawTraces(false);
        e.Compose();
        e.DrawOverlays();
        e.Present();
    }

    // Rows of the composition surface (plot columns only) holding `colour`.
    std::pair<int, int> RowSpan(std::uint32_t colour, int top = 0, int bottom = kComposeHeight) {
        int first = -1;
        int last = -1;
        const Surface& c = Engine().Composition();
        for (int y = top; y < bottom; ++y) {
            for (int x = kPlotLeft; x < kPlotLeft + kColumns; ++x) {
                if (c.PixelAt(x, y) == colour) {
                    first = first < 0 ? y : first;
                    last = y;
                    break;
                }
            }
        }
        return {first, last};
    }

    // Rows of the composition surface where the picture differs from the bare grid.
    std::pair<int, int> TraceRowSpan() {
        int first = -1;
        int last = -1;
        const Surface& c = Engine().Composition();
        const Surface& g = Engine().Grid();
        for (int y = kPlotTopInCompose; y < kPlotTopInCompose + kPlotRows; ++y) {
            for (int x = 0; x < kColumns; ++x) {
                if (c.PixelAt(kPlotLeft + x, y) != g.PixelAt(x, y - kPlotTopInCompose)) {
                    first = first < 0 ? y : first;
                    last = y;
                    break;
                }
            }
        }
        return {first, last};
    }

    int CountPixels(const Surface& surface, std::uint32_t colour) {
        int n = 0;
        for (int y = 0; y < surface.Height(); ++y) {
            for (int x = 0; x < surface.Width(); ++x) {
                n += surface.PixelAt(x, y) == colour ? 1 : 0;
            }
        }
        return n;
    }

    std::size_t points;
    std::unique_ptr<_OX_SETUP> setup = std::make_unique<_OX_SETUP>();
    std::unique_ptr<_OX_RGN_SETUP> region = std::make_unique<_OX_RGN_SETUP>();
    std::unique_ptr<_OX_POS_SETUP> positions = std::make_unique<_OX_POS_SETUP>();
    std::vector<std::uint8_t> analog[2];
    std::vector<std::uint8_t> second[2];
    std::vector<std::uint16_t> la;
    std::vector<std::uint16_t> laSecond;
    std::vector<std::uint8_t> references[kRefSlots];
    FrameCounters counters;
    RecordingCommands commands;
    CapturingMeasure measure;
    RecordingPresent present;
    std::unique_ptr<DisplayEngine> engine;
    bool backgroundDrawn = false;
};

// Composition row of a level in divisions above the centre of the single layout.
inline int ComposeRowAt(double divisions) {
    return kPlotTopInCompose + kPlotRows / 2 - static_cast<int>(std::lround(divisions * 50.0));
}

} // namespace oxdisplay::testing
