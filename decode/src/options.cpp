// Option values: the library's GVariants, and the text a user writes.
#include "srd.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace oxdecode {

std::string OptionValue::Text() const {
    switch (type) {
    case OptionType::Int64:
        return std::to_string(integer);
    case OptionType::Double: {
        char field[32];
        std::snprintf(field, sizeof field, "%g", real);
        return field;
    }
    case OptionType::String:
        return text;
    }
    return text;
}

bool OptionValue::operator==(const OptionValue& other) const {
    if (type != other.type) return false;
    switch (type) {
    case OptionType::Int64:
        return integer == other.integer;
    case OptionType::Double:
        return real == other.real;
    case OptionType::String:
        return text == other.text;
    }
    return false;
}

namespace detail {

std::optional<OptionValue> FromVariant(GVariant* variant) {
    if (variant == nullptr) return std::nullopt;
    OptionValue value;
    if (g_variant_is_of_type(variant, G_VARIANT_TYPE_INT64)) {
        value.type = OptionType::Int64;
        value.integer = g_variant_get_int64(variant);
    } else if (g_variant_is_of_type(variant, G_VARIANT_TYPE_DOUBLE)) {
        value.type = OptionType::Double;
        value.real = g_variant_get_double(variant);
    } else if (g_variant_is_of_type(variant, G_VARIANT_TYPE_STRING)) {
        value.type = OptionType::String;
        value.text = g_variant_get_string(variant, nullptr);
    } else {
        return std::nullopt;
    }
    return value;
}

GVariant* ToVariant(const OptionValue& value) {
    switch (value.type) {
    case OptionType::Int64:
        return g_variant_new_int64(value.integer);
    case OptionType::Double:
        return g_variant_new_double(value.real);
    case OptionType::String:
        return g_variant_new_string(value.text.c_str());
    }
    return nullptr;
}

std::optional<OptionValue> ParseOptionValue(OptionType type, const std::string& text) {
    OptionValue value;
    value.type = type;
    const char* begin = text.data();
    const char* end = begin + text.size();
    switch (type) {
    case OptionType::Int64: {
        const auto [ptr, ec] = std::from_chars(begin, end, value.integer);
        if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
        return value;
    }
    case OptionType::Double: {
        char* stop = nullptr;
        value.real = std::strtod(text.c_str(), &stop);
        if (text.empty() || stop != text.c_str() + text.size() || !std::isfinite(value.real))
            return std::nullopt;
        return value;
    }
    case OptionType::String:
        value.text = text;
        return value;
    }
    return std::nullopt;
}

} // namespace detail

} // namespace oxdecode
