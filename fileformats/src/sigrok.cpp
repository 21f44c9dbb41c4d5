// The sigrok session file: a zip built in memory with libzip, written through the atomic
// writer like every other file.
#include "fileformats.h"

#include "writing.h"

#include <zip.h>

#include <cmath>
#include <cstring>
#include <deque>
#include <memory>

namespace oxfile {

namespace {

constexpr int kLogicLines = 16;
constexpr std::size_t kLogicUnitSize = 2;
constexpr std::size_t kChunkBytes = 4u << 20; // each logic-1-N member

std::string RateText(double rate) {
    return std::to_string(static_cast<unsigned long long>(std::llround(rate)));
}

std::string Metadata(const RecordSignals& signals) {
    const bool logic = !signals.logic.empty();
    int analog = 0;
    for (const auto& volts : signals.volts)
        analog += volts.empty() ? 0 : 1;
    std::string text = "[device 1]\n";
    if (logic) text += "capturefile=logic-1\n";
    text += "total probes=" + std::to_string(logic ? kLogicLines : 0) + "\n";
    text += "samplerate=" + RateText(signals.sampleRate) + "\n";
    text += "total analog=" + std::to_string(analog) + "\n";
    if (logic) {
        for (int line = 0; line < kLogicLines; ++line)
            text += "probe" + std::to_string(line + 1) + "=D" + std::to_string(line) + "\n";
    }
    int index = logic ? kLogicLines : 0;
    for (int c = 0; c < 2; ++c) {
        if (signals.volts[c].empty()) continue;
        text += "analog" + std::to_string(++index) + "=CH" + std::to_string(c + 1) + "\n";
    }
    if (logic) text += "unitsize=" + std::to_string(kLogicUnitSize) + "\n";
    return text;
}

// The members' contents stay alive until the archive is closed.
class Archive {
public:
    Archive() {
        zip_error_init(&error_);
        source_ = zip_source_buffer_create(nullptr, 0, 0, &error_);
        if (source_ == nullptr) return;
        archive_ = zip_open_from_source(source_, ZIP_TRUNCATE, &error_);
        if (archive_ == nullptr) {
            zip_source_free(source_);
            source_ = nullptr;
            return;
        }
        zip_source_keep(source_); // outlives the archive: the zip is read back from it
    }
    ~Archive() {
        if (archive_ != nullptr) zip_discard(archive_);
        if (source_ != nullptr) zip_source_free(source_);
        zip_error_fini(&error_);
    }
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    bool Add(const std::string& name, std::string content) {
        if (archive_ == nullptr) return false;
        const std::string& kept = contents_.emplace_back(std::move(content));
        zip_source_t* member = zip_source_buffer(archive_, kept.data(), kept.size(), 0);
        if (member == nullptr) return false;
        if (zip_file_add(archive_, name.c_str(), member, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(member);
            return false;
        }
        return true;
    }

    // The finished zip; empty when it could not be made.
    std::string Close() {
        if (archive_ == nullptr || zip_close(archive_) != 0) return {};
        archive_ = nullptr;
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_source_stat(source_, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE) ||
            zip_source_open(source_) != 0)
            return {};
        std::string bytes(static_cast<std::size_t>(stat.size), '\0');
        const zip_int64_t read = zip_source_read(source_, bytes.data(), bytes.size());
        zip_source_close(source_);
        return read == static_cast<zip_int64_t>(bytes.size()) ? bytes : std::string();
    }

private:
    zip_error_t error_{};
    zip_source_t* source_ = nullptr;
    zip_t* archive_ = nullptr;
    std::deque<std::string> contents_;
};

template <class Sample> std::string Bytes(const std::vector<Sample>& samples) {
    std::string bytes(samples.size() * sizeof(Sample), '\0');
    if (!samples.empty()) std::memcpy(bytes.data(), samples.data(), bytes.size());
    return bytes;
}

} // namespace

std::string BuildSigrokSession(const RecordSignals& signals) {
    Archive archive;
    bool added = archive.Add("version", "2") && archive.Add("metadata", Metadata(signals));
    const std::string logic = Bytes(signals.logic);
    for (std::size_t at = 0, chunk = 1; added && at < logic.size(); at += kChunkBytes, ++chunk)
        added = archive.Add("logic-1-" + std::to_string(chunk), logic.substr(at, kChunkBytes));
    int index = signals.logic.empty() ? 0 : kLogicLines;
    for (int c = 0; c < 2 && added; ++c) {
        if (signals.volts[c].empty()) continue;
        added = archive.Add("analog-1-" + std::to_string(++index) + "-1", Bytes(signals.volts[c]));
    }
    return added ? archive.Close() : std::string();
}

Result SaveSigrokFile(const std::string& path, const _OX_SETUP& setup, const ConstSamples& samples,
                      bool overwrite) {
    RecordSignals signals;
    if (const Result taken = TakeRecordSignals(setup, samples, signals); taken != Result::Ok)
        return taken;
    const std::string zip = BuildSigrokSession(signals);
    return zip.empty() ? Result::WriteFailed : WriteImage(path, zip, overwrite);
}

} // namespace oxfile
