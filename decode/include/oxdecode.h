// Protocol decoding of the stored record and of live frames through libsigrokdecode.
//
// The library is set up once per process (Initialise) and lists its decoders with their
// channels, typed options, annotation classes and rows. A decoder stack (a decoder on the
// record's lines, with decoders stacked on its output) is described by a StackSpec, parsed
// from the text users know ("uart:rx=D0:baudrate=9600", stacked with ","). DecodeRecord runs
// the stacks of one record on the calling thread; DecodeWorker runs them on a thread of its
// own and keeps at most one record waiting. Results hold, per annotation row, the
// annotations sorted by start sample.
#pragma once

#include "fileformats.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace oxdecode {

// ---------------------------------------------------------------- the decoders

enum class OptionType { Int64, Double, String };

struct OptionValue {
    OptionType type = OptionType::String;
    std::int64_t integer = 0;
    double real = 0.0;
    std::string text;
    // As the user writes it: "115200", "1.5", "none".
    [[nodiscard]] std::string Text() const;
    bool operator==(const OptionValue& other) const;
};

struct DecoderOption {
    std::string id;
    std::string desc;
    OptionValue defaultValue;        // its type is the option's type
    std::vector<OptionValue> values; // the values allowed; empty: any of the type
};

struct DecoderChannel {
    std::string id;
    std::string name;
    std::string desc;
    bool optional = false;
};

struct AnnotationClass {
    std::string id;
    std::string desc;
};

struct AnnotationRow {
    std::string id;
    std::string desc;
    std::vector<int> classes; // indices into DecoderInfo::classes
};

struct DecoderInfo {
    std::string id;
    std::string name;
    std::string longname;
    std::string desc;
    std::vector<std::string> inputs;      // "logic" for a decoder on the lines
    std::vector<std::string> outputs;     // what a decoder stacked on this one takes as input
    std::vector<DecoderChannel> channels; // required first, then the optional ones
    std::vector<DecoderOption> options;
    std::vector<AnnotationClass> classes;
    // The decoder's rows, then a row of its own for each class none of them shows (so every
    // class of a decoder that declares no rows).
    std::vector<AnnotationRow> rows;

    [[nodiscard]] const DecoderChannel* FindChannel(const std::string& channelId) const;
    [[nodiscard]] const DecoderOption* FindOption(const std::string& optionId) const;
    // The index of class `classId`, -1 when the decoder has no such class.
    [[nodiscard]] int FindClass(const std::string& classId) const;
    // The row that shows annotations of class `classIndex`, -1 for a class it does not have.
    [[nodiscard]] int RowOfClass(int classIndex) const;
};

// Sets the library up and loads every decoder; once per process, before anything else starts
// Python. Later calls return the first call's outcome (false with its reason).
[[nodiscard]] bool Initialise(std::string& error);
// The decoders, sorted by id; empty until Initialise has succeeded.
[[nodiscard]] const std::vector<DecoderInfo>& Decoders();
[[nodiscard]] const DecoderInfo* FindDecoder(const std::string& id);

// ---------------------------------------------------------------- stacks

// Where a decoder channel's samples come from: D0..D15, or CH1/CH2 through a threshold.
struct Source {
    static constexpr int kCh1 = 16;
    static constexpr int kCh2 = 17;
    int index = 0; // 0..15 the analyzer's lines, kCh1, kCh2

    [[nodiscard]] bool Analog() const { return index >= kCh1; }
    [[nodiscard]] std::string Name() const; // "D3", "CH1"
    // "D0".."D15", "CH1", "CH2" (case ignored); nothing for anything else.
    [[nodiscard]] static std::optional<Source> Parse(const std::string& text);
    bool operator==(const Source&) const = default;
};

// A channel's threshold: with `automatic` the middle of the record's lowest and highest
// value and a tenth of that span as hysteresis; otherwise the level and hysteresis in volts.
// The line goes high above level + hysteresis / 2 and low below level − hysteresis / 2.
struct Threshold {
    bool automatic = true;
    double level = 0.0;
    double hysteresis = 0.0;
};

struct DecoderSpec {
    std::string id;
    std::map<std::string, Source> channels;     // decoder channel id → source
    std::map<std::string, std::string> options; // option id → value as written
};

// The decoders of one stack, the one on the lines first.
struct StackSpec {
    std::vector<DecoderSpec> decoders;
    [[nodiscard]] std::string Text() const; // back to "uart:rx=D0:baudrate=9600,modbus"
};

// "uart:rx=D0:baudrate=115200", decoders stacked with ",": "i2c:scl=D0:sda=D1,eeprom24xx".
// A key is a channel of the decoder when it names one (its value a source), otherwise an
// option. Checked against the library (CheckStack); false with a reason.
[[nodiscard]] bool ParseStackText(const std::string& text, StackSpec& stack, std::string& error);

// Every decoder known, every channel assigned to a source, the required ones all assigned,
// every option known with a value of its type (and one of its values where it lists them),
// and each decoder above the first taking an output of the one below. False with a reason.
[[nodiscard]] bool CheckStack(const StackSpec& stack, std::string& error);

// ---------------------------------------------------------------- results

struct Annotation {
    std::uint64_t start = 0; // first sample
    std::uint64_t end = 0;   // sample after the last, as the decoder reports it
    int classIndex = 0;
    std::vector<std::string> texts; // longest first, as the decoder gives them
};

struct RowResult {
    int level = 0;       // the decoder's place in its stack, 0 on the lines
    std::string decoder; // its id
    std::string rowId;
    std::string rowDesc;
    std::vector<Annotation> annotations; // sorted by start sample
};

struct StackResult {
    std::string error;           // why the stack was not decoded; empty when it was
    std::vector<RowResult> rows; // per decoder of the stack its rows, in the decoder's order
};

struct DecodeResult {
    long serial = 0;
    double sampleRate = 0.0;
    double firstTime = 0.0; // seconds of sample 0 from the trigger
    std::uint64_t samples = 0;
    std::vector<StackResult> stacks; // one per stack asked for, in that order
};

// How a record is handed to the decoders.
struct DecodeLimits {
    std::uint64_t chunkSamples = 1u << 18;   // samples per srd_session_send
    const std::atomic<bool>* stop = nullptr; // when set, decoding ends before the next chunk
};

// Decodes every stack of `stacks` over `record` on the calling thread (one session for them
// all). A stack that cannot run (a source the record lacks, a refused option) has its error
// set and no rows; the others are decoded.
[[nodiscard]] DecodeResult DecodeRecord(const std::vector<StackSpec>& stacks,
                                        const oxfile::RecordSignals& record,
                                        const std::array<Threshold, 2>& thresholds = {},
                                        const DecodeLimits& limits = {});

// The annotations of every stack, merged by start sample: "START-END DECODER: ROW: TEXT".
[[nodiscard]] std::string AnnotationLines(const DecodeResult& result);
// The same as a CSV table: Time,Start,End,Decoder,Row,Text (time in seconds from the trigger).
[[nodiscard]] std::string AnnotationCsv(const DecodeResult& result);

// The logic level of each sample of `volts` through the threshold (hysteresis kept across
// samples; the first sample decides by the level alone).
[[nodiscard]] std::vector<std::uint8_t> ThresholdLine(const std::vector<float>& volts,
                                                      const Threshold& threshold);

// ---------------------------------------------------------------- the worker

// Runs decodes on a thread of its own, never on the caller's. At most one record waits: a
// record handed over while another is still waiting takes its place, and the one replaced
// is counted as skipped. The one being decoded is finished.
class DecodeWorker {
public:
    DecodeWorker();
    // Stops the thread: the decode in progress ends at its next chunk.
    ~DecodeWorker();
    DecodeWorker(const DecodeWorker&) = delete;
    DecodeWorker& operator=(const DecodeWorker&) = delete;

    struct Job {
        std::vector<StackSpec> stacks;
        std::shared_ptr<const oxfile::RecordSignals> record;
        std::array<Threshold, 2> thresholds{};
    };
    // The job's serial (positive, rising).
    long Submit(Job job);
    // Called on the worker thread after each result is published (e.g. to post a repaint).
    void SetOnResult(std::function<void(long serial)> onResult);

    // The newest result, for drawing; null before the first.
    [[nodiscard]] std::shared_ptr<const DecodeResult> Latest() const;
    // The result of `serial` while it is the newest; null otherwise (not done, or skipped).
    [[nodiscard]] std::shared_ptr<const DecodeResult> ResultOf(long serial) const;

    struct Counts {
        long submitted = 0;
        long decoded = 0;
        long skipped = 0;
    };
    [[nodiscard]] Counts Tally() const;

private:
    void Run();

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<std::pair<long, Job>> waiting_;
    std::shared_ptr<const DecodeResult> latest_;
    std::function<void(long)> onResult_;
    Counts counts_;
    long lastSerial_ = 0;
    bool stopping_ = false;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace oxdecode
