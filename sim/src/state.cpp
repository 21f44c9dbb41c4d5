// The setup kept across power cycles: a small versioned image of the three blocks and
// the file it lives in.
#include "sim_core.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace oxbow::sim {

namespace detail {

namespace {

// Layout, integers little-endian: magic, version, model name (length and bytes), then
// the DSO, LA and ALT blocks, each as its size and its bytes; nothing after them.
constexpr char kMagic[8] = {'O', 'X', 'S', 'I', 'M', 'S', 'T', '\x1A'};
constexpr std::uint32_t kVersion = 1;
constexpr std::size_t kBlockSizes[] = {kDsoBlockSize, kLaBlockSize, kAltBlockSize};
constexpr const char* kBlockNames[] = {"DSO", "LA", "ALT"};

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

void PutBytes(std::vector<std::uint8_t>& out, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    out.insert(out.end(), bytes, bytes + size);
}

// Reads the image front to back; every read fails once the bytes run out.
class Reader {
public:
    explicit Reader(const std::vector<std::uint8_t>& image) : image_(image) {}

    bool Bytes(std::size_t size, std::vector<std::uint8_t>& out) {
        if (image_.size() - at_ < size) {
            return false;
        }
        out.assign(image_.begin() + static_cast<std::ptrdiff_t>(at_),
                   image_.begin() + static_cast<std::ptrdiff_t>(at_ + size));
        at_ += size;
        return true;
    }
    bool U32(std::uint32_t& value) {
        std::vector<std::uint8_t> bytes;
        if (!Bytes(4, bytes)) {
            return false;
        }
        value = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) |
                (static_cast<std::uint32_t>(bytes[3]) << 24);
        return true;
    }
    bool AtEnd() const { return at_ == image_.size(); }

private:
    const std::vector<std::uint8_t>& image_;
    std::size_t at_ = 0;
};

bool Refuse(std::string& error, const std::string& reason) {
    error = reason;
    return false;
}

bool DecodeHeader(Reader& in, const std::string& model, std::string& error) {
    std::vector<std::uint8_t> magic;
    if (!in.Bytes(sizeof kMagic, magic) || std::memcmp(magic.data(), kMagic, sizeof kMagic) != 0) {
        return Refuse(error, "not a simulator state file");
    }
    std::uint32_t version = 0;
    if (!in.U32(version)) {
        return Refuse(error, "truncated after the magic");
    }
    if (version != kVersion) {
        return Refuse(error, "unknown version " + std::to_string(version) +
                                 " (this simulator writes " + std::to_string(kVersion) + ")");
    }
    std::uint32_t length = 0;
    std::vector<std::uint8_t> saved;
    const auto printable = [](std::uint8_t c) { return c >= 0x20 && c < 0x7F; };
    if (!in.U32(length) || !in.Bytes(length, saved) ||
        !std::all_of(saved.begin(), saved.end(), printable)) {
        return Refuse(error, "damaged model name");
    }
    const std::string savedModel(saved.begin(), saved.end());
    if (savedModel != model) {
        return Refuse(error, "saved on model " + savedModel + ", this is " + model);
    }
    return true;
}

bool DecodeBlock(Reader& in, int index, std::vector<std::uint8_t>& block, std::string& error) {
    std::uint32_t size = 0;
    if (!in.U32(size)) {
        return Refuse(error, std::string("truncated before the ") + kBlockNames[index] + " block");
    }
    if (size != kBlockSizes[index]) {
        return Refuse(error, std::string(kBlockNames[index]) + " block of " + std::to_string(size) +
                                 " bytes, expected " + std::to_string(kBlockSizes[index]));
    }
    if (!in.Bytes(size, block)) {
        return Refuse(error, std::string("truncated in the ") + kBlockNames[index] + " block");
    }
    return true;
}

} // namespace

std::vector<std::uint8_t> EncodeState(const std::string& model, const SetupBlocks& blocks) {
    std::vector<std::uint8_t> out;
    PutBytes(out, kMagic, sizeof kMagic);
    PutU32(out, kVersion);
    PutU32(out, static_cast<std::uint32_t>(model.size()));
    PutBytes(out, model.data(), model.size());
    for (const auto& block : blocks) {
        PutU32(out, static_cast<std::uint32_t>(block.size()));
        PutBytes(out, block.data(), block.size());
    }
    return out;
}

bool DecodeState(const std::vector<std::uint8_t>& image, const std::string& model,
                 SetupBlocks& blocks, std::string& error) {
    Reader in(image);
    if (!DecodeHeader(in, model, error)) {
        return false;
    }
    SetupBlocks decoded;
    for (int i = 0; i < 3; ++i) {
        if (!DecodeBlock(in, i, decoded[i], error)) {
            return false;
        }
    }
    if (!in.AtEnd()) {
        return Refuse(error, "unexpected bytes after the ALT block");
    }
    blocks = std::move(decoded);
    return true;
}

} // namespace detail

namespace {

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(file), {});
    return !file.bad();
}

bool WriteWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    file.close();
    return !file.fail();
}

} // namespace

StateFileLoad LoadStateFile(Instrument& instrument, const std::string& path, std::string& error) {
    std::error_code code;
    if (!std::filesystem::exists(path, code)) {
        return StateFileLoad::Absent;
    }
    std::vector<std::uint8_t> image;
    if (!ReadWholeFile(path, image)) {
        error = "cannot read " + path;
        return StateFileLoad::Ignored;
    }
    if (!instrument.LoadState(image, error)) {
        error = path + ": " + error;
        return StateFileLoad::Ignored;
    }
    return StateFileLoad::Loaded;
}

bool SaveStateFile(const Instrument& instrument, const std::string& path, std::string& error) {
    // The temporary file lies beside the target, so the rename stays on one file system;
    // its random suffix keeps two programs saving at once apart.
    const std::string temporary = path + ".tmp" + std::to_string(std::random_device{}());
    std::error_code code;
    if (!WriteWholeFile(temporary, instrument.SaveState())) {
        std::filesystem::remove(temporary, code);
        error = "cannot write " + temporary;
        return false;
    }
    std::filesystem::rename(temporary, path, code);
    if (code) {
        std::filesystem::remove(temporary, code);
        error = "cannot replace " + path;
        return false;
    }
    return true;
}

} // namespace oxbow::sim
