// The measurements by the names the command line takes (--measure freq,vpp,duty,rise), the
// keys of gauger's measurement table, and the CSV table printed with them: a header
// "channel,<keys>" and a row per shown channel with each reading as a plain SI number (V, s,
// Hz, %) with the digits the panel shows it with, an empty cell where it cannot be shown.
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
// Splits "a,b,c" and checks every name; `names` gets the table's key of each. False with a
// reason naming the first unknown one.
bool ParseMeasureList(const std::string& text, std::vector<std::string>& names, std::string& error);
// The table for the keys (all known) from the setup and the measurement view.
[[nodiscard]] std::string MeasureCsv(const std::vector<std::string>& keys, const _OX_SETUP& setup,
                                     const oxmeasure::MeasureView& view);

} // namespace oxapp
