// The annotations as text: the command line's lines and the CSV table.
#include "oxdecode.h"

#include <algorithm>
#include <cstdio>

namespace oxdecode {

namespace {

struct Entry {
    const RowResult* row;
    const Annotation* annotation;
};

// Every annotation of every stack, by start sample; those starting together keep the order
// of their stacks and rows.
std::vector<Entry> Merged(const DecodeResult& result) {
    std::vector<Entry> entries;
    for (const StackResult& stack : result.stacks) {
        for (const RowResult& row : stack.rows) {
            for (const Annotation& annotation : row.annotations)
                entries.push_back({&row, &annotation});
        }
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.annotation->start < b.annotation->start;
    });
    return entries;
}

const std::string& LongestText(const Annotation& annotation) {
    static const std::string none;
    return annotation.texts.empty() ? none : annotation.texts.front();
}

// A CSV field, quoted when it holds a separator, a quote or a line break.
std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c;
        if (c == '"') quoted += '"';
    }
    return quoted + "\"";
}

} // namespace

std::string AnnotationLines(const DecodeResult& result) {
    std::string text;
    for (const Entry& entry : Merged(result)) {
        text += std::to_string(entry.annotation->start) + "-" +
                std::to_string(entry.annotation->end) + " " + entry.row->decoder + ": " +
                entry.row->rowDesc + ": " + LongestText(*entry.annotation) + "\n";
    }
    return text;
}

std::string AnnotationCsv(const DecodeResult& result) {
    std::string text = "Time,Start,End,Decoder,Row,Text\n";
    for (const Entry& entry : Merged(result)) {
        char time[32];
        const double seconds =
            result.firstTime + static_cast<double>(entry.annotation->start) / result.sampleRate;
        std::snprintf(time, sizeof time, "%.9g", seconds);
        text += std::string(time) + "," + std::to_string(entry.annotation->start) + "," +
                std::to_string(entry.annotation->end) + "," + CsvField(entry.row->decoder) + "," +
                CsvField(entry.row->rowDesc) + "," + CsvField(LongestText(*entry.annotation)) +
                "\n";
    }
    return text;
}

} // namespace oxdecode
