// The library set up once per process, and the decoders it lists.
#include "oxdecode.h"
#include "srd.h"

#include <algorithm>
#include <cstdio>

namespace oxdecode {

namespace {

std::string Text(const char* text) {
    return text != nullptr ? text : "";
}

std::vector<std::string> Strings(const GSList* list) {
    std::vector<std::string> strings;
    for (const GSList* item = list; item != nullptr; item = item->next)
        strings.push_back(Text(static_cast<const char*>(item->data)));
    return strings;
}

void AddChannels(const GSList* list, bool optional, std::vector<DecoderChannel>& channels) {
    for (const GSList* item = list; item != nullptr; item = item->next) {
        const auto* channel = static_cast<const srd_channel*>(item->data);
        channels.push_back({Text(channel->id), Text(channel->name), Text(channel->desc), optional});
    }
}

std::vector<DecoderOption> Options(const GSList* list) {
    std::vector<DecoderOption> options;
    for (const GSList* item = list; item != nullptr; item = item->next) {
        const auto* option = static_cast<const srd_decoder_option*>(item->data);
        DecoderOption described{Text(option->id), Text(option->desc), {}, {}};
        const std::optional<OptionValue> fallback = detail::FromVariant(option->def);
        if (!fallback) continue; // a type the decoders do not use
        described.defaultValue = *fallback;
        for (const GSList* value = option->values; value != nullptr; value = value->next) {
            if (auto allowed = detail::FromVariant(static_cast<GVariant*>(value->data)))
                described.values.push_back(*allowed);
        }
        options.push_back(std::move(described));
    }
    return options;
}

// Each item of the class list is a NULL-terminated array of strings: id and description
// (the header's comment still speaks of a list).
std::vector<AnnotationClass> Classes(const GSList* list) {
    std::vector<AnnotationClass> classes;
    for (const GSList* item = list; item != nullptr; item = item->next) {
        const auto* const* pair = static_cast<const char* const*>(item->data);
        const std::string id = pair != nullptr ? Text(pair[0]) : "";
        const std::string desc = pair != nullptr && pair[0] != nullptr ? Text(pair[1]) : "";
        classes.push_back({id, desc});
    }
    return classes;
}

std::vector<AnnotationRow> Rows(const GSList* list, const std::vector<AnnotationClass>& classes) {
    std::vector<AnnotationRow> rows;
    for (const GSList* item = list; item != nullptr; item = item->next) {
        const auto* row = static_cast<const srd_decoder_annotation_row*>(item->data);
        AnnotationRow described{Text(row->id), Text(row->desc), {}};
        for (const GSList* c = row->ann_classes; c != nullptr; c = c->next)
            described.classes.push_back(GPOINTER_TO_INT(c->data));
        rows.push_back(std::move(described));
    }
    // A class no row shows (every class when the decoder declares no rows) gets a row of its
    // own, so that no annotation is lost.
    for (std::size_t c = 0; c < classes.size(); ++c) {
        const int index = static_cast<int>(c);
        const bool shown = std::any_of(rows.begin(), rows.end(), [index](const AnnotationRow& r) {
            return std::find(r.classes.begin(), r.classes.end(), index) != r.classes.end();
        });
        if (!shown) rows.push_back({classes[c].id, classes[c].desc, {index}});
    }
    return rows;
}

DecoderInfo Describe(const srd_decoder& decoder) {
    DecoderInfo info;
    info.id = Text(decoder.id);
    info.name = Text(decoder.name);
    info.longname = Text(decoder.longname);
    info.desc = Text(decoder.desc);
    info.inputs = Strings(decoder.inputs);
    info.outputs = Strings(decoder.outputs);
    AddChannels(decoder.channels, false, info.channels);
    AddChannels(decoder.opt_channels, true, info.channels);
    info.options = Options(decoder.options);
    info.classes = Classes(decoder.annotations);
    info.rows = Rows(decoder.annotation_rows, info.classes);
    return info;
}

struct LibraryState {
    bool ready = false;
    std::string error;
    std::vector<DecoderInfo> decoders;
};

LibraryState& State() {
    static LibraryState state;
    return state;
}

} // namespace

bool Initialise(std::string& error) {
    static std::once_flag once;
    std::call_once(once, [] {
        LibraryState& state = State();
        // Errors only; the decoders' own warnings would go to standard output.
        srd_log_loglevel_set(SRD_LOG_ERR);
        if (const int result = srd_init(nullptr); result != SRD_OK) {
            state.error = std::string("the decoder library did not start: ") + srd_strerror(result);
            return;
        }
        if (const int result = srd_decoder_load_all(); result != SRD_OK) {
            state.error = std::string("the decoders did not load: ") + srd_strerror(result);
            return;
        }
        for (const GSList* item = srd_decoder_list(); item != nullptr; item = item->next)
            state.decoders.push_back(Describe(*static_cast<const srd_decoder*>(item->data)));
        std::sort(state.decoders.begin(), state.decoders.end(),
                  [](const DecoderInfo& a, const DecoderInfo& b) { return a.id < b.id; });
        if (state.decoders.empty()) {
            state.error = "no decoders were found";
            return;
        }
        state.ready = true;
    });
    error = State().error;
    return State().ready;
}

const std::vector<DecoderInfo>& Decoders() {
    static const std::vector<DecoderInfo> none;
    return State().ready ? State().decoders : none;
}

const DecoderInfo* FindDecoder(const std::string& id) {
    const std::vector<DecoderInfo>& decoders = Decoders();
    const auto found = std::lower_bound(
        decoders.begin(), decoders.end(), id,
        [](const DecoderInfo& info, const std::string& wanted) { return info.id < wanted; });
    return found != decoders.end() && found->id == id ? &*found : nullptr;
}

const DecoderChannel* DecoderInfo::FindChannel(const std::string& channelId) const {
    const auto found = std::find_if(channels.begin(), channels.end(),
                                    [&](const DecoderChannel& c) { return c.id == channelId; });
    return found != channels.end() ? &*found : nullptr;
}

const DecoderOption* DecoderInfo::FindOption(const std::string& optionId) const {
    const auto found = std::find_if(options.begin(), options.end(),
                                    [&](const DecoderOption& o) { return o.id == optionId; });
    return found != options.end() ? &*found : nullptr;
}

int DecoderInfo::FindClass(const std::string& classId) const {
    const auto found = std::find_if(classes.begin(), classes.end(),
                                    [&](const AnnotationClass& c) { return c.id == classId; });
    return found != classes.end() ? static_cast<int>(found - classes.begin()) : -1;
}

int DecoderInfo::RowOfClass(int classIndex) const {
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::vector<int>& members = rows[r].classes;
        if (std::find(members.begin(), members.end(), classIndex) != members.end())
            return static_cast<int>(r);
    }
    return -1;
}

} // namespace oxdecode
