// Mouse drag on the graticule (I/O command group 4524): the dragged box becomes
// the new screen. Its height sets the vertical scale of the channel (4525, value
// = channel) or of both channels (4526) and its centre the new centre; its width
// and centre do the same for the timebase of the window the box was drawn in.
//
// Argument: the box in screen pixels as four signed 16-bit values, left and top
// in the low half (left in the low 16 bits), right and bottom in the high half.
// The window the box was drawn in is set beforehand with its own sub-command.
#include "geometry_internal.h"
#include "iocmd_link.h"
#include "oxmsg_state.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace oxmsg {
namespace {

constexpr int kMinimumBox = 2; // a box smaller than this on an axis leaves the axis alone
constexpr double kVerticalDivisions = 8;
constexpr double kSecondsPerColumn = 0.02; // of a division: 50 columns each

struct Box {
    int left, top, right, bottom;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    double CentreX() const { return (left + right) / 2.0; }
    double CentreY() const { return (top + bottom) / 2.0; }
};

Box Unpack(std::uint32_t low, std::uint32_t high) {
    const int x1 = static_cast<std::int16_t>(low & 0xFFFF);
    const int y1 = static_cast<std::int16_t>(low >> 16);
    const int x2 = static_cast<std::int16_t>(high & 0xFFFF);
    const int y2 = static_cast<std::int16_t>(high >> 16);
    return {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
}

std::string Number(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// Sends a command with read-back and takes what the instrument accepted, as the
// dispatcher does after a handler.
void SendAndReconcile(const std::string& command, unsigned int subCmd, long value) {
    const _OX_SETUP* setup = Records().setup;
    IOCmdLink* link = CurrentIOCmdLink();
    if (setup == nullptr || !setup->bConnected || link == nullptr) return;
    std::uint8_t reply[256] = {};
    link->SendCommand(command, reply, true);
    if (link->ReadBackWhole()) OxReconcileReadBack(subCmd, value);
}

const char* ChannelName(int c) {
    return c == 0 ? ":CHANNEL1" : ":CHANNEL2";
}

void DragChannel(_OX_SETUP& s, int c, const Box& box, const OX_RECT& rect) {
    const double height = static_cast<double>(rect.bottom) - rect.top;
    if (box.Height() < kMinimumBox || height <= 0) return;
    const double scale = s.fChanScale[c];
    const double centre = rect.top + std::trunc(height / 2);
    const double raised = (centre - box.CentreY()) * kVerticalDivisions * scale / height;
    s.fChanScale[c] =
        ValidateCHScale(static_cast<float>(scale * box.Height() / height), s.fChanProbe[c]);
    s.fChanOffset[c] = ValidateCHOffset(
        s.fChanScale[c], static_cast<float>(s.fChanOffset[c] - raised), s.fChanProbe[c]);
    SendAndReconcile(std::string(ChannelName(c)) + ":SCALE " + Number("%f", s.fChanScale[c]),
                     oxcmd::channel::kScale, c);
    SendAndReconcile(std::string(ChannelName(c)) + ":OFFSET " + Number("%f", s.fChanOffset[c]),
                     oxcmd::channel::kOffset, c);
}

// The scale and offset the box asks of a timebase shown in `rect`.
struct Timebase {
    double scale;
    double offset;
};

bool Zoomed(const _OX_SETUP& s, const _OX_RGN_SETUP& region, const Box& box, const OX_RECT& rect,
            Timebase& t) {
    const double width = static_cast<double>(rect.right) - rect.left;
    if (box.Width() < kMinimumBox || width <= 0) return false;
    const OX_POINT origin = WindowOrigin(s, region, rect);
    t.offset += (box.CentreX() - origin.x) * t.scale * kSecondsPerColumn;
    t.scale = t.scale * box.Width() / width;
    return true;
}

void DragMain(_OX_SETUP& s, const _OX_RGN_SETUP& region, const Box& box, const OX_RECT& rect) {
    Timebase t{s.dTimeScale, s.dTimeOffset};
    if (!Zoomed(s, region, box, rect, t)) return;
    s.dTimeScale = ValidateTimeScale(t.scale);
    s.llTimeScalePs = ConvertToLONG(s.dTimeScale, 12);
    s.dTimeOffset = ValidateTimeOffset(t.offset);
    s.llTimeOffsetPs = ConvertToLONG(s.dTimeOffset, 12);
    SendAndReconcile(":TIMEBASE:SCALE " + Number("%0.9f", s.dTimeScale),
                     oxcmd::timebase::kMainScale, 0);
    SendAndReconcile(":TIMEBASE:OFFSET " + Number("%0.9f", s.dTimeOffset),
                     oxcmd::timebase::kMainOffset, 0);
}

// The delayed window stays inside the main timebase: no wider than it and at
// most seven main divisions either side of the main offset.
void SendDelayed(_OX_SETUP& s, double scale, double offset) {
    std::int64_t main = s.llTimeScalePs;
    std::int64_t delayed = ConvertToLONG(ValidateTimeScale(scale), 12);
    std::int64_t mainOffset = s.llTimeOffsetPs;
    std::int64_t delayedOffset = ConvertToLONG(ValidateTimeOffset(offset), 12);
    SetTimeBase(main, delayed, mainOffset, delayedOffset, false);
    s.llDelayedScalePs = delayed;
    s.llDelayedOffsetPs = delayedOffset;
    s.dDelayedScale = static_cast<double>(s.llDelayedScalePs) * 1e-12;
    s.dDelayedOffset = static_cast<double>(s.llDelayedOffsetPs) * 1e-12;
    SendAndReconcile(":TIMEBASE:DELAYED:SCALE " + Number("%0.9f", s.dDelayedScale),
                     oxcmd::timebase::kDelayedScale, 0);
    SendAndReconcile(":TIMEBASE:DELAYED:OFFSET " + Number("%0.9f", s.dDelayedOffset),
                     oxcmd::timebase::kDelayedOffset, 0);
}

void DragDelayed(_OX_SETUP& s, const _OX_RGN_SETUP& region, const Box& box, const OX_RECT& rect) {
    Timebase t{s.dDelayedScale, s.dDelayedOffset};
    if (Zoomed(s, region, box, rect, t)) SendDelayed(s, t.scale, t.offset);
}

void DragAlternate(_OX_SETUP& s, const _OX_RGN_SETUP& region, int c, const Box& box,
                   const OX_RECT& rect) {
    Timebase t{s.dAltTimeScale[c], s.dAltTimeOffset[c]};
    if (!Zoomed(s, region, box, rect, t)) return;
    s.dAltTimeScale[c] = ValidateAltTrigHorizScale(t.scale);
    s.llAltTimeScalePs[c] = ConvertToLONG(s.dAltTimeScale[c], 12);
    s.dAltTimeOffset[c] = ValidateAltTrigHorizOffset(t.offset);
    s.llAltTimeOffsetPs[c] = ConvertToLONG(s.dAltTimeOffset[c], 12);
    const std::string prefix = std::string(":TRIGGER:ALTERNATION") + ChannelName(c);
    SendAndReconcile(prefix + ":TIMESCALE " + Number("%0.9f", s.dAltTimeScale[c]),
                     oxcmd::timebase::kAltScale, c);
    SendAndReconcile(prefix + ":TIMEOFFSET " + Number("%0.9f", s.dAltTimeOffset[c]),
                     oxcmd::timebase::kAltOffset, c);
}

// The rectangle of the dragged window: 0 main (or the time half of the split
// screen), 1 and 3 the upper window, 2 and 4 the lower one.
const OX_RECT& DraggedRect(const _OX_SETUP& s, const _OX_RGN_SETUP& region, int window) {
    switch (window) {
    case 1:
    case 3:
        return region.rcUpper;
    case 2:
    case 4:
        return region.rcLower;
    default:
        return s.bFFTSplitScreen ? region.rcFFTTime : region.rcMain;
    }
}

void DragTimebase(_OX_SETUP& s, const _OX_RGN_SETUP& region, int window, const Box& box,
                  const OX_RECT& rect) {
    switch (window) {
    case 0:
        DragMain(s, region, box, rect);
        break;
    case 1:
        DragMain(s, region, box, rect);
        SendDelayed(s, s.dDelayedScale, s.dDelayedOffset);
        break;
    case 2:
        DragDelayed(s, region, box, rect);
        break;
    case 3:
        DragAlternate(s, region, 0, box, rect);
        break;
    case 4:
        DragAlternate(s, region, 1, box, rect);
        break;
    default:
        break;
    }
}

void HandleDrag(IOCmdContext& context, unsigned int subCmd, long value, std::uint32_t low,
                std::uint32_t high) {
    context.send = false;
    const SharedRecords& shared = Records();
    if (shared.setup == nullptr || shared.region == nullptr) return;
    if (subCmd == oxcmd::drag::kSetWindow) {
        if (value >= 0 && value <= oxcmd::drag::kLastWindow)
            shared.region->nDragWindow = static_cast<std::int32_t>(value);
        return;
    }
    const int window = shared.region->nDragWindow;
    if (window < 0 || window > oxcmd::drag::kLastWindow ||
        (subCmd != oxcmd::drag::kActiveChannel && subCmd != oxcmd::drag::kBothChannels))
        return;
    _OX_SETUP& s = *shared.setup;
    const Box box = Unpack(low, high);
    const OX_RECT& rect = DraggedRect(s, *shared.region, window);
    for (int c = 0; c < 2; ++c) {
        if (subCmd == oxcmd::drag::kBothChannels || value == c) DragChannel(s, c, box, rect);
    }
    DragTimebase(s, *shared.region, window, box, rect);
    SetChangeSetting();
    SetRefreshWave(true);
    RebuildRgnSetup();
}

} // namespace

void RegisterDragHandler() {
    OxSetIOCmdHandler(oxcmd::group::kDrag, HandleDrag);
}

} // namespace oxmsg
