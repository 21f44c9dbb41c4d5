#include "timebaserows.h"

#include "ox_records.h"

#include <string>

namespace oxbow::ui::timebase {

namespace {

using oxcmd::group::kTimebase;
namespace tb = oxcmd::timebase;

QString Printed(void (*print)(std::string&, double), double seconds) {
    std::string out;
    print(out, seconds);
    return QString::fromStdString(out);
}

} // namespace

bool Alternation(const DialogView& view) {
    return view.setup.nTrigMode == oxcmd::code::kAlternate;
}

bool SecondShown(const DialogView& view) {
    return view.setup.bDelayed != 0 || Alternation(view);
}

double ScaleOf(const DialogView& view, int section) {
    const _OX_SETUP& s = view.setup;
    if (Alternation(view)) return s.dAltTimeScale[section];
    return section == 0 ? s.dTimeScale : s.dDelayedScale;
}

double OffsetOf(const DialogView& view, int section) {
    const _OX_SETUP& s = view.setup;
    if (Alternation(view)) return s.dAltTimeOffset[section];
    return section == 0 ? s.dTimeOffset : s.dDelayedOffset;
}

Post ScaleCommand(const DialogView& view, int section) {
    if (Alternation(view)) return {kTimebase, tb::kAltScale, section, true};
    return section == 0 ? Post{kTimebase, tb::kMainScale, 0, true}
                        : Post{kTimebase, tb::kDelayedScale, 0, false};
}

Post OffsetCommand(const DialogView& view, int section) {
    if (Alternation(view)) return {kTimebase, tb::kAltOffset, section, true};
    return section == 0 ? Post{kTimebase, tb::kMainOffset, 0, true}
                        : Post{kTimebase, tb::kDelayedOffset, 0, false};
}

QString ScaleText(const DialogView& view, int section) {
    return Printed(GetTimeScaleString, ScaleOf(view, section));
}

QString OffsetText(const DialogView& view, int section) {
    return Printed(GetTimeOffsetString, OffsetOf(view, section));
}

QColor FieldColour(const DialogView& view, int section) {
    if (!Alternation(view)) return PluginColours::Value;
    return section == 0 ? PluginColours::Channel1 : PluginColours::Channel2;
}

} // namespace oxbow::ui::timebase
