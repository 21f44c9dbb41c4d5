// The display side of Oxbow: the trace pipeline (raw channel buffers to screen rows and
// column pairs, math, logic analyzer, references) and the renderer (grid, trace layers,
// composition, overlays, presentation) on the platform's Surface layer.
//
// One DisplayEngine is created at start-up, after the shared records exist, and lives until
// the workers have been joined. It owns every surface and every per-trace buffer; nothing
// is allocated per frame. All calls come from the I/O thread under the program's one lock,
// except construction and destruction.
//
// Typical use by the acquisition loop (display tick):
//   if (region.bRedrawAll || !engine.BackgroundCurrent()) engine.FullRedraw();
//   running frame:  engine.Erase(); engine.ResetTraceWindows(); engine.RunPipeline(2048, false);
//                   engine.HandOverMeasurement(); engine.DrawTraces(false);
//   stopped record: GetStopScreenPara(v); engine.RunPipeline(n, true);
//                   engine.HandOverMeasurement(); engine.DrawTraces(true);
//   if (region.bDisplayActive) { engine.Compose(); engine.DrawOverlays(); engine.Present(); }
#pragma once

#include "ox_commands.h"
#include "ox_records.h"
#include "surface.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace oxdisplay {

inline constexpr int kLivePoints = 2048;  // samples per channel in a live frame
inline constexpr int kColumns = 700;      // plot columns
inline constexpr int kPlotRows = 400;     // plot rows of the single layout
inline constexpr int kTraceRows = 510;    // rows of a trace surface
inline constexpr int kPlotTop = 50;       // surface row of the single layout's top line
inline constexpr int kComposeWidth = 727; // the composition surface
inline constexpr int kComposeHeight = 434;
inline constexpr int kPlotLeft = 16; // the plot area inside the composition surface
inline constexpr int kPlotTopInCompose = 9;
inline constexpr int kMarkerWidth = 16;  // the ground-marker strip (left margin)
inline constexpr int kStatusWidth = 160; // the memory-status surface
inline constexpr int kStatusHeight = 30;
inline constexpr int kHistoryFrames = 17;   // persistence history frames
inline constexpr int kHistoryStride = 3072; // 16-bit values between history frames
inline constexpr int kMathSlots = 4;
inline constexpr int kRefSlots = 4;
inline constexpr int kLaLines = 16;

// Trace colours (0x00RRGGBB) before the wave intensity is applied.
inline constexpr std::uint32_t kChannelColour[2] = {0xFFFF00, 0x00FFFF};
inline constexpr std::uint32_t kMathColour = 0xFF00FF;
inline constexpr std::uint32_t kLaColour = 0x00FF00;
inline constexpr std::uint32_t kRefColour = 0xFFFFFF;
inline constexpr std::uint32_t kXYColour = 0x00FF00;
inline constexpr std::uint32_t kTrigLevelColour = 0xFF8000;
inline constexpr std::uint32_t kErrorTextColour = 0xFF4040;
// Drawn over the picture while the instrument does not answer (after Ignore on a lost link).
inline constexpr const char* kOfflineLine = "Instrument offline: RUN connects again";

// The shared records (created by the program, never freed while the engine lives).
struct DisplayRecords {
    _OX_SETUP* setup = nullptr;
    _OX_RGN_SETUP* region = nullptr;
    _OX_POS_SETUP* positions = nullptr;
};

// The channel buffers, owned by the acquisition side. Main buffers hold the live frame
// (2048 samples) or the stopped record (n samples); the second buffers hold the delayed
// window. The spans give the capacities: no read ever goes beyond them.
struct ChannelBuffers {
    std::array<std::span<const std::uint8_t>, 2> analog;       // CH1, CH2 main
    std::array<std::span<const std::uint8_t>, 2> analogSecond; // CH1, CH2 second
    std::span<const std::uint16_t> la;                         // logic analyzer main
    std::span<const std::uint16_t> laSecond;                   // logic analyzer second
};

// Stored reference waveforms (4 areas of up to 1 MiB) and the pass/fail mask (upper and
// lower limit row per column, 700 each), owned by the program.
struct ReferenceBuffers {
    std::array<std::span<const std::uint8_t>, kRefSlots> samples;
    std::span<const std::int16_t> maskUpper;
    std::span<const std::int16_t> maskLower;
};

// Acquisition counters the pipeline and the plots read; owned and updated by the
// acquisition loop.
struct FrameCounters {
    std::int32_t nPersistFrame = 0; // persistence frame counter 0..16
    std::int32_t nPersistFill = 0;  // persistence fill counter 0..17
    std::int32_t nScanPos = 699;    // column reached by the scan or roll display
    std::uint8_t bPlotDots = 0;     // plot style: dots when non-zero
};

// The few command-layer services the display needs. The program implements it on OxMsg
// (GetMathEnabled, GetMathEnabledStop, GetFFTSplitScreen, GetFFTHorizZoomScale,
// OxPostIOCmd); tests implement it on their own.
class DisplayCommands {
public:
    virtual ~DisplayCommands() = default;
    virtual bool GetMathEnabled() = 0;
    virtual bool GetMathEnabledStop() = 0;
    virtual bool GetFFTSplitScreen() = 0;
    virtual void GetFFTHorizZoomScale(int trace) = 0;
    virtual void PostIOCmd(unsigned long group, unsigned int subCmd, long value) = 0;
    // The surfaces were lost and restored while the instrument runs: the acquisition side
    // sends ":CLEARUSB" and starts its persistence counters afresh (the engine empties its
    // own persistence buffers).
    virtual void RestartPersistence() = 0;
};

// One channel's trace in one region, as the measurement code receives it: the screen rows
// of the drawn columns only (two per column, 100 per division along the time axis; in X-Y
// format the rows of the shown samples), the plot height they were scaled for (the divisor
// that turns them back into codes), and the region's time per division.
struct MeasureTrace {
    const std::int16_t* rows = nullptr; // null: the channel is not drawn in this region
    int count = 0;
    int firstColumn = 0; // screen column of rows[0] (X-Y: 0)
    int height = 0;
    double secondsPerDiv = 0;
};

// What one pipeline run hands to the measurement code: every region each shown channel is
// drawn in (region 0: main or upper, 1: second or lower), the logic analyzer's column pairs
// of the main region, and the setup those were made with.
struct MeasureInput {
    std::array<std::array<MeasureTrace, 2>, 2> traces{}; // [channel][region]
    std::span<const std::uint16_t> laPairs;              // 1400 AND/OR values, empty: none
    int laFirstDrawn = 0;
    int laLastDrawn = -1;
    const _OX_SETUP* setup = nullptr;
    const _OX_RGN_SETUP* region = nullptr;
    bool stopped = false;
};

class MeasureSink {
public:
    virtual ~MeasureSink() = default;
    virtual void HandOver(const MeasureInput& input) = 0;
    // lines := the read-outs drawn over the picture (cursor values, logic-analyzer states)
    // as of the newest hand-over; called on the thread that hands over.
    virtual void OverlayLines(const _OX_SETUP& setup, std::vector<std::string>& lines) const {
        (void)setup;
        lines.clear();
    }
};

// The screen side (Qt): receives the composed picture whenever it differs from the one
// last presented. Returns false when the picture could not be shown (a lost primary that
// could not be restored). The target may go on reading the composition's pixels after
// Present returns: the engine composes into another surface and writes this one again
// only after the next Present or Release has returned.
class PresentTarget {
public:
    virtual ~PresentTarget() = default;
    virtual bool Present(const Surface& composition, const Surface& status) = 0;
    // Stop reading the composition last presented (keep a copy of it if it is still shown).
    virtual void Release() {}
};

// Which layout the setup asks for.
enum class Layout { Single, Delayed, Alternate, FFTSplit };

class DisplayEngine {
public:
    DisplayEngine(DisplayRecords records, ChannelBuffers channels, ReferenceBuffers references,
                  FrameCounters& counters, DisplayCommands& commands, MeasureSink& measure,
                  PresentTarget* present);
    ~DisplayEngine();
    DisplayEngine(const DisplayEngine&) = delete;
    DisplayEngine& operator=(const DisplayEngine&) = delete;

    // The presentation target may be attached once the window exists (null: none).
    void SetPresentTarget(PresentTarget* present);
    // Replaces the measurement code the engine hands its traces to.
    void SetMeasureSink(MeasureSink& measure);

    // ---- Trace pipeline ----
    // Sets the trace windows of a live frame for the current format.
    void ResetTraceWindows();
    // Chooses the path like the frame step does: alternate trigger, FFT split, delayed
    // sweep, else normal.
    void RunPipeline(int points, bool stopped);
    void RunNormalPath(int points, bool stopped);
    void RunDelayedPath(int points, bool stopped);
    void RunAlternatePath(int points, bool stopped);
    void RunFFTSplitPath(int points, bool stopped);
    void HandOverMeasurement();
    // Empties the persistence history and colour-grade buffers.
    void ClearPersistence();

    // ---- Renderer ----
    void FullRedraw();
    // False when the setup asks for another background than the one last drawn (the grid
    // switched or dimmed, the delayed view's zoom window moved): a full redraw is due.
    [[nodiscard]] bool BackgroundCurrent() const;
    void Erase();
    void DrawTraces(bool stopped);
    void Compose();
    void DrawOverlays();
    void Present();
    void ChangeBackground(std::uint8_t grey);
    Layout CurrentLayout() const;

    // ---- Read access (tests, the print and image paths) ----
    const Surface& Composition() const;
    const Surface& Grid() const;
    const Surface& TraceA() const;
    const Surface& TraceB() const;
    const Surface& MarkerStrip() const;
    const Surface& Status() const;
    // Every surface, for a display-mode change that loses them.
    void LoseAllSurfaces();
    // The column pairs (700) and rows of a channel (0, 1) in region 0 (main) or 1 (second).
    std::span<const std::int16_t> ChannelPairs(int channel, int region) const;
    std::span<const std::int16_t> ChannelRows(int channel, int region) const;
    std::span<const std::int16_t> MathPairs(int slot) const;
    std::span<const std::uint16_t> LaPairs(int region) const;
    // Colour-table entry 0 of a trace: the colour a live vector trace is drawn in.
    std::uint32_t ChannelPixel(int channel) const;
    std::uint32_t MathPixel() const;

    struct State;

private:
    std::unique_ptr<State> state_;
};

} // namespace oxdisplay
