// OxGDI: stateless drawing primitives that write straight into a locked surface (grids,
// frames, cursors, markers, logic-analyzer traces, pass/fail shading), and the
// logic-analyzer resampling functions.
//
// Every surface function takes the surface description by value and writes only inside
// the surface it describes (dwWidth x dwHeight pixels): points and rectangles beyond it
// are clipped. A description without pixels, with a pitch shorter than a row or with a
// bit count other than 8, 16, 24 or 32 draws nothing. Colours are 0x00RRGGBB.
//
// Buffers are passed as spans so that every count, column span and window is checked
// against them: out-of-range arguments draw nothing, and the resampling functions
// return -1 for them (0 on success).
#pragma once

#include "surface.h"

#include <cstdint>
#include <span>

struct _OX_SETUP;

// ---- Pixel access ----
void SetPixel(DDSURFACEDESC2 desc, int x, int y, std::uint32_t colour);
// The pixel's value: the low bit-count bits of its word (0 outside the surface).
std::uint32_t GetPixel(DDSURFACEDESC2 desc, int x, int y);
// ORs the colour into the pixel; never clears a bit.
void SetTransPixel(DDSURFACEDESC2 desc, int x, int y, std::uint32_t colour);

// ---- Lines, grids and frames ----
// Edge flags of DrawGridFrame.
enum : int {
    kFrameLeft = 1,   // column left, rows top..bottom-1
    kFrameTop = 2,    // row top, columns left..right-1
    kFrameRight = 4,  // column right, rows top..bottom
    kFrameBottom = 8, // row bottom, columns left..right-1
};
constexpr std::uint32_t kFrameGrey = 0x969696;
constexpr std::uint32_t kOuterFrameGrey = 0xB9B9B9;

void DrawGridFrame(DDSURFACEDESC2 desc, CRect rect, int edges, std::uint32_t colour);
// The grid of 14 x 8 divisions (full grid: dotted division lines and minor ticks on the
// centre lines; otherwise edge ticks only), then the left and top frame in grey.
void DrawMainGrid(DDSURFACEDESC2 desc, CRect rect, int fullGrid, std::uint32_t colour);
void DrawDelayedGridDown(DDSURFACEDESC2 desc, CRect rect, int fullGrid, std::uint32_t colour);
// The grid framed left, top and bottom.
void DrawBModeGridUp(DDSURFACEDESC2 desc, CRect rect, int fullGrid, std::uint32_t colour);
// The main-sweep grid of the delayed layout: shadow beside the zoom window, the grid, and
// the window (given in composition coordinates, moved by (-16, -9)) framed.
void DrawDelayedGridUp(DDSURFACEDESC2 desc, CRect rect, CRect window, int fullGrid,
                       std::uint32_t colour, std::uint32_t shadowColour);
void DrawDelayedSplitLine(DDSURFACEDESC2 desc, CRect rect);
void FillRectShadow(DDSURFACEDESC2 desc, CRect rect, std::uint32_t colour, bool translucent);
// Shades, per column of the rect, the rows outside the pass/fail band: row r (counted
// from rect.top) when r > upper[i] or r < lower[i], i = column - rect.left (the upper
// limit is the largest allowed row, the lower the smallest). Columns past the end of
// either array are left alone.
void FillPFGrid(DDSURFACEDESC2 desc, CRect rect, std::span<const std::int16_t> upper,
                std::span<const std::int16_t> lower, std::uint32_t colour);
// Dashed line at point.y; nothing when that row is outside top+1..bottom-1.
void DrawTrigLevelLine(DDSURFACEDESC2 desc, CRect rect, CPoint point, std::uint32_t colour);

// ---- Cursors and markers ----
// Each returns through `drawn` the rectangle it drew (for hit testing and redraw); a rect
// too small to hold the cursor draws nothing and returns an empty rectangle.
void DrawHorizManualCursor(DDSURFACEDESC2 desc, CRect rect, CPoint point, std::uint32_t colour,
                           CRect& drawn);
void DrawVerticalManualCursor(DDSURFACEDESC2 desc, CRect rect, CPoint point, std::uint32_t colour,
                              CRect& drawn);
void DrawTracklCursor(DDSURFACEDESC2 desc, CRect rect, CPoint point, std::uint32_t colour,
                      CRect& drawn, bool cross);
// Ground marker k (0..3) of a trace; another k draws nothing and returns an empty rectangle.
void DrawGnd(DDSURFACEDESC2 desc, CRect rect, int marker, CPoint point, CRect& drawn,
             std::uint32_t colour, bool transparent);
void DrawTrigOffsetMark(DDSURFACEDESC2 desc, CRect rect, CPoint point, CRect& drawn,
                        std::uint32_t colour);
void DrawXYChanMark(DDSURFACEDESC2 desc, CRect rect, CPoint point, CRect& drawn,
                    std::uint32_t colour);
void DrawHorizRefCenterMark(DDSURFACEDESC2 desc, CPoint point, CRect rect, std::uint32_t colour);

// ---- Memory-status bar ----
// On the 160 x 30 status surface: nothing under the alternate trigger; in X-Y or roll
// format the bar filled; otherwise the bar with the screen's window in the memory, the
// trigger-position marker and the memory-contents wave, all from the setup record.
void DrawMemStatus(DDSURFACEDESC2 desc, const _OX_SETUP* setup);

// ---- Logic-analyzer traces ----
// Line `line` (0..15) of the 16-bit column pairs (two values per column) over columns
// firstColumn..lastColumn: a level pixel per steady column, a run of `height` pixels
// ending at lowRow where the line changes.
void DrawSingleWave(DDSURFACEDESC2 desc, std::span<const std::uint16_t> pairs, int line, int lowRow,
                    std::uint32_t colour, int height, int firstColumn, int lastColumn);

// ---- Logic-analyzer resampling (16-bit samples, bit i = line Di) ----
// More samples than slots: each of the (slots + 1) / 2 columns gets the pair
// (AND, OR) of its share of the samples.
int LaWaveZoomOut(std::span<const std::uint16_t> source, std::span<std::uint16_t> destination,
                  int samples, int slots);
// Fewer samples than slots: each sample repeated over its share of the slots; slots from
// `slots` up to `total` repeat the sample after the window (the last one when the source
// ends with the window).
int devZoomInLaData(std::span<const std::uint16_t> source, std::span<std::uint16_t> destination,
                    int samples, int slots, int total);
// The same over a window of columns: `slots` slots from column firstColumn (ending by
// lastColumn); the slots before hold the window's first sample, those after it the next.
int LAZoomIn(std::span<const std::uint16_t> source, std::span<std::uint16_t> destination,
             int samples, int slots, int firstColumn, int lastColumn);
// LAZoomIn filling the window's columns exactly: slots = 2 x (lastColumn - firstColumn + 1).
int LaWaveZoomIn(std::span<const std::uint16_t> source, std::span<std::uint16_t> destination,
                 int samples, int firstColumn, int lastColumn);
// devZoomInLaData for 8-bit samples widened to 16 bits.
int DataZoomIn(std::span<const std::uint8_t> source, std::span<std::uint16_t> destination,
               int samples, int slots, int total);

// Dotted rectangle (a gap every fifth pixel) on a 32-bit bitmap `width` pixels wide, rows
// top first; the rectangle is moved by (-16, -9) first. Bytes are written blue, green, red.
void DrawDragRgn(std::span<std::uint8_t> pixels, int width, CRect rect, std::uint32_t colour);
