// The program as a user starts it: exit codes, ending on time with a question up, SIGTERM
// as a normal exit, and what a start does with a refused or torn settings file.
#include "test_time.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#ifdef OXBOW_PROGRAM

namespace {

constexpr int kNormalShutdown = 18;
constexpr int kEndsWithinMs = 20'000;

class ProgramRun : public ::testing::Test {
protected:
    void Start(const QStringList& args) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", config.path());
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        program.setProcessEnvironment(environment);
        program.start(OXBOW_PROGRAM, args);
        ASSERT_TRUE(program.waitForStarted());
    }
    // The exit code once the program ended by itself in time; -1 when it did not.
    int Finish() {
        if (!program.waitForFinished(oxapp::test::ScaledMs(kEndsWithinMs))) {
            program.kill();
            program.waitForFinished();
            return -1;
        }
        errors = program.readAllStandardError().toStdString();
        return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    }
    std::filesystem::path Settings() const {
        return std::filesystem::path(config.path().toStdString()) / "oxbow" / "Oxbow.ini";
    }

    QTemporaryDir config;
    QProcess program;
    std::string errors;
};

TEST_F(ProgramRun, NormalShutdownIs18AndEveryFailureHasItsOwnCode) {
    Start({"--sim", "--quit-after", "300"});
    EXPECT_EQ(Finish(), kNormalShutdown);
    EXPECT_TRUE(std::filesystem::exists(Settings()));

    Start({"--sim", "--quit-after", "300", "--screenshot",
           config.filePath("missing/folder/picture.png")});
    EXPECT_EQ(Finish(), 3);
    EXPECT_NE(errors.find("could not write"), std::string::npos) << errors;

    Start({"--frobnicate"});
    EXPECT_EQ(Finish(), 2);
}

TEST_F(ProgramRun, QuitAfterEndsOnTimeWhileTheLinkQuestionIsUp) {
    Start({"--lan", "127.0.0.1:1", "--quit-after", "500"});
    EXPECT_EQ(Finish(), kNormalShutdown);
    Start({"--run", "--quit-after", "500"}); // no instrument on USB: RUN asks for the link
    EXPECT_EQ(Finish(), kNormalShutdown);
}

TEST_F(ProgramRun, SigtermEndsLikeCloseAndTornSavesAreClearedAtTheStart) {
    std::filesystem::create_directories(Settings().parent_path());
    const std::filesystem::path torn = Settings().parent_path() / ".Oxbow.ini.tmp2147483646-0";
    std::ofstream(torn) << "torn";
    Start({"--sim"});
    QThread::msleep(oxapp::test::ScaledMs(1500)); // its signal handlers are installed by then
    program.terminate();
    EXPECT_EQ(Finish(), kNormalShutdown);
    EXPECT_TRUE(std::filesystem::exists(Settings())) << "settings saved";
    EXPECT_FALSE(std::filesystem::exists(torn));
}

TEST_F(ProgramRun, AGarbageSettingsFileIsKeptAsideAndReplaced) {
    std::filesystem::create_directories(Settings().parent_path());
    const std::vector<char> garbage(8664, '\x7F');
    std::ofstream(Settings(), std::ios::binary)
        .write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
    Start({"--sim", "--quit-after", "300"});
    EXPECT_EQ(Finish(), kNormalShutdown);
    EXPECT_NE(errors.find("replaced by defaults"), std::string::npos) << errors;
    std::ifstream kept(Settings().string() + ".bad", std::ios::binary);
    EXPECT_EQ(std::vector<char>(std::istreambuf_iterator<char>(kept), {}), garbage);
    std::ifstream written(Settings(), std::ios::binary);
    EXPECT_NE(std::vector<char>(std::istreambuf_iterator<char>(written), {}), garbage);
}

} // namespace

#endif
