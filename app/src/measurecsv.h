// The measurements by the names the command line takes (--measure freq,vpp,duty,rise) and
// the CSV table printed with them: a header "channel,<names as given>" and a row per shown
// channel with plain SI numbers (V, s, Hz, %), an empty cell where a reading is invalid.
#pragma once

#include "oxmeasure.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace oxapp {

// The measurement code (1..20) of a command-line name, any case; empty for an unknown one.
[[nodiscard]] std::optional<int> MeasureCodeOfName(std::string_view name);
// The known names, comma-separated, in code order.
[[nodiscard]] const std::string& MeasureNames();
// Splits "a,b,c" and checks every name; false with a reason naming the first unknown one.
bool ParseMeasureList(const std::string& text, std::vector<std::string>& names, std::string& error);
// The table for the names (all known) from the setup and the measurement view.
[[nodiscard]] std::string MeasureCsv(const std::vector<std::string>& names, const _OX_SETUP& setup,
                                     const oxmeasure::MeasureView& view);

} // namespace oxapp
