#include "timebaserows.h"

#include "ox_records.h"

#include <string>

namespace oxbow::ui::timebase {

namespace {

QString Printed(void (*print)(std::string&, double), double seconds) {
    std::string out;
    print(out, seconds);
    return QString::fromStdString(out);
}

oxcmd::setting::timebase::Section SectionIn(const DialogView& view) {
    return oxcmd::setting::timebase::SectionOf(view.setup, static_cast<int>(view.index));
}

} // namespace

bool Alternation(const DialogView& view) {
    return view.setup.nTrigMode == oxcmd::code::kAlternate;
}

bool SecondShown(const DialogView& view) {
    return view.setup.bDelayed != 0 || Alternation(view);
}

Target ScaleOf(const DialogView& view) {
    const auto section = SectionIn(view);
    return oxbow::ui::TargetOf(section.scale, section.index);
}

Target OffsetOf(const DialogView& view) {
    const auto section = SectionIn(view);
    return oxbow::ui::TargetOf(section.offset, section.index);
}

QString ScaleText(const DialogView&, double seconds) {
    return Printed(GetTimeScaleString, seconds);
}

QString OffsetText(const DialogView&, double seconds) {
    return Printed(GetTimeOffsetString, seconds);
}

QColor FieldColour(const DialogView& view) {
    if (!Alternation(view)) return PluginColours::Value;
    return view.index == 0 ? PluginColours::Channel1 : PluginColours::Channel2;
}

} // namespace oxbow::ui::timebase
