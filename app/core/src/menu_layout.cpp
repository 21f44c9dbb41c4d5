// The menu rows' layout beyond their own fields: submenus, separators, the context menu,
// the measurement items and the states published by the I/O thread.
#include "oxmenus.h"

#include <algorithm>

namespace oxact {
namespace {

constexpr int kFirstHorizontalMeasure = 11; // codes 1..10 are levels, 11..20 times
constexpr int kMeasureCodes = 20;

struct Placement {
    ActionId id;
    MenuPlace place;
};

constexpr Placement kPlacements[] = {
    {ActionId::Undo, {nullptr, true}},
    {ActionId::LanConfig, {nullptr, true}},
    {ActionId::CursorAuto, {menu::kCursor, false}},
    {ActionId::CursorManual, {menu::kCursor, false}},
    {ActionId::CursorTrack, {menu::kCursor, false}},
    {ActionId::CursorNone, {menu::kCursor, false}},
    {ActionId::AllMeasure, {nullptr, true}},
    {ActionId::LoadDefault, {nullptr, true}},
    {ActionId::Prevue, {nullptr, true}},
    {ActionId::SelfCalibration, {nullptr, true}},
    {ActionId::Help, {nullptr, true}},
};

constexpr PopItem kPopMenu[] = {
    {ActionId::Undo, false},          {ActionId::Redo, false},
    {ActionId::Vector, true},         {ActionId::Grid, false},
    {ActionId::RealTime, true},       {ActionId::EqualTime, false},
    {ActionId::AcqNormal, true},      {ActionId::AcqAverage, false},
    {ActionId::AcqPeakDetect, false}, {ActionId::Persistence, true},
    {ActionId::ColorGrade, false},    {ActionId::ClearPersistence, false},
    {ActionId::PopDefault, true},
};

} // namespace

std::optional<int> MeasureCode(ActionId id) {
    const int code = static_cast<int>(id) - static_cast<int>(ActionId::MeasureVmax) + 1;
    if (code < 1 || code > kMeasureCodes) return std::nullopt;
    return code;
}

MenuPlace PlaceOf(ActionId id) {
    if (const auto code = MeasureCode(id))
        return {*code >= kFirstHorizontalMeasure ? menu::kHorizontalMeasure
                                                 : menu::kVerticalMeasure,
                false};
    const auto found = std::find_if(std::begin(kPlacements), std::end(kPlacements),
                                    [id](const Placement& p) { return p.id == id; });
    return found == std::end(kPlacements) ? MenuPlace{} : found->place;
}

std::span<const PopItem> PopMenu() {
    return kPopMenu;
}

bool MeasureAsksSource(const _OX_SETUP& state) {
    return state.bChanDisplay[0] != 0 && state.bChanDisplay[1] != 0;
}

bool EnabledInView(ActionId id, const oxacq::RecordView& view) {
    if (id == ActionId::Undo) return view.undoAvailable;
    if (id == ActionId::Redo) return view.redoAvailable;
    return true;
}

} // namespace oxact
