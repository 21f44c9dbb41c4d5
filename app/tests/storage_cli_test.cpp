// The files of the command line, as a user runs the program: on the simulated instrument with
// a 1 kHz, 4 Vpp sine, the saved CSV holds that sine (within 2 %), the picture opens at its
// size, and the saved setup and waveform start a second run loaded; a bad file is named.
#include <gtest/gtest.h>

#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <vector>

#ifdef OXBOW_PROGRAM

namespace {

constexpr int kNormalShutdown = 18;

struct Sampled {
    std::vector<double> time;
    std::vector<double> volts;
};

// The first two columns of the CSV, after its two header lines.
Sampled ReadCsv(const QString& path, std::string& header) {
    QFile file(path);
    Sampled sampled;
    if (!file.open(QIODevice::ReadOnly)) return sampled;
    std::istringstream text(file.readAll().toStdString());
    std::string line, units;
    std::getline(text, header);
    std::getline(text, units);
    while (std::getline(text, line)) {
        std::istringstream fields(line);
        std::string time, volts;
        std::getline(fields, time, ',');
        std::getline(fields, volts, ',');
        sampled.time.push_back(std::stod(time));
        sampled.volts.push_back(std::stod(volts));
    }
    return sampled;
}

// The mean period between rising crossings of the middle level (interpolated).
double Frequency(const Sampled& s, double middle) {
    std::vector<double> crossings;
    for (std::size_t i = 1; i < s.volts.size(); ++i) {
        if (s.volts[i - 1] < middle && s.volts[i] >= middle) {
            const double part = (middle - s.volts[i - 1]) / (s.volts[i] - s.volts[i - 1]);
            crossings.push_back(s.time[i - 1] + part * (s.time[i] - s.time[i - 1]));
        }
    }
    if (crossings.size() < 2) return 0;
    return static_cast<double>(crossings.size() - 1) / (crossings.back() - crossings.front());
}

class CommandLineFiles : public ::testing::Test {
protected:
    int Run(const QStringList& args) {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", folder.filePath("config"));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        program.setProcessEnvironment(environment);
        program.start(OXBOW_PROGRAM, QStringList{"--sim", "--sim-fresh"} + args);
        if (!program.waitForFinished(30'000)) {
            program.kill();
            program.waitForFinished();
            return -1;
        }
        errors = program.readAllStandardError().toStdString();
        return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    }
    QString Path(const char* name) const { return folder.filePath(name); }

    QTemporaryDir folder;
    std::string errors;
};

TEST_F(CommandLineFiles, SavedAfterRunningTheCsvHoldsTheSineAndTheFilesLoadAtTheStart) {
    ASSERT_EQ(Run({"--ch1", "sine,1k,4Vpp", "--run", "--quit-after", "3000", "--save-csv",
                   Path("out.csv"), "--save-wfm", Path("out.wfm"), "--save-set", Path("out.set"),
                   "--save-image", Path("out.png")}),
              kNormalShutdown)
        << errors;

    std::string header;
    const Sampled sampled = ReadCsv(Path("out.csv"), header);
    ASSERT_GT(sampled.volts.size(), 1000u) << header;
    EXPECT_EQ(header.rfind("X,CH1", 0), 0u) << header;
    const auto [low, high] = std::minmax_element(sampled.volts.begin(), sampled.volts.end());
    const double peakToPeak = *high - *low;
    const double frequency = Frequency(sampled, (*high + *low) / 2);
    EXPECT_NEAR(peakToPeak, 4.0, 0.08) << "Vpp";
    EXPECT_NEAR(frequency, 1000.0, 20.0) << "Hz";

    QImageReader picture(Path("out.png"));
    EXPECT_EQ(picture.format(), "png");
    EXPECT_EQ(picture.size(), QSize(727, 434));
    EXPECT_EQ(QFile(Path("out.set")).size(), 11'680);
    EXPECT_GT(QFile(Path("out.wfm")).size(), 11'688 + 1000);

    ASSERT_EQ(Run({"--load-set", Path("out.set"), "--load-wfm", Path("out.wfm"), "--quit-after",
                   "1000", "--save-csv", Path("again.csv")}),
              kNormalShutdown)
        << errors;
    EXPECT_EQ(errors.find("could not"), std::string::npos) << errors;
    const Sampled again = ReadCsv(Path("again.csv"), header);
    EXPECT_EQ(again.volts, sampled.volts) << "the loaded waveform is the one saved";
}

TEST_F(CommandLineFiles, ABadFileIsNamedAndTheProgramStillEndsNormally) {
    QFile bad(Path("bad.wfm"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("WF and nothing a waveform file holds");
    bad.close();
    EXPECT_EQ(Run({"--load-wfm", Path("bad.wfm"), "--quit-after", "800"}), kNormalShutdown);
    EXPECT_NE(errors.find("could not load " + Path("bad.wfm").toStdString()), std::string::npos)
        << errors;

    // No waveform is held before the instrument ran: the CSV cannot be written, and says so.
    EXPECT_EQ(Run({"--quit-after", "500", "--save-csv", Path("none.csv"), "--save-set",
                   Path("none.set")}),
              3);
    EXPECT_NE(errors.find("Save channel is invalid"), std::string::npos) << errors;
    EXPECT_FALSE(QFile::exists(Path("none.csv")));
    EXPECT_EQ(QFile(Path("none.set")).size(), 11'680) << "the setup is saved all the same";
}

} // namespace

#endif
