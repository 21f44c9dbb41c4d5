#include "atomicfile.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace oxbow {

namespace {

constexpr int kNameAttempts = 100;
// Enough of the target's name to recognise a left-over temporary file, short enough that
// the temporary name stays within the file-name limit.
constexpr std::size_t kNameStemLength = 100;

// ".NAME.tmp": what every temporary name of `path` starts with.
std::string TemporaryPrefix(const std::filesystem::path& path) {
    return "." + path.filename().string().substr(0, kNameStemLength) + ".tmp";
}

// Creates a fresh temporary file in the target's directory; -1 when none can be created.
int CreateTemporary(const std::filesystem::path& path, std::filesystem::path& temporary) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        temporary = path;
        temporary.replace_filename(TemporaryPrefix(path) + std::to_string(getpid()) + "-" +
                                   std::to_string(counter++));
        int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

bool WriteAll(int fd, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        ssize_t written = ::write(fd, bytes, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

void KeepPermissions(int fd, const std::filesystem::path& path) {
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        ::fchmod(fd, old.st_mode & 07777);
    }
}

bool AllDigits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The writer's process id of a temporary name "PID-N" after the prefix; 0 when the rest
// is not of that form.
pid_t WriterOf(std::string_view rest) {
    const auto dash = rest.find('-');
    if (dash == std::string_view::npos || !AllDigits(rest.substr(0, dash)) ||
        !AllDigits(rest.substr(dash + 1))) {
        return 0;
    }
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + dash, pid);
    return error == std::errc() && end == rest.data() + dash ? pid : 0;
}

bool ProcessGone(pid_t pid) {
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

} // namespace

int RemoveLeftoverTemporaries(const std::filesystem::path& path) {
    const std::string prefix = TemporaryPrefix(path);
    std::error_code error;
    std::filesystem::directory_iterator entries(
        path.parent_path().empty() ? "." : path.parent_path(), error);
    int removed = 0;
    for (; entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const std::string name = entries->path().filename().string();
        if (name.rfind(prefix, 0) != 0 || !entries->is_regular_file(error)) {
            continue;
        }
        const pid_t writer = WriterOf(std::string_view(name).substr(prefix.size()));
        if (writer > 0 && ProcessGone(writer) && std::filesystem::remove(entries->path(), error)) {
            ++removed;
        }
    }
    return removed;
}

bool WriteFileAtomically(const std::filesystem::path& path, const void* data, std::size_t size) {
    if (path.empty() || !path.has_filename() || (data == nullptr && size > 0)) {
        return false;
    }
    std::filesystem::path temporary;
    int fd = CreateTemporary(path, temporary);
    if (fd < 0) {
        return false;
    }
    KeepPermissions(fd, path);
    bool ok = WriteAll(fd, data, size) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
    }
    return ok;
}

} // namespace oxbow
