// Little-endian values at fixed offsets of a byte image.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <type_traits>

namespace oxfile {

template <class T> void PutAt(std::string& image, std::size_t offset, T value) {
    static_assert(std::is_trivially_copyable_v<T>);
    std::memcpy(image.data() + offset, &value, sizeof value);
}

template <class T> [[nodiscard]] T GetAt(const std::string& image, std::size_t offset) {
    static_assert(std::is_trivially_copyable_v<T>);
    T value;
    std::memcpy(&value, image.data() + offset, sizeof value);
    return value;
}

template <class Record>
void PutRecord(std::string& image, std::size_t offset, const Record& record) {
    static_assert(std::is_trivially_copyable_v<Record>);
    std::memcpy(image.data() + offset, &record, sizeof record);
}

template <class Record>
void GetRecord(const std::string& image, std::size_t offset, Record& record) {
    static_assert(std::is_trivially_copyable_v<Record>);
    std::memcpy(&record, image.data() + offset, sizeof record);
}

} // namespace oxfile
