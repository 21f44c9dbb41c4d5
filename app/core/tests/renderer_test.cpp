// Renderer: a live sine lands on the rows the geometry gives, split layouts, the active
// trace on top, X-Y, references in the background, overlays, presentation and recovery
// from lost surfaces.
#include "numerix.h"
#include "oxmarkers.h"
#include "pipeline_fixture.h"

#include <algorithm>
#include <cstdio>

namespace oxdisplay::testing {
namespace {

using RendererTest = DisplayTest;

TEST_F(RendererTest, LiveSineSpansExactlyItsPeaksAroundTheCentre) {
    // 4 Vpp at 1 V/div: +-2 divisions around the centre, no further.
    FillSine(analog[0], 2.0, 200);
    LiveFrame();
    const auto [top, bottom] = RowSpan(Engine().ChannelPixel(0));
    EXPECT_EQ(top, ComposeRowAt(2.0));
    EXPECT_EQ(bottom, ComposeRowAt(-2.0));
    EXPECT_EQ(present.frames, 1);
}

TEST_F(RendererTest, StoppedRecordMovesWithTheOffsetChangedSinceItWasTaken) {
    FillSine(analog[0], 1.0, 200);
    setup->bRun = 0;
    setup->fChanOffset[0] = 1.0f; // one division up; the record was taken at offset 0
    positions->stWindow[OX_WIN_MAIN] = {0, 1399, 0, 699, 0, 699, 0, 0};
    Engine().FullRedraw();
    Engine().Erase();
    Engine().RunPipeline(kLivePoints, true);
    Engine().DrawTraces(true);
    Engine().Compose();
    const auto [top, bottom] = TraceRowSpan();
    EXPECT_EQ(top, ComposeRowAt(2.0));
    EXPECT_EQ(bottom, ComposeRowAt(0.0));
}

TEST_F(RendererTest, EraseClearsThePreviousFrame) {
    analog[0].assign(kLivePoints, RawAt(3));
    LiveFrame();
    analog[0].assign(kLivePoints, RawAt(-3));
    LiveFrame();
    const auto [top, bottom] = RowSpan(Engine().ChannelPixel(0));
    EXPECT_EQ(top, ComposeRowAt(-3.0));
    EXPECT_EQ(bottom, ComposeRowAt(-3.0));
}

TEST_F(RendererTest, PlainFramesDrawnWithoutAnEraseDoNotPileUp) {
    analog[0].assign(kLivePoints, RawAt(3));
    LiveFrame();
    analog[0].assign(kLivePoints, RawAt(-3));
    Engine().ResetTraceWindows();
    Engine().RunPipeline(kLivePoints, false);
    Engine().DrawTraces(false); // the running step erases only on request
    Engine().Compose();
    const auto [top, bottom] = RowSpan(Engine().ChannelPixel(0));
    EXPECT_EQ(top, ComposeRowAt(-3.0));
    EXPECT_EQ(bottom, ComposeRowAt(-3.0));
}

TEST_F(RendererTest, OverdrivenSignalStaysInsideThePlotArea) {
    for (std::size_t i = 0; i < analog[0].size(); ++i) {
        analog[0][i] = i % 2 ? 0 : 255;
    }
    setup->fChanOffset[0] = 40.0f; // far off screen
    LiveFrame();
    const auto [top, bottom] = RowSpan(Engine().ChannelPixel(0));
    EXPECT_GE(top, kPlotTopInCompose - 4);
    EXPECT_LE(bottom, kPlotTopInCompose + kPlotRows + 4);
}

TEST_F(RendererTest, ActiveTraceIsDrawnOnTop) {
    setup->bChanDisplay[1] = 1;
    analog[0].assign(kLivePoints, RawAt(1));
    analog[1].assign(kLivePoints, RawAt(1));
    const int row = ComposeRowAt(1.0);
    for (int active : {0, 1}) {
        setup->nActiveChannel = active;
        LiveFrame();
        EXPECT_EQ(Engine().Composition().PixelAt(kPlotLeft + 350, row),
                  Engine().ChannelPixel(active))
            << active;
    }
}

TEST_F(RendererTest, DotsDrawOnlyTheSamplesThemselves) {
    setup->nDisplayType = 1;
    FillSine(analog[0], 2.0, 40); // steep: vectors would fill the rows between
    LiveFrame();
    const int dots = CountPixels(Engine().Composition(), Engine().ChannelPixel(0));
    setup->nDisplayType = 0;
    LiveFrame();
    const int vectors = CountPixels(Engine().Composition(), Engine().ChannelPixel(0));
    EXPECT_GT(dots, 0);
    EXPECT_LE(dots, 1400);
    EXPECT_GT(vectors, 2 * dots);
}

TEST_F(RendererTest, DelayedSweepDrawsEachRegionFromItsOwnBuffer) {
    setup->bDelayed = 1;
    region->bRedrawAll = 1;
    analog[0].assign(kLivePoints, RawAt(2));
    second[0].assign(kLivePoints, RawAt(-2));
    LiveFrame();
    EXPECT_EQ(Engine().CurrentLayout(), Layout::Delayed);
    // Split regions of 192 rows (24 pixels a division, 4 divisions to the centre).
    const int upperTop = kPlotTopInCompose;
    const int lowerTop = kPlotTopInCompose + kPlotRows - 192;
    const auto colour = Engine().ChannelPixel(0);
    EXPECT_EQ(RowSpan(colour, upperTop, upperTop + 192),
              std::make_pair(upperTop + 96 - 48, upperTop + 96 - 48));
    EXPECT_EQ(RowSpan(colour, lowerTop, lowerTop + 192),
              std::make_pair(lowerTop + 96 + 48, lowerTop + 96 + 48));
    EXPECT_EQ(RowSpan(colour, upperTop + 192, lowerTop).first, -1); // nothing on the split line
}

// Between the halves: the frame edges, background, and one thin grey split line.
TEST_F(RendererTest, TheDelayedHalvesAreSplitByOneGreyLine) {
    setup->bDelayed = 1;
    region->bRedrawAll = 1;
    LiveFrame();
    const Surface& c = Engine().Composition();
    const int gapTop = kPlotTopInCompose + 192 + 1; // below the upper half's frame edge
    const int gapBottom = kPlotTopInCompose + kPlotRows - 192;
    int lineRows = 0;
    for (int y = gapTop; y < gapBottom; ++y) {
        bool line = false;
        for (int x = kPlotLeft; x < kPlotLeft + kColumns; ++x) {
            const std::uint32_t p = c.PixelAt(x, y);
            ASSERT_EQ(p & 0xFF, (p >> 8) & 0xFF) << x << "," << y << ": not grey";
            ASSERT_EQ(p & 0xFF, (p >> 16) & 0xFF) << x << "," << y << ": not grey";
            line = line || p != 0;
        }
        lineRows += line ? 1 : 0;
    }
    EXPECT_EQ(lineRows, 2);
}

TEST_F(RendererTest, AlternateTriggerPutsEachChannelInItsRegion) {
    setup->nTrigMode = 4;
    setup->bChanDisplay[1] = 1;
    region->bRedrawAll = 1;
    analog[0].assign(kLivePoints, RawAt(0));
    analog[1].assign(kLivePoints, RawAt(0));
    LiveFrame();
    EXPECT_EQ(Engine().CurrentLayout(), Layout::Alternate);
    const int upperCentre = kPlotTopInCompose + 96;
    const int lowerCentre = kPlotTopInCompose + kPlotRows - 96;
    EXPECT_EQ(RowSpan(Engine().ChannelPixel(0)), std::make_pair(upperCentre, upperCentre));
    EXPECT_EQ(RowSpan(Engine().ChannelPixel(1)), std::make_pair(lowerCentre, lowerCentre));
}

TEST_F(RendererTest, FFTSplitDrawsTheSpectrumBelowTheTimeTraces) {
    FFT_Init();
    commands.mathEnabled = true;
    commands.fftSplit = true;
    FillSine(analog[0], 2.0, 64);
    setup->bTraceShown[0] = 1;
    setup->nMathOperator[0] = 3;
    setup->fMathScale[0] = 1.0f;
    positions->stWindow[OX_WIN_SPECTRUM] = {0, 1023, 0, 699, 0, 699, 0, 0};
    region->bRedrawAll = 1;
    LiveFrame();
    const int lowerTop = kPlotTopInCompose + kPlotRows - 192;
    const auto [mathTop, mathBottom] = RowSpan(Engine().MathPixel());
    EXPECT_GE(mathTop, lowerTop - 4);
    EXPECT_LE(mathBottom, kPlotTopInCompose + kPlotRows + 4);
    const auto [chTop, chBottom] = RowSpan(Engine().ChannelPixel(0));
    EXPECT_GE(chTop, kPlotTopInCompose);
    EXPECT_LT(chBottom, kPlotTopInCompose + 192);
    FFT_Destory();
}

TEST_F(RendererTest, XYNeedsBothChannels) {
    setup->nTimeFormat = 1;
    FillSine(analog[0], 2.0, 200);
    FillSine(analog[1], 2.0, 50);
    LiveFrame();
    EXPECT_EQ(CountPixels(Engine().TraceA(), kXYColour), 0); // CH2 off: nothing
    setup->bChanDisplay[1] = 1;
    LiveFrame();
    EXPECT_GT(CountPixels(Engine().TraceA(), kXYColour), 100);
    EXPECT_EQ(CountPixels(Engine().TraceA(), Engine().ChannelPixel(0)), 0);
}

TEST_F(RendererTest, ReferencesBecomePartOfTheGrid) {
    setup->nWaveIntensity = 100; // references in full white
    references[0].assign(4000, RawAt(1));
    setup->bRefDisplay[0] = 1;
    setup->bRefValid[0] = 1;
    setup->nRefLength[0] = 4000;
    setup->fRefScale[0] = 1.0f;
    positions->stWindow[OX_WIN_REF] = {0, 3999, 0, 699, 0, 699, 0, 0};
    Engine().FullRedraw();
    int found = -1;
    for (int y = 0; y < kPlotRows && found < 0; ++y) {
        const std::uint32_t p = Engine().Grid().PixelAt(350, y);
        found = (p & 0xFF) > 0xC0 && ((p >> 16) & 0xFF) > 0xC0 && ((p >> 8) & 0xFF) > 0xC0 ? y : -1;
    }
    EXPECT_EQ(found, kPlotRows / 2 - 50); // trace row 200, grid row 150
    LiveFrame();
    EXPECT_EQ(Engine().Composition().PixelAt(kPlotLeft + 350, ComposeRowAt(1.0)),
              Engine().Grid().PixelAt(350, kPlotRows / 2 - 50));
}

TEST_F(RendererTest, SlowSweepErasesABandAheadOfTheScanInsideThePlot) {
    setup->bSlowSweep = 1;
    analog[0].assign(kLivePoints, RawAt(1));
    counters.nScanPos = 699; // the band 693..705 is cut at the last column
    LiveFrame();
    const int row = ComposeRowAt(1.0);
    const auto colour = Engine().ChannelPixel(0);
    const auto at = [&](int column) {
        return Engine().Composition().PixelAt(kPlotLeft + column, row);
    };
    EXPECT_EQ(at(692), colour);
    EXPECT_NE(at(693), colour);
    EXPECT_NE(at(699), colour);
    EXPECT_EQ(at(kColumns), 0x969696u); // the frame right of the plot is untouched
    counters.nScanPos = 3;              // the band -3..9 is cut at column 0
    Engine().Compose();
    EXPECT_NE(at(0), colour);
    EXPECT_NE(at(9), colour);
    EXPECT_EQ(at(10), colour);
}

TEST_F(RendererTest, PersistenceKeepsEarlierFrames) {
    setup->bDisplayPersist = 1;
    LiveFrame(); // background and a first, empty-handed erase
    for (int frame = 0; frame < 3; ++frame) {
        analog[0].assign(kLivePoints, RawAt(frame - 1));
        counters.nPersistFrame = frame;
        counters.nPersistFill = frame + 1;
        Engine().ResetTraceWindows();
        Engine().RunPipeline(kLivePoints, false);
        Engine().DrawTraces(false);
        Engine().Compose();
    }
    int lit = 0;
    for (int level : {-1, 0, 1}) {
        lit += Engine().Composition().PixelAt(kPlotLeft + 350, ComposeRowAt(level)) !=
                       Engine().Grid().PixelAt(350, ComposeRowAt(level) - kPlotTopInCompose)
                   ? 1
                   : 0;
    }
    EXPECT_EQ(lit, 3);
}

// Colour grade: the accumulated picture against the grid, level by level. A flat trace counts
// two samples a column into one row; at a maximum of 102 a cell of 2 has the second level.
class ColourGradeTest : public DisplayTest {
protected:
    static constexpr std::uint32_t kSecondLevel = 0xFF0000;
    static constexpr std::uint32_t kTopLevel = 0xFFFFFF;

    ColourGradeTest() { setup->bDisplayColorGrade = 1; }
    // A running frame without an erase.
    void Frame() {
        Engine().ResetTraceWindows();
        Engine().RunPipeline(kLivePoints, false);
        Engine().DrawTraces(false);
        Engine().Compose();
    }
    // The colours along a row of the plot, one entry per run of equal pixels.
    std::vector<std::uint32_t> ColoursAlong(int row) {
        std::vector<std::uint32_t> colours;
        for (int x = 0; x < kColumns; ++x) {
            const std::uint32_t pixel = Engine().Composition().PixelAt(kPlotLeft + x, row);
            if (colours.empty() || colours.back() != pixel) {
                colours.push_back(pixel);
            }
        }
        return colours;
    }
    int PixelsOffTheGrid() {
        int n = 0;
        for (int y = 0; y < kPlotRows; ++y) {
            for (int x = 0; x < kColumns; ++x) {
                n += Engine().Composition().PixelAt(kPlotLeft + x, kPlotTopInCompose + y) !=
                             Engine().Grid().PixelAt(x, y)
                         ? 1
                         : 0;
            }
        }
        return n;
    }
};

TEST_F(ColourGradeTest, EraseKeepsTheAccumulatedPicture) {
    analog[0].assign(kLivePoints, RawAt(1));
    LiveFrame(); // one division up: cells of 2
    analog[0].assign(kLivePoints, RawAt(-1));
    for (int frame = 0; frame < 50; ++frame) {
        Frame(); // one division down, up to 100
    }
    Engine().Erase(); // the grid over the traces; the grade stays
    Frame();          // 102: of the thresholds only the top one moves
    EXPECT_EQ(ColoursAlong(ComposeRowAt(1.0)), std::vector<std::uint32_t>{kSecondLevel});
    EXPECT_EQ(ColoursAlong(ComposeRowAt(-1.0)), std::vector<std::uint32_t>{kTopLevel});
    EXPECT_EQ(PixelsOffTheGrid(), 2 * kColumns);
}

TEST_F(ColourGradeTest, TraceOnTopKeepsCoveringTheOneBelow) {
    setup->bChanDisplay[1] = 1;
    setup->nActiveChannel = 0; // CH1 drawn last
    analog[0].assign(kLivePoints, RawAt(1));
    analog[1].assign(kLivePoints, RawAt(1));
    LiveFrame(); // both on the same row
    analog[0].assign(kLivePoints, RawAt(-1));
    for (int frame = 0; frame < 51; ++frame) {
        Frame(); // CH2 goes on counting the row CH1 left; CH1's busiest cell reaches 102
    }
    EXPECT_EQ(ColoursAlong(ComposeRowAt(1.0)), std::vector<std::uint32_t>{kSecondLevel});
    EXPECT_EQ(ColoursAlong(ComposeRowAt(-1.0)), std::vector<std::uint32_t>{kTopLevel});
    EXPECT_EQ(PixelsOffTheGrid(), 2 * kColumns);
}

TEST_F(RendererTest, ErrorTextShowsOnlyWhileFlagged) {
    std::snprintf(setup->szSystemError, sizeof setup->szSystemError, "Function not available");
    LiveFrame();
    EXPECT_EQ(CountPixels(Engine().Composition(), kErrorTextColour), 0);
    region->bErrorShown = 1;
    LiveFrame();
    EXPECT_GT(CountPixels(Engine().Composition(), kErrorTextColour), 50);
}

constexpr std::uint32_t kCursorColour = 0x00C0FF;

// The read-outs lie on one dark box: a trace passing under them never shows between the
// letters, and shows on both sides of the box.
TEST_F(RendererTest, ReadoutsLieOnADarkBoxTheTracesDoNotCross) {
    analog[0].assign(kLivePoints, RawAt(3.8)); // row 19, through the first read-out line
    measure.lines = {"CurAx=2.50ms", "CurBx=-1.00ms"};
    LiveFrame();
    const Surface& c = Engine().Composition();
    const int row = ComposeRowAt(3.8);
    const int textRight = kPlotLeft + kColumns - 8;
    const int textLeft = textRight - 13 * 6; // the longer line: 13 characters of 6 pixels
    const auto count = [&](int from, int to) {
        int n = 0;
        for (int x = from; x < to; ++x) {
            n += c.PixelAt(x, row) == Engine().ChannelPixel(0) ? 1 : 0;
        }
        return n;
    };
    EXPECT_EQ(count(textLeft - 3, textRight + 3), 0);
    EXPECT_GT(count(kPlotLeft, textLeft - 3), 500);
    EXPECT_GT(CountPixels(c, kCursorColour), 50);
}

// A tracking cursor marks the point it reads: the box around where CH1's trace enters the
// cursor's column, and a level line through it.
TEST_F(RendererTest, ATrackingCursorMarksTheTrackedPointOnItsTrace) {
    analog[0].assign(kLivePoints, RawAt(1.0));
    setup->nCursorMode = 2;
    setup->bTrackOnA = 1;
    setup->nTrackSourceA = 0;
    setup->fTrackA = 2.0f; // column 450
    const int x = kPlotLeft + 450;
    region->ptTrackA = {x, 0};
    LiveFrame();
    const Surface& c = Engine().Composition();
    const int y = ComposeRowAt(1.0);
    for (const int corner : {-4, 4}) {
        EXPECT_EQ(c.PixelAt(x + corner, y - 4), kCursorColour) << corner;
        EXPECT_EQ(c.PixelAt(x + corner, y + 4), kCursorColour) << corner;
    }
    const auto lineAt = [this](int column) {
        int n = 0;
        for (int row = kPlotTopInCompose; row < kPlotTopInCompose + kPlotRows; ++row) {
            n += Engine().Composition().PixelAt(column, row) == kCursorColour ? 1 : 0;
        }
        return n;
    };
    EXPECT_GT(lineAt(x), 100); // the cursor's own line
    int level = 0;
    for (int col = kPlotLeft + 1; col < kPlotLeft + kColumns - 1; ++col) {
        level += c.PixelAt(col, y - 4) == kCursorColour ? 1 : 0;
    }
    EXPECT_LT(level, 20) << "only the box's edge, the level line runs through the point";

    // A source without a value there: the line alone.
    setup->nTrackSourceA = 2;
    LiveFrame();
    EXPECT_NE(Engine().Composition().PixelAt(x + 4, y + 4), kCursorColour);
    EXPECT_GT(lineAt(x), 100);
}

TEST_F(RendererTest, TheOfflineLineShowsOnlyWithoutALink) {
    LiveFrame();
    EXPECT_EQ(CountPixels(Engine().Composition(), kErrorTextColour), 0);
    setup->bConnected = 0;
    LiveFrame();
    EXPECT_GT(CountPixels(Engine().Composition(), kErrorTextColour), 100);
}

// The overlay font draws UTF-8: one glyph per character, "?" for one it does not have.
TEST_F(RendererTest, OverlayTextDrawsTheTriangleAndMicroGlyphs) {
    region->bErrorShown = 1;
    const auto lit = [this](const char* text) {
        std::snprintf(setup->szSystemError, sizeof setup->szSystemError, "%s", text);
        LiveFrame();
        return CountPixels(Engine().Composition(), kErrorTextColour);
    };
    const int question = lit("?");
    EXPECT_EQ(lit("\xE2\x96\xB3"), 15); // the triangle's own 15 pixels, not three "?"
    EXPECT_EQ(lit("\xC2\xB5"), 13);
    EXPECT_EQ(lit("\xE2\x98\x83"), question); // a character without a glyph
    EXPECT_EQ(lit("\xE2\x96"), 2 * question); // a cut sequence: one "?" per byte
}

TEST_F(RendererTest, GroundMarkerOfAShownChannelLandsInTheMarkerStrip) {
    region->ptTrace[0][0] = {15, ComposeRowAt(0)};
    LiveFrame();
    EXPECT_GT(CountPixels(Engine().MarkerStrip(), kChannelColour[0]), 0);
    int inComposition = 0;
    for (int y = 0; y < kComposeHeight; ++y) {
        for (int x = 0; x < kMarkerWidth; ++x) {
            inComposition += Engine().Composition().PixelAt(x, y) == kChannelColour[0] ? 1 : 0;
        }
    }
    EXPECT_GT(inComposition, 0);
}

TEST_F(RendererTest, TheMarkerTheMouseHighlightsTurnsWhiteUntilTheHighlightEnds) {
    region->ptTrace[0][0] = {15, ComposeRowAt(0)};
    region->nDragMarker = oxmouse::MarkerCode({oxmouse::MarkerKind::Trace, 0, 0});
    region->bMarkerHighlight = 1;
    LiveFrame();
    EXPECT_EQ(CountPixels(Engine().MarkerStrip(), kChannelColour[0]), 0);
    EXPECT_GT(CountPixels(Engine().MarkerStrip(), 0xFFFFFF), 0);
    region->bMarkerHighlight = 0;
    LiveFrame();
    EXPECT_GT(CountPixels(Engine().MarkerStrip(), kChannelColour[0]), 0);
}

TEST_F(RendererTest, BackgroundGreyFillsTheGridAndIsPresented) {
    Engine().ChangeBackground(0x20);
    EXPECT_EQ(Engine().Grid().PixelAt(3, 3), 0x20202020u);
    EXPECT_EQ(present.frames, 1);
}

TEST_F(RendererTest, RefusedPresentationAsksForTheDisplayCheck) {
    present.accept = false;
    LiveFrame();
    EXPECT_TRUE(commands.Posted(oxcmd::run::kScreenMode, 2));
    present.accept = true;
    LiveFrame(); // the same picture again: the refused one was never shown
    EXPECT_EQ(present.frames, 2);
}

TEST_F(RendererTest, OnlyAChangedPicturePresents) {
    FillSine(analog[0], 2.0, 200);
    LiveFrame();
    ASSERT_EQ(present.frames, 1);
    for (int tick = 0; tick < 3; ++tick) { // stopped ticks that compose the same picture
        Engine().Compose();
        Engine().DrawOverlays();
        Engine().Present();
    }
    EXPECT_EQ(present.frames, 1);

    analog[0].assign(kLivePoints, RawAt(1)); // the trace moves: presented once
    Engine().Erase();
    Engine().RunPipeline(kLivePoints, false);
    Engine().DrawTraces(false);
    for (int tick = 0; tick < 2; ++tick) {
        Engine().Compose();
        Engine().DrawOverlays();
        Engine().Present();
    }
    EXPECT_EQ(present.frames, 2);

    RecordingPresent other; // a new target is given the picture it has not seen
    Engine().SetPresentTarget(&other);
    Engine().Present();
    EXPECT_EQ(other.frames, 1);
    Engine().SetPresentTarget(nullptr);
}

// A target that shows the surface it was given until the next one comes, like the scope
// view, and checks that nobody draws on the one it shows.
struct ShowingPresent : PresentTarget {
    const Surface* shown = nullptr;
    std::vector<std::uint32_t> shownPixels;
    std::vector<const Surface*> distinct;
    int overwritten = 0;
    int frames = 0;

    static std::vector<std::uint32_t> PixelsOf(const Surface& s) {
        return {s.Pixels(), s.Pixels() + static_cast<std::size_t>(s.PitchPixels()) * s.Height()};
    }
    void CheckShown() {
        if (shown != nullptr && PixelsOf(*shown) != shownPixels) {
            ++overwritten;
        }
    }
    bool Present(const Surface& composition, const Surface&) override {
        CheckShown();
        ++frames;
        shown = &composition;
        shownPixels = PixelsOf(composition);
        if (std::find(distinct.begin(), distinct.end(), shown) == distinct.end()) {
            distinct.push_back(shown);
        }
        return true;
    }
    void Release() override {
        CheckShown();
        shown = nullptr;
    }
};

// Every picture composed while the target shows the one before equals the picture an engine
// composing into a single surface makes of the same ticks: margins, split layouts, overlays,
// marker strip and a new background included.
TEST_F(RendererTest, PicturesComposedBesideTheShownOneEqualThoseOfASingleSurface) {
    ShowingPresent showing;
    Engine().SetPresentTarget(&showing);
    FrameCounters aloneCounters;
    RecordingCommands aloneCommands;
    CapturingMeasure aloneMeasure;
    ChannelBuffers channels{{analog[0], analog[1]}, {second[0], second[1]}, la, laSecond};
    DisplayEngine alone(DisplayRecords{setup.get(), region.get(), positions.get()}, channels, {},
                        aloneCounters, aloneCommands, aloneMeasure, nullptr);

    // Both engines tick from the same records; what one tick changes in them is undone
    // before the other one runs.
    const auto tick = [&](DisplayEngine& e) {
        if (region->bRedrawAll != 0) {
            e.FullRedraw();
        }
        e.Erase();
        e.ResetTraceWindows();
        e.RunPipeline(kLivePoints, false);
        e.DrawTraces(false);
        e.Compose();
        e.DrawOverlays();
        e.Present();
    };
    const auto both = [&](const char* step) {
        const _OX_RGN_SETUP before = *region;
        tick(Engine());
        *region = before;
        tick(alone);
        const Surface& a = Engine().Composition();
        const Surface& b = alone.Composition();
        int differing = 0;
        for (int y = 0; y < kComposeHeight; ++y) {
            for (int x = 0; x < kComposeWidth; ++x) {
                differing += a.PixelAt(x, y) != b.PixelAt(x, y) ? 1 : 0;
            }
        }
        EXPECT_EQ(differing, 0) << step;
    };

    region->bRedrawAll = 1;
    FillSine(analog[0], 2.0, 200);
    both("first frame");
    FillSine(analog[0], 1.0, 150);
    region->ptTrace[0][0] = {15, ComposeRowAt(1)};
    both("smaller sine, marker moved");
    std::snprintf(setup->szSystemError, sizeof setup->szSystemError, "Function not available");
    region->bErrorShown = 1;
    both("error text");
    region->bErrorShown = 0;
    region->ptTrace[0][0] = {15, ComposeRowAt(-2)};
    both("error gone, marker moved again");
    setup->bDelayed = 1;
    region->bRedrawAll = 1;
    second[0].assign(kLivePoints, RawAt(-2));
    both("delayed layout");
    analog[0].assign(kLivePoints, RawAt(1));
    both("delayed, trace moved");
    setup->bDelayed = 0;
    region->bRedrawAll = 1;
    both("single again");
    Engine().ChangeBackground(0x30);
    alone.ChangeBackground(0x30);
    FillSine(analog[0], 3.0, 100);
    both("grey background");
    FillSine(analog[0], 2.5, 120);
    both("grey background, new trace");

    EXPECT_EQ(showing.overwritten, 0);
    EXPECT_GE(showing.frames, 9);
    EXPECT_EQ(showing.distinct.size(), 2u); // composed beside the shown picture, not into it
    Engine().SetPresentTarget(nullptr);
    EXPECT_EQ(showing.overwritten, 0);
    EXPECT_EQ(showing.shown, nullptr); // released
}

TEST_F(RendererTest, LostSurfacesAreRebuiltOnTheNextCompose) {
    FillSine(analog[0], 2.0, 200);
    LiveFrame();
    Engine().LoseAllSurfaces();
    Engine().Compose();
    EXPECT_TRUE(commands.Posted(oxcmd::run::kRedrawWindow, 0));
    EXPECT_EQ(commands.restarts, 1); // running: persistence starts afresh
    EXPECT_FALSE(commands.Posted(oxcmd::run::kScreenMode, 2));
    const auto [top, bottom] = RowSpan(Engine().ChannelPixel(0));
    EXPECT_EQ(top, ComposeRowAt(2.0));
    EXPECT_EQ(bottom, ComposeRowAt(-2.0));
    EXPECT_EQ(region->bEraseRequest, 0);
}

TEST_F(RendererTest, LostTraceSurfaceIsRestoredByTheErase) {
    LiveFrame();
    Engine().LoseAllSurfaces();
    region->bErasePending = 1;
    Engine().Erase();
    EXPECT_TRUE(commands.Posted(oxcmd::run::kRedrawWindow, 0));
    EXPECT_EQ(region->bErasePending, 0);
    EXPECT_FALSE(Engine().TraceA().IsLost());
    EXPECT_EQ(Engine().TraceA().PixelAt(0, kPlotTop), Engine().Grid().PixelAt(0, 0));
}

TEST_F(RendererTest, FullRedrawOnALostSurfaceAsksForTheDisplayCheck) {
    Engine().LoseAllSurfaces();
    region->bRedrawAll = 1;
    region->bErasePending = 1;
    Engine().FullRedraw();
    EXPECT_TRUE(commands.Posted(oxcmd::run::kScreenMode, 2));
    EXPECT_EQ(region->bErasePending, 0);
    EXPECT_EQ(region->bRedrawAll, 1);
}

} // namespace
} // namespace oxdisplay::testing

namespace oxdisplay::testing {
namespace {

TEST_F(RendererTest, AlternateTriggerShowsItsCaptionInTheStatusBar) {
    LiveFrame();
    EXPECT_EQ(CountPixels(Engine().Status(), 0xFEFF00), 0);
    setup->nTrigMode = 4;
    LiveFrame();
    EXPECT_GT(CountPixels(Engine().Status(), 0xFEFF00), 100);
}

TEST_F(RendererTest, MemoryStatusBarFollowsTheSetup) {
    LiveFrame();
    const int before = CountPixels(Engine().Status(), 0);
    setup->nTimeFormat = 2; // rolling: the bar is shown filled
    LiveFrame();
    EXPECT_NE(CountPixels(Engine().Status(), 0), before);
    setup->nTimeFormat = 0;
    LiveFrame();
    EXPECT_EQ(CountPixels(Engine().Status(), 0), before);
}

} // namespace
} // namespace oxdisplay::testing
