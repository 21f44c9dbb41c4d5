#include "commandline.h"

#include <gtest/gtest.h>

namespace {

using oxapp::CommandLine;
using oxapp::ParseCommandLine;
using oxapp::ParseOutcome;

ParseOutcome Parse(std::vector<std::string> args, CommandLine& line, std::string& error) {
    return ParseCommandLine(args, line, error);
}

TEST(CommandLine, SimWithSignalAndModelOptions) {
    CommandLine line;
    std::string error;
    ASSERT_EQ(Parse({"--sim", "--run", "--ch1", "sine,1k,4Vpp", "--model", "OXB-A2", "--dots"},
                    line, error),
              ParseOutcome::Start)
        << error;
    EXPECT_TRUE(line.sim);
    EXPECT_TRUE(line.run);
    EXPECT_TRUE(line.dots);
    EXPECT_FALSE(line.simFresh);
    CommandLine fresh;
    ASSERT_EQ(Parse({"--sim", "--sim-fresh"}, fresh, error), ParseOutcome::Start) << error;
    EXPECT_TRUE(fresh.simFresh);
    EXPECT_EQ(line.instrument.model, "OXB-A2");
    ASSERT_TRUE(line.ch1.has_value());
    ASSERT_EQ(line.ch1->components.size(), 1u);
    EXPECT_DOUBLE_EQ(line.ch1->components[0].frequency, 1000.0);
    EXPECT_DOUBLE_EQ(line.ch1->components[0].amplitude, 4.0);
    EXPECT_FALSE(line.ch2.has_value());
    EXPECT_FALSE(line.lan);
}

TEST(CommandLine, LanAddressAndPictureMode) {
    CommandLine line;
    std::string error;
    ASSERT_EQ(
        Parse({"--lan", "127.0.0.1:5025", "--screenshot", "/tmp/a.png", "--quit-after", "1500"},
              line, error),
        ParseOutcome::Start);
    EXPECT_TRUE(line.lan);
    EXPECT_EQ(line.lanHost, "127.0.0.1");
    EXPECT_EQ(line.lanPort, 5025);
    EXPECT_EQ(line.screenshot, "/tmp/a.png");
    EXPECT_EQ(line.quitAfterMs, 1500);
    CommandLine named;
    ASSERT_EQ(Parse({"--lan", "localhost:19"}, named, error), ParseOutcome::Start) << error;
    EXPECT_EQ(named.lanHost, "localhost");
}

TEST(CommandLine, DefaultsStartUnattendedNothing) {
    CommandLine line;
    std::string error;
    ASSERT_EQ(Parse({}, line, error), ParseOutcome::Start);
    EXPECT_FALSE(line.sim || line.lan || line.run);
    EXPECT_TRUE(line.screenshot.empty());
    EXPECT_EQ(line.quitAfterMs, -1);
}

TEST(CommandLine, RefusesBadInputWithAReason) {
    const std::vector<std::vector<std::string>> bad = {
        {"--lan"},           // missing value
        {"--lan", "host"},   // no port
        {"--lan", ":80"},    // no host
        {"--lan", "host:0"}, // port out of range
        {"--lan", "host:65536"},
        {"--lan", "host:12ab"},
        {"--lan", "instrument.lab.example:19"}, // longer than the record's address field
        {"--quit-after", "-5"},
        {"--quit-after", "soon"},
        {"--ch1", "wobble,1k,1Vpp"}, // not a waveform
        {"--digital", "pattern,zz"},
        {"--frobnicate"},
        {"--sim", "--lan", "h:1"}, // two instruments at once
    };
    for (const auto& args : bad) {
        CommandLine line;
        std::string error;
        EXPECT_EQ(Parse(args, line, error), ParseOutcome::Refused) << args[0];
        EXPECT_FALSE(error.empty()) << args[0];
    }
}

TEST(CommandLine, HelpWinsOverEverythingElse) {
    CommandLine line;
    std::string error;
    EXPECT_EQ(Parse({"--sim", "--help", "--frobnicate"}, line, error), ParseOutcome::Help);
    EXPECT_EQ(Parse({"--sim", "--version", "--frobnicate"}, line, error), ParseOutcome::Version);
    EXPECT_EQ(Parse({"--frobnicate", "--version"}, line, error), ParseOutcome::Refused);
    const std::string help = oxapp::CommandLineHelp();
    EXPECT_NE(help.find("--screenshot"), std::string::npos);
    EXPECT_NE(help.find("--sim-fresh"), std::string::npos);
    EXPECT_NE(help.find("oxbow/sim-state.bin"), std::string::npos);
    EXPECT_NE(help.find("Exit codes:\n  18  normal shutdown"), std::string::npos) << help;
    EXPECT_NE(help.find("  3  the --screenshot file could not be written"), std::string::npos);
}

TEST(CommandLine, HostPortKeepsColonsOfTheHost) {
    std::string host;
    int port = 0;
    ASSERT_TRUE(oxapp::ParseHostPort("::1:19", host, port));
    EXPECT_EQ(host, "::1");
    EXPECT_EQ(port, 19);
}

} // namespace

namespace {

TEST(CommandLine, FilesToSaveAtTheEndAndToLoadAtTheStart) {
    CommandLine line;
    std::string error;
    ASSERT_EQ(Parse({"--sim", "--run", "--quit-after", "3000", "--save-csv", "a.csv", "--save-wfm",
                     "a.wfm", "--save-set", "a.set", "--save-image", "a.png", "--load-set", "b.set",
                     "--load-wfm", "b.wfm"},
                    line, error),
              ParseOutcome::Start)
        << error;
    EXPECT_EQ(line.saveCsv, "a.csv");
    EXPECT_EQ(line.saveWfm, "a.wfm");
    EXPECT_EQ(line.saveSet, "a.set");
    EXPECT_EQ(line.saveImage, "a.png");
    EXPECT_EQ(line.loadSet, "b.set");
    EXPECT_EQ(line.loadWfm, "b.wfm");
    EXPECT_TRUE(line.SavesFiles());

    // A save happens when the program ends by itself; without --quit-after it never would.
    CommandLine endless;
    EXPECT_EQ(Parse({"--sim", "--save-csv", "a.csv"}, endless, error), ParseOutcome::Refused);
    EXPECT_NE(error.find("--quit-after"), std::string::npos) << error;
    CommandLine loadsOnly;
    EXPECT_EQ(Parse({"--load-wfm", "b.wfm"}, loadsOnly, error), ParseOutcome::Start) << error;
    EXPECT_FALSE(loadsOnly.SavesFiles());
    EXPECT_EQ(Parse({"--load-set"}, loadsOnly, error), ParseOutcome::Refused);

    const std::string help = oxapp::CommandLineHelp();
    for (const char* option :
         {"--save-csv", "--save-wfm", "--save-set", "--save-image", "--load-set", "--load-wfm"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
}

} // namespace
