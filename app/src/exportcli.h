// The command line's exports of the stopped record for logic tools (--save-sr, --save-vcd)
// and its protocol decoding (--decode, --decode-csv): the options, their help, the sources
// the decoders need switched on at the start, and the decoding once the record is copied.
#pragma once

#include "oxdecode.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace oxapp {

struct ExportOptions {
    std::string saveSr;                      // the stopped record as a sigrok session
    std::string saveVcd;                     // the analyzer's lines as a value change dump
    std::vector<oxdecode::StackSpec> decode; // stacks whose annotations are printed
    std::string decodeCsv;                   // ... or written to this CSV file instead
    [[nodiscard]] bool Any() const {
        return !saveSr.empty() || !saveVcd.empty() || !decode.empty();
    }
};

using ExportSetter = std::function<bool(ExportOptions&, const std::string&, std::string&)>;
// "--save-sr", "--save-vcd", "--decode" (several allowed), "--decode-csv".
[[nodiscard]] const std::map<std::string, ExportSetter>& ExportOptionSetters();
// --decode-csv needs --decode, and all of them --quit-after. False with a reason.
[[nodiscard]] bool CheckExportOptions(const ExportOptions& options, int quitAfterMs,
                                      std::string& error);
// The options' lines of --help.
[[nodiscard]] const char* ExportOptionsHelp();

// Posts what the stacks read switched on: the analyzer when a stack takes a line D0..D15, a
// channel when one takes CH1 or CH2.
void ShowDecodedSources(const ExportOptions& options);

// The annotations of `result`: printed on standard output, or written to --decode-csv; each
// stack that could not be decoded named on standard error. True when everything was.
[[nodiscard]] bool ReportDecoded(const ExportOptions& options,
                                 const oxdecode::DecodeResult& result);

} // namespace oxapp
