// Decoding and the logic tools' files from the command line, as a user runs the program on
// the simulated instrument sending "Hello" at 115200 Bd on D0.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <regex>
#include <sstream>

#ifdef OXBOW_PROGRAM

namespace {

constexpr int kNormalShutdown = 18;
constexpr int kOptionsRefused = 2;

class CommandLineDecode : public ::testing::Test {
protected:
    int Run(const QStringList& args) {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", folder.filePath("config"));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        program.setProcessEnvironment(environment);
        program.start(OXBOW_PROGRAM, args);
        if (!program.waitForFinished(60'000)) {
            program.kill();
            program.waitForFinished();
            return -1;
        }
        output = program.readAllStandardOutput().toStdString();
        errors = program.readAllStandardError().toStdString();
        return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    }
    QString Path(const char* name) const { return folder.filePath(name); }

    // The bytes of the data annotations among the printed lines.
    static std::string DataBytes(const std::string& lines) {
        static const std::regex data("^[0-9]+-[0-9]+ uart: RX: ([0-9A-F]{2})$");
        std::istringstream text(lines);
        std::string line, bytes;
        std::smatch match;
        while (std::getline(text, line)) {
            if (std::regex_match(line, match, data)) bytes += match[1].str() + " ";
        }
        return bytes;
    }

    QTemporaryDir folder;
    std::string output;
    std::string errors;
};

const QStringList kHello{"--sim",           "--sim-fresh",  "--ch1",
                         "square,100,3Vpp", "--digital",    "uart,tx=D0,baud=115200,text=Hello",
                         "--run",           "--quit-after", "3000"};

TEST_F(CommandLineDecode, PrintsTheFiveBytesSentAndWritesTheCsv) {
    ASSERT_EQ(Run(kHello + QStringList{"--decode", "uart:rx=D0:baudrate=115200"}), kNormalShutdown)
        << errors;
    EXPECT_EQ(DataBytes(output), "48 65 6C 6C 6F ") << output;

    ASSERT_EQ(Run(kHello + QStringList{"--decode", "uart:rx=D0:baudrate=115200", "--decode-csv",
                                       Path("hello.csv")}),
              kNormalShutdown)
        << errors;
    EXPECT_EQ(output, "");
    QFile csv(Path("hello.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const std::string table = csv.readAll().toStdString();
    EXPECT_EQ(table.rfind("Time,Start,End,Decoder,Row,Text\n", 0), 0u);
    EXPECT_NE(table.find(",uart,RX,6F\n"), std::string::npos) << table;
}

TEST_F(CommandLineDecode, BadStacksAreRefusedBeforeTheWindowOpens) {
    EXPECT_EQ(Run({"--sim", "--quit-after", "100", "--decode", "uart:rx=D99"}), kOptionsRefused);
    EXPECT_NE(errors.find("--decode: uart: channel rx needs D0 .. D15, CH1 or CH2, not \"D99\""),
              std::string::npos)
        << errors;
    EXPECT_EQ(Run({"--sim", "--decode", "uart:rx=D0"}), kOptionsRefused);
    EXPECT_NE(errors.find("need --quit-after"), std::string::npos) << errors;
    EXPECT_EQ(Run({"--sim", "--quit-after", "100", "--decode-csv", "x.csv"}), kOptionsRefused);
    EXPECT_NE(errors.find("--decode-csv needs --decode"), std::string::npos) << errors;
}

TEST_F(CommandLineDecode, AVcdOfARecordWithoutTheAnalyzerIsNamedAndNotWritten) {
    // The analyzer is off at power-up and nothing here switches it on.
    EXPECT_EQ(Run({"--sim", "--sim-fresh", "--run", "--quit-after", "1500", "--save-vcd",
                   Path("none.vcd")}),
              3);
    EXPECT_NE(errors.find("could not write"), std::string::npos) << errors;
    EXPECT_FALSE(QFile::exists(Path("none.vcd")));
}

} // namespace

#endif
