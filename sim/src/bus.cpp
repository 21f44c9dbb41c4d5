// Bus traffic: one burst of UART, SPI or I2C as the times its wires toggle, repeated.
#include "oxsim.h"
#include "sim_core.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace oxbow::sim {

namespace {

constexpr int kBits = 8;

std::size_t Index(BusLine line) {
    return static_cast<std::size_t>(line);
}

// The levels a wire is driven to, in time order; turned into toggles once complete.
struct Track {
    bool idle = true;
    std::vector<std::pair<double, bool>> sets;
    void Set(double t, bool level) { sets.emplace_back(t, level); }
};

bool Bit(std::uint8_t byte, int k) {
    return ((byte >> k) & 1u) != 0;
}

// UART: start bit low, eight data bits LSB first, stop bit high; bytes back to back.
void UartBurst(const BusTraffic& traffic, std::array<Track, kBusLines>& tracks) {
    const double bit = 1.0 / traffic.rate;
    Track& tx = tracks[Index(BusLine::Tx)];
    double t = 0.0;
    for (const std::uint8_t byte : traffic.bytes) {
        tx.Set(t, false);
        for (int k = 0; k < kBits; ++k)
            tx.Set(t + (k + 1) * bit, Bit(byte, k));
        tx.Set(t + (kBits + 1) * bit, true);
        t += (kBits + 2) * bit;
    }
}

// SPI mode 0: select falls, data changes half a period before each rising clock edge, MSB
// first; select rises half a period after the last falling clock edge.
void SpiBurst(const BusTraffic& traffic, std::array<Track, kBusLines>& tracks) {
    const double period = 1.0 / traffic.rate;
    Track& clock = tracks[Index(BusLine::Clock)];
    Track& mosi = tracks[Index(BusLine::Mosi)];
    Track& miso = tracks[Index(BusLine::Miso)];
    Track& select = tracks[Index(BusLine::Select)];
    clock.idle = false;
    mosi.idle = false;
    miso.idle = false;
    select.Set(0.0, false);
    double t = period / 2.0;
    for (std::size_t b = 0; b < traffic.bytes.size(); ++b) {
        const std::uint8_t answer = b < traffic.miso.size() ? traffic.miso[b] : 0;
        for (int k = kBits - 1; k >= 0; --k) {
            mosi.Set(t, Bit(traffic.bytes[b], k));
            miso.Set(t, Bit(answer, k));
            clock.Set(t + period / 2.0, true);
            clock.Set(t + period, false);
            t += period;
        }
    }
    mosi.Set(t, false);
    miso.Set(t, false);
    select.Set(t + period / 2.0, true);
}

// I2C: start (SDA falls while SCL is high), nine clocks per byte (the ninth the receiver's
// acknowledge, SDA low), stop (SDA rises while SCL is high). SDA changes a quarter period
// into each low phase of SCL.
void I2cBurst(const BusTraffic& traffic, std::array<Track, kBusLines>& tracks) {
    const double period = 1.0 / traffic.rate;
    Track& scl = tracks[Index(BusLine::Scl)];
    Track& sda = tracks[Index(BusLine::Sda)];
    sda.Set(0.0, false);
    scl.Set(period / 2.0, false);
    double t = period / 2.0; // start of the current clock's low phase
    const auto clockBit = [&](bool level) {
        sda.Set(t + period / 4.0, level);
        scl.Set(t + period / 2.0, true);
        scl.Set(t + period, false);
        t += period;
    };
    std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(traffic.address << 1)};
    bytes.insert(bytes.end(), traffic.bytes.begin(), traffic.bytes.end());
    for (const std::uint8_t byte : bytes) {
        for (int k = kBits - 1; k >= 0; --k)
            clockBit(Bit(byte, k));
        clockBit(false); // acknowledged
    }
    sda.Set(t + period / 4.0, false);
    scl.Set(t + period / 2.0, true);
    sda.Set(t + period, true);
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool ParseHexBytes(const std::string& text, std::vector<std::uint8_t>& bytes) {
    if (text.empty() || text.size() % 2 != 0) return false;
    std::vector<std::uint8_t> parsed;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const std::string pair = text.substr(i, 2);
        if (!std::isxdigit(static_cast<unsigned char>(pair[0])) ||
            !std::isxdigit(static_cast<unsigned char>(pair[1])))
            return false;
        parsed.push_back(static_cast<std::uint8_t>(std::strtoul(pair.c_str(), nullptr, 16)));
    }
    bytes = std::move(parsed);
    return true;
}

bool ParseKind(const std::string& word, BusKind& kind) {
    if (word == "uart") {
        kind = BusKind::Uart;
    } else if (word == "spi") {
        kind = BusKind::Spi;
    } else if (word == "i2c") {
        kind = BusKind::I2c;
    } else {
        return false;
    }
    return true;
}

// The traffic's own keys; false with `known` false for a key it does not have.
bool ParseTrafficKey(const std::string& key, const std::string& value, BusTraffic& traffic,
                     bool& known, std::string& error) {
    known = true;
    const auto bad = [&] {
        error = "bad value in \"" + key + "=" + value + "\"";
        return false;
    };
    if (key == "rate" || (key == "baud" && traffic.kind == BusKind::Uart)) {
        return (ParseEngineering(value, traffic.rate) && traffic.rate > 0.0) || bad();
    }
    if (key == "every") {
        return (ParseEngineering(value, traffic.every) && traffic.every > 0.0) || bad();
    }
    if (key == "text" || key == "miso-text") {
        (key == "text" ? traffic.bytes : traffic.miso).assign(value.begin(), value.end());
        return !value.empty() || bad();
    }
    if (key == "hex" || key == "miso-hex") {
        return ParseHexBytes(value, key == "hex" ? traffic.bytes : traffic.miso) || bad();
    }
    if (key == "address" && traffic.kind == BusKind::I2c) {
        char* end = nullptr;
        const unsigned long address = std::strtoul(value.c_str(), &end, 0);
        if (end == value.c_str() || *end != '\0' || address > 0x7F) return bad();
        traffic.address = static_cast<std::uint8_t>(address);
        return true;
    }
    known = false;
    return false;
}

} // namespace

namespace detail {

bool ParseBusLine(BusKind kind, const std::string& name, BusLine& line) {
    struct Name {
        const char* text;
        BusKind kind;
        BusLine line;
    };
    static constexpr Name kNames[] = {
        {"tx", BusKind::Uart, BusLine::Tx},    {"clk", BusKind::Spi, BusLine::Clock},
        {"mosi", BusKind::Spi, BusLine::Mosi}, {"miso", BusKind::Spi, BusLine::Miso},
        {"cs", BusKind::Spi, BusLine::Select}, {"scl", BusKind::I2c, BusLine::Scl},
        {"sda", BusKind::I2c, BusLine::Sda},
    };
    for (const Name& entry : kNames) {
        if (entry.kind == kind && Lower(name) == entry.text) {
            line = entry.line;
            return true;
        }
    }
    return false;
}

} // namespace detail

BusWave::BusWave(const BusTraffic& traffic) : traffic_(traffic) {
    std::array<Track, kBusLines> tracks{};
    switch (traffic.kind) {
    case BusKind::Uart:
        UartBurst(traffic, tracks);
        break;
    case BusKind::Spi:
        SpiBurst(traffic, tracks);
        break;
    case BusKind::I2c:
        I2cBurst(traffic, tracks);
        break;
    }
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        Wire& wire = wires_[i];
        wire.idle = tracks[i].idle;
        bool level = wire.idle;
        for (const auto& [t, wanted] : tracks[i].sets) {
            if (wanted == level) continue;
            wire.toggles.push_back(t);
            level = wanted;
            duration_ = std::max(duration_, t);
        }
    }
}

bool BusWave::Level(BusLine line, double t) const {
    const Wire& wire = wires_[Index(line)];
    const double every = traffic_.every;
    const double local = t - std::floor(t / every) * every;
    const auto passed =
        std::upper_bound(wire.toggles.begin(), wire.toggles.end(), local) - wire.toggles.begin();
    return wire.idle != (passed % 2 == 1);
}

std::optional<double> BusWave::NextEdge(BusLine line, int slope, double from, double window) const {
    const Wire& wire = wires_[Index(line)];
    if (wire.toggles.empty()) return std::nullopt;
    const double every = traffic_.every;
    double burst = std::floor(from / every) * every;
    // Two repetitions always hold an edge of each direction when the wire toggles at all.
    for (; burst <= from + window; burst += every) {
        for (std::size_t k = 0; k < wire.toggles.size(); ++k) {
            const double t = burst + wire.toggles[k];
            if (t <= from) continue;
            if (t > from + window) return std::nullopt;
            const bool rising = wire.idle == (k % 2 == 1);
            if (slope == 2 || (slope == 0) == rising) return t;
        }
    }
    return std::nullopt;
}

double BusWave::HighFraction(BusLine line) const {
    const Wire& wire = wires_[Index(line)];
    double high = 0.0;
    double last = 0.0;
    bool level = wire.idle;
    for (const double t : wire.toggles) {
        if (level) high += t - last;
        last = t;
        level = !level;
    }
    if (level) high += traffic_.every - last;
    return high / traffic_.every;
}

bool ParseBusTraffic(
    const std::string& text, BusTraffic& traffic,
    const std::function<bool(const std::string&, const std::string&, std::string&)>& other,
    std::string& error) {
    std::vector<std::string> fields;
    std::string field;
    std::istringstream stream(text);
    while (std::getline(stream, field, ','))
        fields.push_back(field);
    BusTraffic parsed;
    if (fields.empty() || !ParseKind(Lower(fields[0]), parsed.kind)) {
        error = "unknown bus \"" + (fields.empty() ? text : fields[0]) + "\"";
        return false;
    }
    for (std::size_t i = 1; i < fields.size(); ++i) {
        const auto equals = fields[i].find('=');
        if (equals == std::string::npos) {
            error = "expected key=value, not \"" + fields[i] + "\"";
            return false;
        }
        const std::string key = Lower(fields[i].substr(0, equals));
        const std::string value = fields[i].substr(equals + 1);
        bool known = false;
        if (ParseTrafficKey(key, value, parsed, known, error)) continue;
        if (known || !other(key, value, error)) return false;
    }
    if (parsed.bytes.empty()) {
        error = "the bus needs bytes to send (text= or hex=)";
        return false;
    }
    if (BusWave(parsed).Duration() >= parsed.every) {
        error = "the traffic takes longer than every= allows";
        return false;
    }
    traffic = std::move(parsed);
    return true;
}

} // namespace oxbow::sim
