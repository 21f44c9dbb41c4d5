// Tracekit: trace resampling and plotting.
//
// Turns acquired samples into screen rows (vertical scaling), fits a window of samples onto
// the 700 screen columns as per-column pairs (horizontal resampling), and paints traces
// straight into a locked 32-bit surface: vectors, dots, X-Y, the stopped-record density view,
// the 17-frame persistence view and the seven-level colour grade.
//
// Conventions shared by every function:
// - A surface is a pointer to its first pixel (0x00RRGGBB) and a pitch in bytes; pixel (row r,
//   column c) is at surface + r * pitch + 4c. Surfaces are 510 rows high and at least 700
//   pixels wide: a pitch below 2800 bytes or not a multiple of 4 draws nothing, and rows are
//   clamped to 0..509 so that nothing is written outside the surface.
// - A column pair holds two screen rows per column (where the trace enters and where it leaves
//   it), column c at positions 2c and 2c + 1; pair buffers hold at most 700 pairs.
// - Bad arguments (null pointers, windows or spans outside 700 columns, counts below 1, scale
//   values that do not convert to integers) draw and write nothing.
// - Nothing here allocates memory except PlotStop's dense vector view, which allocates its
//   counter table once per call and draws nothing when that fails.
#pragma once

#include <cstdint>

namespace tracekit {

inline constexpr int kColumns = 700;        // screen columns of the plot area
inline constexpr int kSurfaceRows = 510;    // rows of a trace surface
inline constexpr int kColorTableSize = 128; // pixels built by SetColorTable
inline constexpr int kHistoryFrames = 17;   // frames held by the persistence history
inline constexpr int kGradeCells = kSurfaceRows * kColumns; // counters of a grade buffer
inline constexpr int kStopScratchValues = 2800; // 16-bit values of PlotStop's scratch buffer

// The 32-byte per-trace window record: which samples appear on which columns and which columns
// the plots draw. The plots read the first six fields.
struct TraceWindow {
    std::int32_t nFirstSample;
    std::int32_t nLastSample;
    std::int32_t nFirstCol;
    std::int32_t nLastCol;
    std::int32_t nFirstDrawCol;
    std::int32_t nLastDrawCol;
    std::int32_t nScanPos;
    std::int32_t nRollPoints;
};
static_assert(sizeof(TraceWindow) == 32);

// Plot style argument of PlotStop and PlotDXO: 0 draws vectors, anything else dots.
inline constexpr int kStyleVectors = 0;

} // namespace tracekit

// Vertical scaling of `count` samples into screen rows for a plot `a` pixels high (8 divisions):
// b and c are the display volts/div and offset, d and e those the samples were acquired with.
// Rows are clamped to trunc(24a/200) - 1 .. trunc(225a/200). The invert flag is ignored.
void WaveZoomV(const std::uint8_t* samples, std::int16_t* rows, int invert, int a, int count,
               float b, float c, float d, float e);
void WaveZoomV(const std::uint8_t* samples, std::int32_t* rows, int invert, int a, int count,
               float b, float c, float d, float e);
void WaveZoomV(const std::int16_t* samples, std::int16_t* rows, int invert, int a, int count,
               float b, float c, float d, float e);

// The same scaling for the filter path: not clamped, negated when invert is 1.
void FilterZoomV(const std::uint8_t* samples, std::int32_t* rows, int invert, int a, int count,
                 float b, float c, float d, float e);

// Rows back to raw bytes: row * 200 / a, clamped to 0..255.
void InvertWave(const std::int16_t* rows, std::uint8_t* samples, int flag, int count,
                float ignored1, float ignored2, int a);

// Fits samples first..last onto columns firstCol..lastCol of a `width`-column pair buffer:
// straight copy at two samples a column, min/max pairs when compressing, 8.8 interpolation
// (with ramps toward the neighbouring samples outside the window) when expanding.
// When expanding, the ramps read the sample before `first` (if first > 0) and the one after
// `last` (if lastCol < width - 1); the caller's buffer must hold them.
void WaveZoom(const std::uint8_t* samples, std::uint8_t* pairs, int first, int last,
              std::int16_t firstCol, std::int16_t lastCol, int width);
void WaveZoom(const std::int16_t* samples, std::int16_t* pairs, int first, int last,
              std::int16_t firstCol, std::int16_t lastCol, int width);
void WaveZoom(const std::int32_t* samples, std::int32_t* pairs, int first, int last,
              std::int16_t firstCol, std::int16_t lastCol, int width);

// Builds 128 pixels from base colour scaled by x (clamped to 0.1..1) up to full brightness,
// and sets the library-wide intensity index to min(trunc(x * 128), 127).
void SetColorTable(std::uint32_t* table, std::uint32_t color, float x);

// Vectors through the column pairs of columns firstCol..lastCol in one colour.
void PlotVect(const std::int16_t* pairs, std::uint32_t* surface, std::uint32_t color, int pitch,
              int firstCol, int lastCol);

// Both values of columns firstCol..endCol - 1 as single pixels.
void OxPlotDot(const std::int16_t* pairs, std::uint32_t* surface, const std::uint32_t* color,
               int pitch, int ignored1, int ignored2, int firstCol, int endCol);

// X-Y plot of `count` points (x rows against y rows) on a plot width x height.
void PlotXY(const std::int16_t* x, const std::int16_t* y, int count, std::uint32_t* surface,
            int pitch, int width, int height, std::uint32_t color);

// Stopped record: rows of the whole record drawn through the window, in intensity shades that
// show the sample density when the window holds more than two samples a column. The scratch
// buffer (kStopScratchValues values) is zeroed by the call.
void PlotStop(const std::int16_t* rows, std::uint32_t* surface, std::int16_t* scratch,
              const std::uint32_t* table, int pitch, const tracekit::TraceWindow* window,
              int style);

// Persistence: adds the newest history frame (slot frameCounter) to the accumulation buffer and,
// once 17 frames are held (fillCounter 17), removes the oldest; repaints the changed pixels.
void PlotDXO(const std::int16_t* history, std::uint32_t* surface, const std::uint32_t* table,
             int pitch, std::uint32_t* grade, int ignored, int frameCounter, int fillCounter,
             int stride, const tracekit::TraceWindow* window, int style);

// Colour grade: counts the window's samples into the accumulation buffer (maximum gets the
// highest cell), paints the non-zero cells in seven levels, clears the buffer (returns 0, or -1
// for a null buffer).
void PlotGrade(const std::int16_t* rows, std::uint32_t* grade, int first, int last, int firstCol,
               int lastCol, std::uint32_t* maximum);
void CopyGrade(const std::uint32_t* grade, std::uint32_t* surface, int pitch,
               std::uint32_t maximum);
int ClrGrade(std::uint32_t* grade);

namespace tracekit {

// A deep record's rows and its window's column pairs in one pass over the samples: rows[0 ..
// count - 1] as WaveZoomV(samples, rows, 0, a, count, b, c, d, e) makes them, and pairs as
// WaveZoom(rows, pairs, first, last, firstCol, lastCol, width) then makes them. Done only when
// the window compresses (more than two samples a column) and lies inside the record; otherwise
// nothing is written and the result is false.
[[nodiscard]] bool ScaleAndCompress(const std::uint8_t* samples, std::int16_t* rows, int a,
                                    int count, float b, float c, float d, float e,
                                    std::int16_t* pairs, int first, int last, std::int16_t firstCol,
                                    std::int16_t lastCol, int width);

} // namespace tracekit

// Colour grade copied incrementally: the tracked PlotGrade notes which cells it counted into
// and the tracked CopyGrade repaints only what may differ from its previous copy, which paints
// the same picture as the untracked CopyGrade as long as the surface still holds what the
// previous copy painted and the grade buffer changed only through the tracked PlotGrade.
// Whoever breaks that says so on the grade's GradeChanges.
namespace tracekit {

namespace detail {
struct GradeTracking;
}

inline constexpr int kGradeChunkCells = 16; // cells of a row tracked together
inline constexpr int kGradeRowChunks = (kColumns + kGradeChunkCells - 1) / kGradeChunkCells;

// What the next copy of one grade buffer repaints: the chunks counted into since the last copy
// and, when the maximum moved the level thresholds, the chunks whose busiest cell lies above
// the lowest threshold that moved. About 100 KB: allocate it with the grade buffer. A new one
// knows nothing yet, as after Forget.
class GradeChanges {
public:
    // The surface was drawn over: the next copy repaints every cell.
    void MarkAll() { all_ = true; }
    // Another grade's copy drew on the same surface: the next copy repaints what it drew.
    // Call it right after that copy.
    void MarkDrawnBy(const GradeChanges& other) {
        for (int row = 0; row < kSurfaceRows; ++row) {
            counted_[row] |= other.painted_[row];
        }
    }
    // The grade buffer changed some other way (ClrGrade, PlotDXO): the next copy repaints
    // every cell and finds the busiest cells afresh.
    void Forget() { all_ = unknown_ = true; }

private:
    friend struct detail::GradeTracking;
    bool all_ = true;
    bool unknown_ = true;
    std::uint32_t maximum_ = 0;                // the maximum of the last copy
    std::uint64_t counted_[kSurfaceRows] = {}; // per row, a bit per chunk to repaint
    std::uint64_t painted_[kSurfaceRows] = {}; // per row, the chunks the last copy repainted
    std::uint32_t highest_[kSurfaceRows][kGradeRowChunks] = {}; // busiest cell of each chunk
    std::uint32_t rowHighest_[kSurfaceRows] = {};               // and of each row
};
static_assert(kGradeRowChunks <= 64, "a row's chunks are one 64-bit mask");

} // namespace tracekit

void PlotGrade(const std::int16_t* rows, std::uint32_t* grade, int first, int last, int firstCol,
               int lastCol, std::uint32_t* maximum, tracekit::GradeChanges& changes);
void CopyGrade(const std::uint32_t* grade, std::uint32_t* surface, int pitch, std::uint32_t maximum,
               tracekit::GradeChanges& changes);
