// oxbow: the front panel of the oscilloscope.
#include "commandline.h"
#include "exitcodes.h"
#include "oxbowapp.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv) {
    // The command line is read before any window system is touched, so --help and
    // --version work without a display.
    std::vector<std::string> args(argv + 1, argv + argc);
    oxapp::CommandLine line;
    std::string error;
    switch (oxapp::ParseCommandLine(args, line, error)) {
    case oxapp::ParseOutcome::Help:
        std::fputs(oxapp::CommandLineHelp(), stdout);
        return oxapp::kExitHelp;
    case oxapp::ParseOutcome::Version:
        std::puts("oxbow " OXBOW_VERSION);
        return oxapp::kExitHelp;
    case oxapp::ParseOutcome::Refused:
        std::fprintf(stderr, "oxbow: %s\n", error.c_str());
        return oxapp::kExitBadOptions;
    case oxapp::ParseOutcome::Start:
        break;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Oxbow");
    return oxapp::COxbowApp(app, std::move(line)).InitInstance();
}
