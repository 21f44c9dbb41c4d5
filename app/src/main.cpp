// oxbow: the front panel of the oscilloscope.
#include "commandline.h"
#include "exitcodes.h"
#include "oxbowapp.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Oxbow");
    std::vector<std::string> args;
    for (const QString& arg : QApplication::arguments().mid(1)) args.push_back(arg.toStdString());

    oxapp::CommandLine line;
    std::string error;
    switch (oxapp::ParseCommandLine(args, line, error)) {
    case oxapp::ParseOutcome::Help:
        std::fputs(oxapp::CommandLineHelp(), stdout);
        return oxapp::kExitHelp;
    case oxapp::ParseOutcome::Refused:
        std::fprintf(stderr, "oxbow: %s\n", error.c_str());
        return oxapp::kExitBadOptions;
    case oxapp::ParseOutcome::Start:
        break;
    }
    return oxapp::COxbowApp(app, std::move(line)).InitInstance();
}
