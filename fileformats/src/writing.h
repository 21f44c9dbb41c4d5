// What the writers share: the sample blocks after a header, and the atomic write.
#pragma once

#include "fileformats.h"

#include <string>

namespace oxfile {

// True when every buffer holds its count.
[[nodiscard]] bool Holds(const ConstSamples& samples, const SampleCounts& counts);

// Appends the CH1, CH2 and analyzer samples, each its count long.
void AppendSamples(std::string& image, const ConstSamples& samples, const SampleCounts& counts);

// Writes the image through OxWriteFile: a temporary file renamed over the target.
[[nodiscard]] Result WriteImage(const std::string& path, const std::string& image, bool overwrite);

} // namespace oxfile
