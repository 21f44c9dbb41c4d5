// Whole-file writing and reading.
#include "oxcommon.h"

#include "atomicfile.h"
#include "messageboxes.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A file opened for reading; closed when it goes out of scope. Directories do not open.
class ReadableFile {
public:
    explicit ReadableFile(const std::string& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
        struct stat status {};
        if (fd_ >= 0 && (::fstat(fd_, &status) != 0 || S_ISDIR(status.st_mode))) {
            ::close(fd_);
            fd_ = -1;
        }
        size_ = fd_ >= 0 ? static_cast<long long>(status.st_size) : 0;
    }
    ~ReadableFile() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    ReadableFile(const ReadableFile&) = delete;
    ReadableFile& operator=(const ReadableFile&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    long long Size() const { return size_; }

    // Reads until `size` bytes arrived, the end of the file or an error; the bytes read.
    std::size_t Read(void* buffer, std::size_t size) {
        auto* bytes = static_cast<unsigned char*>(buffer);
        std::size_t done = 0;
        while (done < size) {
            ssize_t got = ::read(fd_, bytes + done, size - done);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                break;
            }
            done += static_cast<std::size_t>(got);
        }
        return done;
    }

    // Counts the bytes left up to the end of the file.
    long long CountRest() {
        unsigned char scratch[65536];
        long long rest = 0;
        std::size_t got = 0;
        do {
            got = Read(scratch, sizeof scratch);
            rest += static_cast<long long>(got);
        } while (got == sizeof scratch);
        return rest;
    }

private:
    int fd_;
    long long size_ = 0;
};

int ClampToInt(long long value) {
    return static_cast<int>(std::min<long long>(value, INT_MAX));
}

bool UserAllowsReplacing() {
    oxbow::MessageQuestion question{kReplaceFileQuestion, "", oxbow::MessageButtons::OkCancel,
                                    oxbow::MessageIcon::Warning, true};
    return oxbow::AskMessage(question) == oxbow::MessageAnswer::Ok;
}

} // namespace

int OxWriteFile(const void* data, int length, const std::string& path, bool overwrite) {
    if (length <= 0 || data == nullptr) {
        return 1;
    }
    std::error_code error;
    if (!overwrite && std::filesystem::exists(path, error) && !UserAllowsReplacing()) {
        return 4;
    }
    return oxbow::WriteFileAtomically(path, data, static_cast<std::size_t>(length)) ? 0 : 2;
}

int OxReadFile(std::uint16_t tag, void* buffer, int& length, const std::string& path) {
    ReadableFile file(path);
    if (!file.IsOpen() || (buffer == nullptr && length > 0)) {
        return 2;
    }
    unsigned char head[2];
    if (file.Read(head, sizeof head) < sizeof head) {
        return 3;
    }
    if (head[0] != (tag & 0xFF) || head[1] != (tag >> 8)) {
        return 3;
    }
    std::size_t room = static_cast<std::size_t>(std::max(length, 0));
    auto* bytes = static_cast<unsigned char*>(buffer);
    if (room > 0) {
        std::memcpy(bytes, head, std::min(room, sizeof head));
    }
    long long total = sizeof head;
    if (room > sizeof head) {
        total += static_cast<long long>(file.Read(bytes + sizeof head, room - sizeof head));
    }
    if (total >= static_cast<long long>(room)) {
        total += file.CountRest();
    }
    if (total == length) {
        return 0;
    }
    length = ClampToInt(total);
    return 1;
}

int OxReadFile(void* buffer, const std::string& path, int length) {
    ReadableFile file(path);
    if (!file.IsOpen() || (buffer == nullptr && length > 0)) {
        return 2;
    }
    if (length <= 0 || file.Size() != length) {
        return 1;
    }
    if (length < 2) {
        return 3;
    }
    return file.Read(buffer, static_cast<std::size_t>(length)) == static_cast<std::size_t>(length)
               ? 0
               : 1;
}

int OxGetFileLength(const std::string& path) {
    ReadableFile file(path);
    return file.IsOpen() ? ClampToInt(file.Size()) : 0;
}
