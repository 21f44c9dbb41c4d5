// One decoder session over a record: the samples as the decoders take them, the instances
// and their stacking, the chunks sent, and the annotations copied as they come.
#include "srd.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace oxdecode {

namespace {

// The analog channels' logic levels sit above the sixteen lines in a 32-bit unit.
constexpr int kAnalogBase = Source::kCh1;
constexpr std::uint64_t kLogicUnit = 2;
constexpr std::uint64_t kWideUnit = 4;

// The record's samples as the session sends them.
struct Samples {
    std::vector<std::uint32_t> wide; // with the analog channels
    const std::uint8_t* data = nullptr;
    std::uint64_t unit = kLogicUnit;
    std::uint64_t count = 0;
};

bool UsesAnalog(const StackSpec& stack) {
    const auto& channels = stack.decoders.front().channels;
    return std::any_of(channels.begin(), channels.end(),
                       [](const auto& assigned) { return assigned.second.Analog(); });
}

// Why the record cannot feed this stack; empty when it can.
std::string MissingSource(const StackSpec& stack, const oxfile::RecordSignals& signals) {
    for (const auto& [id, source] : stack.decoders.front().channels) {
        const bool present = source.Analog() ? !signals.volts[source.index - kAnalogBase].empty()
                                             : !signals.logic.empty();
        if (!present) return source.Name() + " is not in the record";
    }
    return {};
}

// The sixteen lines as they are (bit n = Dn, two bytes a sample), or, when a stack takes a
// channel, four bytes a sample with CH1 and CH2 through their thresholds above the lines.
Samples PrepareSamples(bool analog, const oxfile::RecordSignals& signals,
                       const std::array<Threshold, 2>& thresholds) {
    Samples samples;
    samples.count = signals.Length();
    if (!analog) {
        samples.data = reinterpret_cast<const std::uint8_t*>(signals.logic.data());
        return samples;
    }
    samples.unit = kWideUnit;
    samples.wide.assign(samples.count, 0);
    if (!signals.logic.empty())
        std::copy(signals.logic.begin(), signals.logic.end(), samples.wide.begin());
    for (int c = 0; c < 2; ++c) {
        if (signals.volts[c].empty()) continue;
        const std::vector<std::uint8_t> line = ThresholdLine(signals.volts[c], thresholds[c]);
        const std::uint32_t bit = 1u << (kAnalogBase + c);
        for (std::size_t i = 0; i < line.size(); ++i)
            samples.wide[i] |= line[i] ? bit : 0u;
    }
    samples.data = reinterpret_cast<const std::uint8_t*>(samples.wide.data());
    return samples;
}

// A GHashTable of owned keys and GVariant values, as the library's set-up calls take them.
class VariantTable {
public:
    VariantTable()
        : table_(g_hash_table_new_full(g_str_hash, g_str_equal, g_free,
                                       reinterpret_cast<GDestroyNotify>(g_variant_unref))) {}
    ~VariantTable() { g_hash_table_destroy(table_); }
    VariantTable(const VariantTable&) = delete;
    VariantTable& operator=(const VariantTable&) = delete;
    void Insert(const std::string& key, GVariant* value) {
        g_hash_table_insert(table_, g_strdup(key.c_str()), g_variant_ref_sink(value));
    }
    GHashTable* Get() const { return table_; }

private:
    GHashTable* table_;
};

// Where an instance's annotations go.
struct Target {
    std::size_t stack = 0;
    const DecoderInfo* info = nullptr;
    std::size_t firstRow = 0; // its rows' place in the stack's rows
};

// Copies each annotation while the library still holds it (it frees it on return). The
// callback runs on the decoders' threads.
class Collector {
public:
    explicit Collector(std::vector<StackResult>& stacks) : stacks_(stacks) {}
    void Add(const srd_decoder_inst* instance, const Target& target) {
        targets_[instance] = target;
    }
    static void Callback(srd_proto_data* data, void* self) {
        static_cast<Collector*>(self)->Take(*data);
    }

private:
    void Take(const srd_proto_data& data) {
        const auto* annotation = static_cast<const srd_proto_data_annotation*>(data.data);
        std::lock_guard guard(mutex_);
        const auto found = targets_.find(data.pdo->di);
        if (found == targets_.end() || annotation == nullptr) return;
        const Target& target = found->second;
        const int row = target.info->RowOfClass(annotation->ann_class);
        if (row < 0) return;
        Annotation copied{data.start_sample, data.end_sample, annotation->ann_class, {}};
        for (char** text = annotation->ann_text; text != nullptr && *text != nullptr; ++text)
            copied.texts.emplace_back(*text);
        stacks_[target.stack]
            .rows[target.firstRow + static_cast<std::size_t>(row)]
            .annotations.push_back(std::move(copied));
    }

    std::mutex mutex_;
    std::vector<StackResult>& stacks_;
    std::map<const srd_decoder_inst*, Target> targets_;
};

class Session {
public:
    Session() {
        if (srd_session_new(&session_) != SRD_OK) session_ = nullptr;
    }
    // The library's decoder threads end with the session; 0.5.3 has no end-of-stream call.
    ~Session() {
        if (session_ != nullptr) srd_session_destroy(session_);
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    srd_session* Get() const { return session_; }

private:
    srd_session* session_ = nullptr;
};

srd_decoder_inst* NewInstance(srd_session* session, const DecoderSpec& spec,
                              const DecoderInfo& info) {
    VariantTable options;
    for (const auto& [id, text] : spec.options) {
        const std::optional<OptionValue> value =
            detail::ParseOptionValue(info.FindOption(id)->defaultValue.type, text);
        options.Insert(id, detail::ToVariant(*value));
    }
    return srd_inst_new(session, spec.id.c_str(), options.Get());
}

bool AssignChannels(srd_decoder_inst* instance, const DecoderSpec& spec) {
    VariantTable channels;
    for (const auto& [id, source] : spec.channels)
        channels.Insert(id, g_variant_new_int32(source.index));
    return srd_inst_channel_set_all(instance, channels.Get()) == SRD_OK;
}

// Sets up the instances of one stack; its error when the library refused one.
std::string AddStack(srd_session* session, const StackSpec& stack, std::size_t index,
                     StackResult& result, Collector& collector) {
    srd_decoder_inst* below = nullptr;
    for (std::size_t level = 0; level < stack.decoders.size(); ++level) {
        const DecoderSpec& spec = stack.decoders[level];
        const DecoderInfo& info = *FindDecoder(spec.id);
        srd_decoder_inst* instance = NewInstance(session, spec, info);
        if (instance == nullptr) return spec.id + ": the decoder refused its options";
        if (level == 0 ? !AssignChannels(instance, spec)
                       : srd_inst_stack(session, below, instance) != SRD_OK)
            return spec.id + ": the decoder could not be connected";
        collector.Add(instance, {index, &info, result.rows.size()});
        for (const AnnotationRow& row : info.rows)
            result.rows.push_back({static_cast<int>(level), info.id, row.id, row.desc, {}});
        below = instance;
    }
    return {};
}

// The samples in chunks that start at 0 and follow each other; each chunk's end sample is
// the one after its last.
bool SendChunks(srd_session* session, const Samples& samples, const DecodeLimits& limits) {
    const std::uint64_t chunk = std::max<std::uint64_t>(1, limits.chunkSamples);
    for (std::uint64_t start = 0; start < samples.count;) {
        if (limits.stop != nullptr && limits.stop->load()) return false;
        const std::uint64_t end = std::min(samples.count, start + chunk);
        if (srd_session_send(session, start, end, samples.data + start * samples.unit,
                             (end - start) * samples.unit, samples.unit) != SRD_OK)
            return false;
        start = end;
    }
    return true;
}

void FailAll(DecodeResult& result, const std::vector<bool>& running, const std::string& why) {
    for (std::size_t s = 0; s < result.stacks.size(); ++s) {
        if (!running[s]) continue;
        result.stacks[s].error = why;
        result.stacks[s].rows.clear();
    }
}

} // namespace

std::vector<std::uint8_t> ThresholdLine(const std::vector<float>& volts,
                                        const Threshold& threshold) {
    std::vector<std::uint8_t> line(volts.size());
    if (volts.empty()) return line;
    double level = threshold.level;
    double hysteresis = threshold.hysteresis;
    if (threshold.automatic) {
        const auto [low, high] = std::minmax_element(volts.begin(), volts.end());
        level = (*low + *high) / 2.0;
        hysteresis = (*high - *low) / 10.0;
    }
    const double rise = level + std::abs(hysteresis) / 2.0;
    const double fall = level - std::abs(hysteresis) / 2.0;
    bool high = volts.front() > level;
    for (std::size_t i = 0; i < volts.size(); ++i) {
        if (volts[i] > rise) high = true;
        if (volts[i] < fall) high = false;
        line[i] = high ? 1 : 0;
    }
    return line;
}

DecodeResult DecodeRecord(const std::vector<StackSpec>& stacks,
                          const oxfile::RecordSignals& signals,
                          const std::array<Threshold, 2>& thresholds, const DecodeLimits& limits) {
    DecodeResult result;
    result.sampleRate = signals.sampleRate;
    result.firstTime = signals.firstTime;
    result.samples = signals.Length();
    result.stacks.resize(stacks.size());
    std::vector<bool> running(stacks.size(), false);
    const double rate = std::round(signals.sampleRate);
    bool analog = false;
    for (std::size_t s = 0; s < stacks.size(); ++s) {
        std::string error;
        if (!CheckStack(stacks[s], error) || !(error = MissingSource(stacks[s], signals)).empty()) {
            result.stacks[s].error = error;
            continue;
        }
        running[s] = true;
        analog = analog || UsesAnalog(stacks[s]);
    }
    if (std::none_of(running.begin(), running.end(), [](bool r) { return r; }) ||
        result.samples == 0)
        return result;
    if (!(rate >= 1.0)) {
        FailAll(result, running, "the record has no sample rate");
        return result;
    }
    const Samples samples = PrepareSamples(analog, signals, thresholds);
    Collector collector(result.stacks);
    {
        Session session;
        if (session.Get() == nullptr) {
            FailAll(result, running, "the decoder session did not start");
            return result;
        }
        for (std::size_t s = 0; s < stacks.size(); ++s) {
            if (!running[s]) continue;
            result.stacks[s].error =
                AddStack(session.Get(), stacks[s], s, result.stacks[s], collector);
        }
        // One callback for every instance: the library calls only the first one of a type.
        const bool started =
            srd_pd_output_callback_add(session.Get(), SRD_OUTPUT_ANN, &Collector::Callback,
                                       &collector) == SRD_OK &&
            srd_session_metadata_set(session.Get(), SRD_CONF_SAMPLERATE,
                                     g_variant_new_uint64(static_cast<std::uint64_t>(rate))) ==
                SRD_OK &&
            srd_session_start(session.Get()) == SRD_OK;
        if (!started) {
            FailAll(result, running, "the decoder session did not start");
            return result;
        }
        if (!SendChunks(session.Get(), samples, limits))
            FailAll(result, running, "decoding was stopped or failed");
    } // the session and its threads end here, before the rows are read
    for (StackResult& stack : result.stacks) {
        if (!stack.error.empty()) stack.rows.clear();
        for (RowResult& row : stack.rows) {
            std::stable_sort(
                row.annotations.begin(), row.annotations.end(),
                [](const Annotation& a, const Annotation& b) { return a.start < b.start; });
        }
    }
    return result;
}

} // namespace oxdecode
