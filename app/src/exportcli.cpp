#include "exportcli.h"

#include "ox_commands.h"
#include "ox_queue.h"
#include "oxcommon.h"

#include <climits>
#include <cstdio>

namespace oxapp {

namespace {

const char* const kHelp =
    "\n"
    "Logic tools and decoding (after the program has run, at --quit-after, which they need):\n"
    "  --save-sr FILE     the stored record as a sigrok session (.sr)\n"
    "  --save-vcd FILE    the analyzer's lines of the stored record as a VCD file\n"
    "  --decode STACK     decode the stored record and print its annotations as\n"
    "                     START-END DECODER: ROW: TEXT lines; STACK is id:key=value:...\n"
    "                     with channels on D0..D15, CH1 or CH2, decoders stacked with\n"
    "                     \",\": uart:rx=D0:baudrate=9600, i2c:scl=D0:sda=D1,eeprom24xx\n"
    "                     (several --decode allowed; the sources they read are switched on)\n"
    "  --decode-csv FILE  write the annotations to FILE as CSV instead of printing them\n";

ExportSetter Path(std::string ExportOptions::*field) {
    return [field](ExportOptions& options, const std::string& value, std::string&) {
        options.*field = value;
        return true;
    };
}

bool AddStack(ExportOptions& options, const std::string& value, std::string& error) {
    oxdecode::StackSpec stack;
    if (!oxdecode::Initialise(error) || !oxdecode::ParseStackText(value, stack, error)) {
        error = "--decode: " + error;
        return false;
    }
    options.decode.push_back(std::move(stack));
    return true;
}

} // namespace

const std::map<std::string, ExportSetter>& ExportOptionSetters() {
    static const std::map<std::string, ExportSetter> setters = {
        {"--save-sr", Path(&ExportOptions::saveSr)},
        {"--save-vcd", Path(&ExportOptions::saveVcd)},
        {"--decode", AddStack},
        {"--decode-csv", Path(&ExportOptions::decodeCsv)},
    };
    return setters;
}

bool CheckExportOptions(const ExportOptions& options, int quitAfterMs, std::string& error) {
    if (!options.decodeCsv.empty() && options.decode.empty()) {
        error = "--decode-csv needs --decode";
        return false;
    }
    if (options.Any() && quitAfterMs < 0) {
        error = "--save-sr, --save-vcd and --decode need --quit-after";
        return false;
    }
    return true;
}

const char* ExportOptionsHelp() {
    return kHelp;
}

void ShowDecodedSources(const ExportOptions& options) {
    bool lines = false;
    bool channel[2] = {false, false};
    for (const oxdecode::StackSpec& stack : options.decode) {
        for (const auto& [id, source] : stack.decoders.front().channels) {
            if (source.Analog())
                channel[source.index - oxdecode::Source::kCh1] = true;
            else
                lines = true;
        }
    }
    if (lines) {
        SetMsgVarbool(true);
        static_cast<void>(OxPost(oxcmd::group::kLogic, oxcmd::logic::kEnable));
    }
    for (int c = 0; c < 2; ++c) {
        if (!channel[c]) continue;
        SetMsgVarbool(true);
        static_cast<void>(OxPost(oxcmd::group::kChannel, oxcmd::channel::kDisplay, c));
    }
}

bool ReportDecoded(const ExportOptions& options, const oxdecode::DecodeResult& result) {
    bool complete = true;
    for (std::size_t s = 0; s < result.stacks.size(); ++s) {
        if (result.stacks[s].error.empty()) continue;
        std::fprintf(stderr, "oxbow: --decode %s: %s\n", options.decode[s].Text().c_str(),
                     result.stacks[s].error.c_str());
        complete = false;
    }
    if (options.decodeCsv.empty()) {
        std::fputs(oxdecode::AnnotationLines(result).c_str(), stdout);
        std::fflush(stdout);
        return complete;
    }
    const std::string csv = oxdecode::AnnotationCsv(result);
    if (csv.size() > static_cast<std::size_t>(INT_MAX) ||
        OxWriteFile(csv.data(), static_cast<int>(csv.size()), options.decodeCsv, true) != 0) {
        std::fprintf(stderr, "oxbow: could not write %s (Save failed)\n",
                     options.decodeCsv.c_str());
        return false;
    }
    return complete;
}

} // namespace oxapp
