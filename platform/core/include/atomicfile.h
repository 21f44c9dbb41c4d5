// Whole-file replacement that never leaves a torn file: the bytes go to a temporary file
// beside the target, which is flushed to disk and renamed over the target.
#pragma once

#include <cstddef>
#include <filesystem>

namespace oxbow {

// True when every byte was written, the file flushed and closed and the rename done.
// On false the old file (if any) is untouched and no temporary file is left behind.
// A replaced file keeps its permission bits; a new one gets 0666 less the umask.
bool WriteFileAtomically(const std::filesystem::path& path, const void* data, std::size_t size);

// Removes the temporary files a write of `path` left behind when its process was killed
// mid-way: ".NAME.tmpPID-N" beside `path`, where no process PID runs any more. Files of a
// write still in progress, and every other file, stay. The number removed.
int RemoveLeftoverTemporaries(const std::filesystem::path& path);

} // namespace oxbow
