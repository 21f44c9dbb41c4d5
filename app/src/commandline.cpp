#include "commandline.h"

#include "exitcodes.h"
#include "measurecsv.h"
#include "ox_records.h"

#include <charconv>
#include <functional>
#include <map>
#include <string>

namespace oxapp {
namespace {

const char* const kHelp =
    "Usage: oxbow [options]\n"
    "The front panel of a two-channel digital storage oscilloscope on USB or LAN.\n"
    "\n"
    "  --sim              use the built-in simulated instrument (USB link)\n"
    "  --lan HOST:PORT    connect to an instrument (or oxbow-sim) over LAN; HOST is a\n"
    "                     dotted IPv4 address or a host name\n"
    "  --run              start acquiring once started, as if RUN were pressed\n"
    "  --screenshot FILE  save the composed picture as PNG before quitting\n"
    "  --quit-after MS    shut down normally after MS milliseconds\n"
    "  --measure NAMES    print the named measurements of the shown channels as CSV\n"
    "                     before quitting, e.g. freq,vpp,duty,rise (names below)\n"
    "  --version          print the program's version\n"
    "  --help             this text\n"
    "\n"
    "Simulated instrument (with --sim):\n"
    "  --model NAME       OXB-A1 .. OXB-A6, with M for the logic analyzer (default OXB-A3M)\n"
    "  --serial TEXT      serial number in the identification\n"
    "  --firmware TEXT    firmware version in the identification\n"
    "  --fpga TEXT        FPGA version\n"
    "  --ch1 SIGNAL       CH1 input, e.g. sine,1k,4Vpp (default sine,1k,3Vpp)\n"
    "  --ch2 SIGNAL       CH2 input, e.g. square,1k,2Vpp+noise,50mV\n"
    "  --digital LINES    counter,RATE, pattern,VALUE or bus traffic, e.g.\n"
    "                     uart,tx=D0,baud=115200,text=Hello (spi, i2c: see oxbow-sim --help)\n"
    "  --dots             the instrument reports the dots plot style\n"
    "  --sim-fresh        start from the power-up setup instead of the one kept in\n"
    "                     $XDG_CONFIG_HOME/oxbow/sim-state.bin (still written at exit)\n"
    "\n"
    "The simulated instrument keeps its setup (scales, time base, trigger) as a real one\n"
    "does: read from sim-state.bin at the start, written there at the normal shutdown;\n"
    "a damaged file or one of another model is ignored with a message.\n"
    "\n"
    "%MEASURE%"
    "Environment: OXBOW_USB=sim chooses the simulated instrument as --sim does;\n"
    "OXBOW_USB_ID=VVVV:PPPP (hexadecimal) the USB ids of real instruments.\n";

const char* const kFileHelp =
    "\n"
    "Files (saved after the program has run, at --quit-after, which they need):\n"
    "  --save-csv FILE    the stored waveform as a CSV table\n"
    "  --save-wfm FILE    the stored waveform as a waveform file (.wfm)\n"
    "  --save-set FILE    the setup as a setup file (.set)\n"
    "  --save-image FILE  the scope picture, 727 x 434: .bmp, .png, otherwise JPEG\n"
    "  --load-set FILE    start with this setup file loaded\n"
    "  --load-wfm FILE    start with this waveform file loaded (and stopped)\n"
    "The saves stop the acquisition first, so they hold its whole record; existing files\n"
    "are replaced. A file that cannot be saved or loaded is named on standard error.\n";

std::string ExitCodesHelp() {
    const auto line = [](int code, const char* meaning) {
        return "  " + std::to_string(code) + "  " + meaning + "\n";
    };
    return "\nExit codes:\n" +
           line(kExitCode, "normal shutdown (Close, the exit command, SIGTERM or SIGINT)") +
           line(kExitHelp, "this text was printed") +
           line(kExitBadOptions, "the options were refused") +
           line(kExitScreenshotNotWritten,
                "the --screenshot file could not be written, or a --save-... file") +
           line(kExitNoSurfaces, "the display surfaces could not be created") +
           line(kExitSettingsNotWritten, "the settings file could not be written at shutdown");
}

// The instrument's connect address is kept in the setup record, terminated within its field.
constexpr std::size_t kMaxHostLength = sizeof(_OX_SETUP::szConnectAddress) - 1;

// The whole text as a decimal number, nothing before or after it.
bool ParseWhole(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && ec == std::errc() && ptr == end;
}

bool ParseMilliseconds(const std::string& text, int& value) {
    int parsed = 0;
    if (!ParseWhole(text, parsed) || parsed < 0) return false;
    value = parsed;
    return true;
}

using ValueSetter = std::function<bool(CommandLine&, const std::string&, std::string&)>;

ValueSetter InstrumentText(std::string oxbow::sim::InstrumentOptions::*field) {
    return [field](CommandLine& line, const std::string& value, std::string&) {
        line.instrument.*field = value;
        return true;
    };
}

ValueSetter ChannelSignal(std::optional<oxbow::sim::SignalSource> CommandLine::*field,
                          const char* name) {
    return [field, name](CommandLine& line, const std::string& value, std::string& error) {
        oxbow::sim::SignalSource source;
        if (!oxbow::sim::ParseSignalText(value, source, error)) {
            error = std::string(name) + ": " + error;
            return false;
        }
        line.*field = source;
        return true;
    };
}

// --measure: the measurement names, each one checked.
ValueSetter MeasureOption() {
    return [](CommandLine& line, const std::string& value, std::string& error) {
        return ParseMeasureList(value, line.measure, error);
    };
}

// The --measure names in the help text, wrapped at 80 columns.
std::string MeasureNamesHelp() {
    std::string help = "Measurements (--measure):\n ";
    std::size_t column = 1;
    for (std::size_t start = 0; start < MeasureNames().size();) {
        const std::size_t comma = std::min(MeasureNames().find(',', start), MeasureNames().size());
        const std::string name = MeasureNames().substr(start, comma - start);
        if (column + name.size() + 1 > 78) {
            help += "\n ";
            column = 1;
        }
        help += " " + name;
        column += name.size() + 1;
        start = comma + 1;
    }
    return help + "\n\n";
}

const std::map<std::string, ValueSetter>& ValueOptions() {
    static const std::map<std::string, ValueSetter> options = {
        {"--lan",
         [](CommandLine& l, const std::string& v, std::string& e) {
             l.lan = ParseHostPort(v, l.lanHost, l.lanPort);
             if (!l.lan)
                 e = "--lan needs HOST:PORT, not \"" + v + "\"";
             else if (l.lanHost.size() > kMaxHostLength) {
                 e = "--lan: the host \"" + l.lanHost + "\" is longer than " +
                     std::to_string(kMaxHostLength) + " characters";
                 l.lan = false;
             }
             return l.lan;
         }},
        {"--screenshot",
         [](CommandLine& l, const std::string& v, std::string&) {
             l.screenshot = v;
             return true;
         }},
        {"--quit-after",
         [](CommandLine& l, const std::string& v, std::string& e) {
             if (ParseMilliseconds(v, l.quitAfterMs)) return true;
             e = "--quit-after needs a number of milliseconds, not \"" + v + "\"";
             return false;
         }},
        {"--measure", MeasureOption()},
        {"--model", InstrumentText(&oxbow::sim::InstrumentOptions::model)},
        {"--serial", InstrumentText(&oxbow::sim::InstrumentOptions::serial)},
        {"--firmware", InstrumentText(&oxbow::sim::InstrumentOptions::firmware)},
        {"--fpga", InstrumentText(&oxbow::sim::InstrumentOptions::fpga)},
        {"--ch1", ChannelSignal(&CommandLine::ch1, "--ch1")},
        {"--ch2", ChannelSignal(&CommandLine::ch2, "--ch2")},
        {"--digital",
         [](CommandLine& l, const std::string& v, std::string& e) {
             oxbow::sim::DigitalSource source;
             if (oxbow::sim::ParseDigitalText(v, source, e)) {
                 l.digital = source;
                 return true;
             }
             e = "--digital: " + e;
             return false;
         }},
    };
    return options;
}

// The files saved before the end and loaded at the start.
const std::map<std::string, ValueSetter>& FileOptions() {
    static const auto path = [](std::string CommandLine::*field) -> ValueSetter {
        return [field](CommandLine& line, const std::string& value, std::string&) {
            line.*field = value;
            return true;
        };
    };
    static const std::map<std::string, ValueSetter> options = {
        {"--save-csv", path(&CommandLine::saveCsv)},
        {"--save-wfm", path(&CommandLine::saveWfm)},
        {"--save-set", path(&CommandLine::saveSet)},
        {"--save-image", path(&CommandLine::saveImage)},
        {"--load-set", path(&CommandLine::loadSet)},
        {"--load-wfm", path(&CommandLine::loadWfm)},
    };
    return options;
}

// The saves happen when the program ends by itself.
bool CheckFileOptions(const CommandLine& line, std::string& error) {
    if (!line.SavesFiles() || line.quitAfterMs >= 0) return true;
    error = "--save-csv, --save-wfm, --save-set and --save-image need --quit-after";
    return false;
}

const std::map<std::string, ValueSetter>& ExportValueOptions() {
    static const std::map<std::string, ValueSetter> options = [] {
        std::map<std::string, ValueSetter> wrapped;
        for (const auto& [name, set] : ExportOptionSetters()) {
            wrapped[name] = [set](CommandLine& l, const std::string& v, std::string& e) {
                return set(l.exports, v, e);
            };
        }
        return wrapped;
    }();
    return options;
}

const ValueSetter* FindValueOption(const std::string& name) {
    for (const auto* options : {&ValueOptions(), &FileOptions(), &ExportValueOptions()}) {
        const auto found = options->find(name);
        if (found != options->end()) return &found->second;
    }
    return nullptr;
}

bool SetFlag(const std::string& name, CommandLine& line) {
    if (name == "--sim")
        line.sim = true;
    else if (name == "--run")
        line.run = true;
    else if (name == "--dots")
        line.dots = true;
    else if (name == "--sim-fresh")
        line.simFresh = true;
    else
        return false;
    return true;
}

} // namespace

bool ParseHostPort(const std::string& text, std::string& host, int& port) {
    const auto colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) return false;
    const std::string portText = text.substr(colon + 1);
    int value = 0;
    if (!ParseWhole(portText, value) || value < 1 || value > 65535) return false;
    host = text.substr(0, colon);
    port = value;
    return true;
}

ParseOutcome ParseCommandLine(const std::vector<std::string>& args, CommandLine& line,
                              std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--help" || name == "-h") return ParseOutcome::Help;
        if (name == "--version") return ParseOutcome::Version;
        if (SetFlag(name, line)) continue;
        const ValueSetter* option = FindValueOption(name);
        if (option == nullptr) {
            error = "unknown option " + name + " (see --help)";
            return ParseOutcome::Refused;
        }
        if (i + 1 >= args.size()) {
            error = name + " needs a value (see --help)";
            return ParseOutcome::Refused;
        }
        if (!(*option)(line, args[++i], error)) return ParseOutcome::Refused;
    }
    if (line.sim && line.lan) {
        error = "--sim and --lan exclude each other";
        return ParseOutcome::Refused;
    }
    if (!CheckExportOptions(line.exports, line.quitAfterMs, error) ||
        !CheckFileOptions(line, error))
        return ParseOutcome::Refused;
    return ParseOutcome::Start;
}

const char* CommandLineHelp() {
    static const std::string help = [] {
        std::string text = kHelp;
        const std::string mark = "%MEASURE%";
        text.replace(text.find(mark), mark.size(), MeasureNamesHelp());
        return text + std::string(kFileHelp) + ExportOptionsHelp() + ExitCodesHelp();
    }();
    return help.c_str();
}

} // namespace oxapp
