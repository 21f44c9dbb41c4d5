// The memory-status bar: where the screen lies in the acquisition memory and where the
// trigger is, drawn on the 160 x 30 status surface.
#include "canvas.h"
#include "ox_commands.h"
#include "ox_records.h"
#include "oxgdi.h"

#include <algorithm>
#include <cmath>

using oxgdi::Canvas;

namespace {

constexpr std::uint32_t kMarkerColour = 0xF4960F;
constexpr std::uint32_t kWindowColour = 0xDCF00A;
constexpr std::uint32_t kOutsideColour = 0x8C8C8C;
constexpr std::uint32_t kOutlineColour = 0x78B4B4;
constexpr std::uint32_t kXYRollFill = 0xFEFF00;

// The bar area, its outline and the memory columns inside it (all inclusive).
constexpr CRect kArea{2, 1, 158, 13};
constexpr int kBarLeft = 5;
constexpr int kBarRight = 154;
constexpr int kBarWidth = kBarRight - kBarLeft + 1; // 150
constexpr int kOutlineTop = 3;
constexpr int kOutlineBottom = 11;
constexpr int kMarkerTop = 1;
constexpr int kMarkerStroke = 5;
constexpr int kMinWindow = 3;

// Rows of the memory-contents wave, one per column, repeated.
constexpr int kWaveRows[18] = {15, 14, 13, 12, 12, 12, 13, 14, 15,
                               16, 17, 18, 19, 19, 19, 18, 17, 16};

// Bar pixels covered by the screen: 14 divisions of samples against the memory depth.
int WindowWidth(const _OX_SETUP& setup) {
    const double width =
        kBarWidth * (14.0 * setup.dTimeScale * setup.fSampleRate) / setup.nAcqMemory;
    if (!std::isfinite(width) || setup.nAcqMemory <= 0) {
        return kBarWidth;
    }
    return static_cast<int>(
        std::clamp(width, static_cast<double>(kMinWindow), static_cast<double>(kBarWidth)));
}

// The trigger's column: the offset moves it away from the middle of the memory.
int TriggerColumn(const _OX_SETUP& setup) {
    constexpr int kMiddle = 80;
    const double shift = setup.dTimeOffset * setup.fSampleRate / setup.nAcqMemory * kBarWidth;
    if (!std::isfinite(shift) || setup.nAcqMemory <= 0) {
        return kMiddle - 1;
    }
    const double column = kMiddle - shift - 1;
    return static_cast<int>(
        std::clamp(column, static_cast<double>(kBarLeft), static_cast<double>(kBarRight)));
}

// The marker sits at the bar's ends when the trigger is too close to them to centre it.
int MarkerCentre(int trigger) {
    constexpr int kHalf = kMarkerStroke / 2;
    if (trigger < 8) {
        return kBarLeft + kHalf;
    }
    if (trigger > 152) {
        return kBarRight - kHalf;
    }
    return trigger;
}

void DrawBar(const Canvas& c, const _OX_SETUP& setup) {
    c.Fill(kArea, 0);
    c.HLine(kOutlineTop, kBarLeft - 1, kBarRight + 1, kOutlineColour);
    c.HLine(kOutlineBottom, kBarLeft - 1, kBarRight + 1, kOutlineColour);
    c.VLine(kBarLeft - 1, kOutlineTop, kOutlineBottom, kOutlineColour);
    c.VLine(kBarRight + 1, kOutlineTop, kOutlineBottom, kOutlineColour);

    // The bracket around the part of the memory on screen, centred in the bar.
    const int width = WindowWidth(setup);
    const int left = kBarLeft + (kBarWidth - width) / 2;
    const int right = left + width - 1;
    c.VLine(left, kOutlineTop + 1, kOutlineBottom - 1, kWindowColour);
    c.VLine(right, kOutlineTop + 1, kOutlineBottom - 1, kWindowColour);
    for (const int row : {kOutlineTop + 1, kOutlineBottom - 1}) {
        c.Put(left + 1, row, kWindowColour);
        c.Put(right - 1, row, kWindowColour);
    }

    for (int x = kBarLeft; x <= kBarRight; ++x) {
        const bool shown = x >= left && x <= right;
        c.Put(x, kWaveRows[(x - kBarLeft) % 18], shown ? kWindowColour : kOutsideColour);
    }

    const int centre = MarkerCentre(TriggerColumn(setup));
    c.HLine(kMarkerTop, centre - kMarkerStroke / 2, centre + kMarkerStroke / 2, kMarkerColour);
    c.VLine(centre, kMarkerTop, kMarkerTop + kMarkerStroke - 1, kMarkerColour);
}

} // namespace

void DrawMemStatus(DDSURFACEDESC2 desc, const _OX_SETUP* setup) {
    if (setup == nullptr || setup->nTrigMode == oxcmd::code::kAlternate) {
        return;
    }
    const Canvas c(desc);
    if (setup->nTimeFormat != oxcmd::code::kYT) {
        c.Fill(kArea, kXYRollFill);
        return;
    }
    DrawBar(c, *setup);
}
