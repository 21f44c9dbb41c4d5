// oxbow-sim: the simulated instrument as a LAN server.
#include "oxsim.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>

namespace {

oxbow::sim::LanServer* g_server = nullptr;

void OnSignal(int) {
    if (g_server != nullptr) {
        g_server->Stop();
    }
}

const char* const kHelp =
    "Usage: oxbow-sim [options]\n"
    "A simulated oscilloscope (two channels, 16-line logic analyzer on the \"M\" models)\n"
    "serving Oxbow over TCP with the instrument's LAN framing. One client at a time;\n"
    "Ctrl-C or SIGTERM ends it.\n"
    "\n"
    "  --port N          TCP port to listen on; 0 picks a free one (default 0)\n"
    "  --bind ADDRESS    IPv4 address to listen on (default 127.0.0.1)\n"
    "  --model NAME      model: OXB-A1 .. OXB-A6, with M for the logic analyzer\n"
    "                    (default OXB-A3M)\n"
    "  --serial TEXT     serial number in the identification (default OXS00001)\n"
    "  --firmware TEXT   firmware version in the identification (default 00.02.05)\n"
    "  --fpga TEXT       reply to the FPGA version query (default 1.07)\n"
    "  --ch1 SIGNAL      CH1 input (default sine,1k,3Vpp)\n"
    "  --ch2 SIGNAL      CH2 input (default square,1k,2Vpp)\n"
    "  --digital LINES   the 16 digital lines: counter,RATE or pattern,VALUE, or bus\n"
    "                    traffic joined by +: uart,tx=D0,baud=115200,text=Hello;\n"
    "                    spi,clk=D2,mosi=D3,miso=D4,cs=D5,rate=1M,hex=9F00;\n"
    "                    i2c,scl=D6,sda=D7,rate=100k,address=0x50,hex=0010AB\n"
    "                    (a burst every=10m, at each multiple of it)\n"
    "                    (default counter,1M)\n"
    "  --dots            report the dots plot style instead of vectors\n"
    "  --state FILE      keep the setup (scales, time base, trigger, ...) in FILE:\n"
    "                    loaded at the start when it exists, written at a clean exit;\n"
    "                    a damaged file, or one of another model or version, is ignored\n"
    "  --verbose         print every command text that is not understood\n"
    "  --version         print the program's version\n"
    "  --help            this text\n"
    "\n"
    "SIGNAL is one or more parts joined by '+': a waveform SHAPE,FREQUENCY,AMPLITUDE\n"
    "(SHAPE sine, square, triangle, pulse or ramp; amplitude peak to peak), dc,LEVEL,\n"
    "or noise,RMS; options offset=V, noise=V and duty=% may follow any part.\n"
    "Numbers take engineering prefixes: 1k, 2.5m, 500u. Examples:\n"
    "  --ch1 sine,1k,2Vpp   --ch2 pulse,10k,3.3Vpp,duty=25%,offset=1.65V\n"
    "  --ch1 sine,1k,2Vpp+noise,50mV   --digital pattern,0x55AA\n"
    "\n"
    "The program prints \"oxbow-sim listening on ADDRESS:PORT\" once it accepts\n"
    "connections; run Oxbow with  oxbow --lan ADDRESS:PORT\n";

struct Options {
    oxbow::sim::InstrumentOptions instrument;
    oxbow::sim::LanServerOptions server;
    oxbow::sim::SignalSource ch1;
    oxbow::sim::SignalSource ch2;
    oxbow::sim::DigitalSource digital;
    bool setCh1 = false;
    bool setCh2 = false;
    bool dots = false;
    bool verbose = false;
    std::string stateFile; // empty: the setup is not kept
};

bool Fail(const std::string& message) {
    std::cerr << "oxbow-sim: " << message << "\n";
    return false;
}

bool ParsePort(const std::string& text, int& port) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || *end != '\0' || value < 0 || value > 65535) {
        return false;
    }
    port = static_cast<int>(value);
    return true;
}

bool ParseValueOption(const std::string& name, const std::string& value, Options& options) {
    std::string error;
    if (name == "--port") {
        return ParsePort(value, options.server.port) || Fail("bad port \"" + value + "\"");
    }
    if (name == "--bind")
        options.server.bind = value;
    else if (name == "--model")
        options.instrument.model = value;
    else if (name == "--serial")
        options.instrument.serial = value;
    else if (name == "--firmware")
        options.instrument.firmware = value;
    else if (name == "--fpga")
        options.instrument.fpga = value;
    else if (name == "--state")
        options.stateFile = value;
    else if (name == "--ch1") {
        options.setCh1 = true;
        return oxbow::sim::ParseSignalText(value, options.ch1, error) || Fail("--ch1: " + error);
    } else if (name == "--ch2") {
        options.setCh2 = true;
        return oxbow::sim::ParseSignalText(value, options.ch2, error) || Fail("--ch2: " + error);
    } else if (name == "--digital") {
        return oxbow::sim::ParseDigitalText(value, options.digital, error) ||
               Fail("--digital: " + error);
    }
    return true;
}

// 1: run, 0: exit successfully (help, version), -1: exit with an error.
int ParseArguments(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            std::cout << kHelp;
            return 0;
        }
        if (name == "--version") {
            std::cout << "oxbow-sim " OXBOW_VERSION "\n";
            return 0;
        }
        static const char* const kValueOptions[] = {"--port",     "--bind", "--model", "--serial",
                                                    "--firmware", "--fpga", "--ch1",   "--ch2",
                                                    "--digital",  "--state"};
        const bool takesValue = std::find(std::begin(kValueOptions), std::end(kValueOptions),
                                          name) != std::end(kValueOptions);
        if (name == "--verbose") {
            options.verbose = true;
        } else if (name == "--dots") {
            options.dots = true;
        } else if (!takesValue) {
            Fail("unknown option " + name + " (see --help)");
            return -1;
        } else if (i + 1 >= argc) {
            Fail(name + " needs a value (see --help)");
            return -1;
        } else if (!ParseValueOption(name, argv[++i], options)) {
            return -1;
        }
    }
    return 1;
}

void LoadState(oxbow::sim::Instrument& instrument, const std::string& path) {
    std::string error;
    if (oxbow::sim::LoadStateFile(instrument, path, error) == oxbow::sim::StateFileLoad::Ignored) {
        Fail("state file ignored: " + error);
    }
}

bool SaveState(const oxbow::sim::Instrument& instrument, const std::string& path) {
    std::string error;
    return oxbow::sim::SaveStateFile(instrument, path, error) || Fail("state not saved: " + error);
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    const int parsed = ParseArguments(argc, argv, options);
    if (parsed <= 0) {
        return parsed == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
    }
    oxbow::sim::Instrument instrument(options.instrument,
                                      std::make_shared<oxbow::sim::SteadyClock>());
    if (options.setCh1) instrument.SetSignal(0, options.ch1);
    if (options.setCh2) instrument.SetSignal(1, options.ch2);
    instrument.SetDigital(options.digital);
    instrument.SetPlotStyle(options.dots);
    if (options.verbose) {
        instrument.SetLog(
            [](const std::string& text) { std::cerr << "oxbow-sim: " << text << "\n"; });
    }
    if (!options.stateFile.empty()) LoadState(instrument, options.stateFile);
    oxbow::sim::LanServer server(instrument, options.server);
    std::string error;
    if (!server.Listen(error)) {
        Fail(error);
        return EXIT_FAILURE;
    }
    g_server = &server;
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::cout << "oxbow-sim listening on " << options.server.bind << ":" << server.Port()
              << std::endl;
    server.Serve();
    g_server = nullptr;
    const bool saved = options.stateFile.empty() || SaveState(instrument, options.stateFile);
    std::cout << "oxbow-sim stopped" << std::endl;
    return saved ? EXIT_SUCCESS : EXIT_FAILURE;
}
