// The USB side of the simulated instrument: command bytes, short replies, vendor
// requests and bulk transfers, as the transport's simulated back end calls them.
#include "oxsim.h"

#include <algorithm>
#include <cstring>

namespace oxbow::sim {

namespace {

constexpr std::size_t kMaxLine = 4096;
constexpr std::size_t kMaxShortReply = 255;

enum Request {
    kAnnounce = 2,
    kLive = 4,
    kRecord = 5,
    kReadDso = 6,
    kReadLa = 12,
    kReadAlt = 13,
    kCommitDso = 14,
    kCommitLa = 15,
    kCommitAlt = 16
};

std::size_t BlockSize(Block block) {
    switch (block) {
    case Block::Dso:
        return kDsoBlockSize;
    case Block::La:
        return kLaBlockSize;
    case Block::Alt:
        return kAltBlockSize;
    }
    return 0;
}

void Scramble(std::uint8_t* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        data[i] ^= static_cast<std::uint8_t>(0x5A + i);
    }
}

} // namespace

UsbSimEndpoint::UsbSimEndpoint(Instrument& instrument) : instrument_(instrument) {}

bool UsbSimEndpoint::IsPresent() const {
    return instrument_.IsPresent();
}

bool UsbSimEndpoint::WriteByte(std::uint8_t byte) {
    if (!IsPresent()) {
        return false;
    }
    std::lock_guard lock(mutex_);
    if (byte == '\r' || byte == '\n') {
        const std::string line = line_.size() > kMaxLine ? std::string("<overlong>") : line_;
        line_.clear();
        const auto reply = instrument_.Execute(line);
        reply_.clear();
        if (reply) {
            Reply(*reply);
        }
        return true;
    }
    if (byte != 0 && line_.size() <= kMaxLine) {
        line_.push_back(static_cast<char>(byte));
    }
    return true;
}

// Replies longer than a length byte can announce are cut to 255 bytes.
void UsbSimEndpoint::Reply(const std::string& body) {
    reply_ = body.substr(0, kMaxShortReply);
    if (instrument_.TakeFault(Fault::LongReply)) {
        reply_.append(
            std::min<std::size_t>(16, kMaxShortReply - std::min(kMaxShortReply, reply_.size())),
            '\xFF');
    }
    if (instrument_.TakeFault(Fault::GarbledReply)) {
        Scramble(reinterpret_cast<std::uint8_t*>(reply_.data()), reply_.size());
    }
}

bool UsbSimEndpoint::ReadBytes(int phase, int count, std::uint8_t* buffer) {
    if (!IsPresent() || buffer == nullptr || count < 0) {
        return false;
    }
    std::lock_guard lock(mutex_);
    if (phase == 0) {
        if (count < 1 || instrument_.TakeFault(Fault::Stall)) {
            return false;
        }
        buffer[0] = static_cast<std::uint8_t>(reply_.size());
        return true;
    }
    const std::size_t wanted = static_cast<std::size_t>(count);
    std::size_t available = std::min(wanted, reply_.size());
    bool complete = available == wanted;
    if (instrument_.TakeFault(Fault::ShortReply)) {
        available /= 2;
        complete = false;
    }
    std::memcpy(buffer, reply_.data(), available);
    reply_.clear();
    return complete;
}

bool UsbSimEndpoint::PrepareBlockRead(Block block) {
    bulkOut_ = instrument_.ReadBlock(block);
    return true;
}

bool UsbSimEndpoint::Commit(Block block) {
    const std::size_t size = BlockSize(block);
    const bool whole = announced_ == size && bulkIn_.size() == size;
    const bool written = whole && instrument_.WriteBlock(block, bulkIn_.data(), size);
    bulkIn_.clear();
    announced_ = 0;
    return written;
}

int UsbSimEndpoint::ControlRequest(int request, int value, int index) {
    if (!IsPresent() || instrument_.TakeFault(Fault::RefuseUsbRequest)) {
        return 0;
    }
    std::lock_guard lock(mutex_);
    switch (request) {
    case kReadDso:
        return PrepareBlockRead(Block::Dso) ? 1 : 0;
    case kReadLa:
        return PrepareBlockRead(Block::La) ? 1 : 0;
    case kReadAlt:
        return PrepareBlockRead(Block::Alt) ? 1 : 0;
    case kAnnounce:
        announced_ = static_cast<std::size_t>(value & 0xFFFF) |
                     (static_cast<std::size_t>(index & 0xFFFF) << 16);
        bulkIn_.clear();
        return announced_ == kDsoBlockSize || announced_ == kLaBlockSize ||
                       announced_ == kAltBlockSize
                   ? 1
                   : 0;
    case kCommitDso:
        return Commit(Block::Dso) ? 1 : 0;
    case kCommitLa:
        return Commit(Block::La) ? 1 : 0;
    case kCommitAlt:
        return Commit(Block::Alt) ? 1 : 0;
    default:
        return 0;
    }
}

int UsbSimEndpoint::ControlRead(int request, int value, int index, int length,
                                std::uint8_t* buffer) {
    if (!IsPresent() || buffer == nullptr || length != 4 ||
        instrument_.TakeFault(Fault::RefuseUsbRequest)) {
        return 0;
    }
    std::lock_guard lock(mutex_);
    if (request == kLive) {
        instrument_.LiveBlock(static_cast<unsigned>(index) & 7u, bulkOut_);
    } else if (request == kRecord) {
        instrument_.FullRecord(static_cast<unsigned>(value) & 0x7Fu, bulkOut_);
    } else {
        return 0;
    }
    const auto size = static_cast<std::uint32_t>(bulkOut_.size());
    for (int i = 0; i < 4; ++i) {
        buffer[i] = static_cast<std::uint8_t>(size >> (8 * i));
    }
    return 1;
}

bool UsbSimEndpoint::BulkRead(int length, std::uint8_t* buffer) {
    if (!IsPresent() || buffer == nullptr || length < 0) {
        return false;
    }
    std::lock_guard lock(mutex_);
    const std::size_t wanted = static_cast<std::size_t>(length);
    if (instrument_.TakeFault(Fault::Stall) || wanted > bulkOut_.size()) {
        bulkOut_.clear();
        return false;
    }
    std::memcpy(buffer, bulkOut_.data(), wanted);
    bulkOut_.clear();
    if (instrument_.TakeFault(Fault::GarbledReply)) {
        Scramble(buffer, wanted);
    }
    return !instrument_.TakeFault(Fault::ShortReply);
}

bool UsbSimEndpoint::BulkWrite(int length, const std::uint8_t* buffer) {
    if (!IsPresent() || buffer == nullptr || length < 0) {
        return false;
    }
    std::lock_guard lock(mutex_);
    if (bulkIn_.size() + static_cast<std::size_t>(length) > announced_) {
        bulkIn_.clear();
        return false;
    }
    bulkIn_.insert(bulkIn_.end(), buffer, buffer + length);
    return true;
}

} // namespace oxbow::sim
