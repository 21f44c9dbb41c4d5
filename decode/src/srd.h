// The decoder library's C interface and the conversions between its values and ours.
#pragma once

#include "oxdecode.h"

#include <libsigrokdecode/libsigrokdecode.h>

#include <optional>

namespace oxdecode::detail {

// An option value of the library (int64, double or string); nothing for other types.
[[nodiscard]] std::optional<OptionValue> FromVariant(GVariant* variant);
// A new floating reference, as the library's option tables take them.
[[nodiscard]] GVariant* ToVariant(const OptionValue& value);
// `text` read as a value of `type`; nothing when it is not one.
[[nodiscard]] std::optional<OptionValue> ParseOptionValue(OptionType type, const std::string& text);

} // namespace oxdecode::detail
