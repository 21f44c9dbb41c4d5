// The program's command line: which instrument to talk to (the built-in simulated one,
// a LAN address, or the USB bus), whether to start running at once, and the unattended
// picture mode used by demonstrations and tests (--screenshot, --quit-after).
#pragma once

#include "exportcli.h"
#include "oxsim.h"

#include <optional>
#include <string>
#include <vector>

namespace oxapp {

struct CommandLine {
    bool sim = false; // the simulated instrument on the USB sim back end
    bool lan = false; // connect over LAN to lanHost:lanPort
    std::string lanHost;
    int lanPort = 0;
    bool run = false;       // post RUN once started
    std::string screenshot; // PNG of the composed picture, written before quitting
    int quitAfterMs = -1;   // shut down normally after this long (-1: never)
    // The simulated instrument's options (used with --sim only).
    oxbow::sim::InstrumentOptions instrument;
    std::optional<oxbow::sim::SignalSource> ch1;
    std::optional<oxbow::sim::SignalSource> ch2;
    std::optional<oxbow::sim::DigitalSource> digital;
    bool dots = false;
    bool simFresh = false; // start from the power-up setup, not the kept one
    // Files saved once the program has run (at --quit-after, before it ends), and loaded at
    // the start; an empty path is not asked for.
    std::string saveCsv;
    std::string saveWfm;
    std::string saveSet;
    std::string saveImage;
    std::string loadSet;
    std::string loadWfm;
    // --save-sr, --save-vcd, --decode, --decode-csv (exportcli.h).
    ExportOptions exports;
    bool SavesFiles() const {
        return !saveCsv.empty() || !saveWfm.empty() || !saveSet.empty() || !saveImage.empty() ||
               exports.Any();
    }
    // Measurements printed as a CSV table before quitting (--measure), names as given.
    std::vector<std::string> measure;
};

enum class ParseOutcome { Start, Help, Version, Refused };

// Parses the arguments after the program name. Refused comes with a one-line reason
// in `error`; Help and Version mean --help or --version was asked for.
ParseOutcome ParseCommandLine(const std::vector<std::string>& args, CommandLine& line,
                              std::string& error);

// "HOST:PORT" with a port 1..65535; false for anything else.
bool ParseHostPort(const std::string& text, std::string& host, int& port);

// The text --help prints.
const char* CommandLineHelp();

} // namespace oxapp
