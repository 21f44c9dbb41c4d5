// The automatic measurements on the simulated instrument: read-outs, the measurement panel
// and the --measure table agree with the signals the simulator is given.
#include "measurecsv.h"
#include "measurepanel.h"
#include "ox_queue.h"
#include "oxbowapp.h"
#include "program_fixture.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <sstream>

namespace oxapp::test {
namespace {

// The simulator's signals (CH1 and CH2 at the power-up 1 V/div and 200 us/div).
constexpr double kFrequency = 1000.0;
constexpr double kCh1Vpp = 4.0;
constexpr double kCh2Vpp = 3.0;
constexpr double kCh2Duty = 25.0;
constexpr double kTolerance = 0.02;
const std::vector<std::string> kSignals{"--ch1", "sine,1k,4Vpp", "--ch2",
                                        "square,1k,3Vpp,duty=25%"};

bool Near(double value, double expected) {
    return std::abs(value - expected) <= kTolerance * std::abs(expected);
}

// Table cells by row ("CH1") and column name.
std::map<std::string, std::map<std::string, std::string>> ParseCsv(const std::string& csv) {
    std::istringstream lines(csv);
    std::string line;
    std::getline(lines, line);
    std::vector<std::string> header;
    std::istringstream names(line);
    for (std::string name; std::getline(names, name, ',');)
        header.push_back(name);
    std::map<std::string, std::map<std::string, std::string>> table;
    while (std::getline(lines, line)) {
        std::istringstream cells(line);
        std::vector<std::string> row;
        for (std::string cell; std::getline(cells, cell, ',');)
            row.push_back(cell);
        row.resize(header.size());
        for (std::size_t i = 1; i < header.size(); ++i)
            table[row[0]][header[i]] = row[i];
    }
    return table;
}

double Cell(const std::map<std::string, std::map<std::string, std::string>>& table,
            const std::string& row, const std::string& column) {
    const auto r = table.find(row);
    if (r == table.end() || !r->second.contains(column) || r->second.at(column).empty()) return -1;
    return std::stod(r->second.at(column));
}

std::vector<std::string> Args(std::vector<std::string> args) {
    args.insert(args.end(), kSignals.begin(), kSignals.end());
    return args;
}

TEST(ProgramMeasure, ReadoutsAndPanelMatchTheSimulatedSignals) {
    RunningOxbow oxbow(Args({"--sim", "--run"}));
    oxmeasure::Measurer& measurer = oxbow.GetSession().Measurements();
    MeasurePanel& panel = oxbow.Window().Measurements();
    panel.Open();
    EXPECT_TRUE(measurer.Wanted());
    oxmeasure::MeasureView view;
    const auto settled = [&] {
        measurer.Refresh(view);
        const auto& ch1 = view.result.channel[0];
        const auto& ch2 = view.result.channel[1];
        return view.measured[0] && view.measured[1] &&
               Near(ch1[gauger::Measure::Frequency].value, kFrequency) &&
               Near(ch1[gauger::Measure::Vpp].value, kCh1Vpp) &&
               Near(ch2[gauger::Measure::Vpp].value, kCh2Vpp) &&
               Near(ch2[gauger::Measure::PositiveDuty].value, kCh2Duty) &&
               Near(ch2[gauger::Measure::Frequency].value, kFrequency);
    };
    ASSERT_TRUE(WaitFor(settled, 8000))
        << "CH1 " << view.result.channel[0][gauger::Measure::Frequency].value << " Hz "
        << view.result.channel[0][gauger::Measure::Vpp].value << " Vpp; CH2 "
        << view.result.channel[1][gauger::Measure::Vpp].value << " Vpp "
        << view.result.channel[1][gauger::Measure::PositiveDuty].value << " %";

    // A measurement chosen through the command the source dialog posts shows in the panel
    // with its statistics.
    ASSERT_TRUE(OxPostInt(oxcmd::group::kMeasure, oxcmd::measure::kAdd, 0, 12));
    ASSERT_TRUE(WaitFor(
        [&] {
            panel.Refresh();
            return panel.Entries().count() == 1 && panel.Entries().item(0)->text().contains(" n ");
        },
        4000));
    const QString line = panel.Entries().item(0)->text();
    // The measurement by its name with its reading, the statistics named apart from it.
    EXPECT_TRUE(QRegularExpression("^CH1 Frequency 1\\.\\d{3}KHz  min \\S+Hz  max \\S+Hz  "
                                   "mean \\S+Hz  n \\d+$")
                    .match(line)
                    .hasMatch())
        << line.toStdString();
    EXPECT_FALSE(panel.ShowsReadoutsOf(ReadoutPanel::Kind::Math));
    EXPECT_TRUE(panel.ShowsReadoutsOf(ReadoutPanel::Kind::Measurement));
    panel.Close();
    EXPECT_FALSE(panel.ShowsReadoutsOf(ReadoutPanel::Kind::Measurement));
    EXPECT_FALSE(measurer.Wanted()); // the chosen read-out keeps the measurements running

    const auto table = ParseCsv(MeasurementTable(oxbow.Window(), {"freq", "vpp", "duty"}));
    EXPECT_TRUE(Near(Cell(table, "CH1", "freq"), kFrequency));
    EXPECT_TRUE(Near(Cell(table, "CH2", "duty"), kCh2Duty));
}

QStringList Lines(MeasurePanel& panel) {
    panel.Refresh();
    QStringList lines;
    for (int i = 0; i < panel.Entries().count(); ++i)
        lines << panel.Entries().item(i)->text();
    return lines;
}

// The panel lists what the setup has chosen, whoever chose or cleared it: All of a source
// (its source kept), one line removed, Clear from the menu and from its key, nothing of what
// the command layer refuses in X-Y.
TEST(ProgramMeasure, ThePanelListsWhatTheSetupHasChosen) {
    RunningOxbow oxbow(Args({"--sim", "--run"}));
    COxbowDlg& window = oxbow.Window();
    MeasurePanel& panel = window.Measurements();
    panel.Open();
    ASSERT_TRUE(OxPostInt(oxcmd::group::kMeasure, oxcmd::measure::kAddAll, 0, 0));
    ASSERT_TRUE(WaitFor([&] { return Lines(panel).size() == gauger::kMeasureCount; }, 3000));
    EXPECT_TRUE(
        std::ranges::all_of(Lines(panel), [](const QString& l) { return l.startsWith("CH1 "); }));
    bool all = false;
    int source = -1;
    oxbow.UnderLock([&] {
        all = oxbow.Objects().setup->bMeasureAll != 0;
        source = oxbow.Objects().setup->byMeasureAllSource;
    });
    EXPECT_TRUE(all) << "All on CH1 stored as off";
    EXPECT_EQ(source, 0);

    // Remove takes the selected line only (a line of All takes All), Clear all the rest.
    ASSERT_TRUE(OxPostInt(oxcmd::group::kMeasure, oxcmd::measure::kAdd, 1, 3));
    ASSERT_TRUE(WaitFor([&] { return Lines(panel).size() == gauger::kMeasureCount + 1; }, 3000));
    ASSERT_TRUE(Lines(panel).first().startsWith("CH2 Vpp ")) << Lines(panel).first().toStdString();
    auto& list = const_cast<EntryList&>(panel.Entries());
    list.setCurrentRow(0);
    auto* remove = panel.findChild<QPushButton*>("MEASURE_REMOVE");
    ASSERT_TRUE(remove->isEnabled());
    remove->click();
    EXPECT_TRUE(WaitFor([&] { return Lines(panel).size() == gauger::kMeasureCount; }, 3000));
    EXPECT_FALSE(Lines(panel).join('|').contains("CH2")) << "the selected line went";
    list.setCurrentRow(3);
    remove->click();
    EXPECT_TRUE(WaitFor([&] { return Lines(panel).isEmpty(); }, 3000)) << "a line of All takes All";

    // Clear Measure from the menu, and Ctrl+Shift+C.
    for (const bool byKey : {false, true}) {
        ASSERT_TRUE(OxPostInt(oxcmd::group::kMeasure, oxcmd::measure::kAddAll, 0, 1));
        ASSERT_TRUE(WaitFor([&] { return Lines(panel).size() == gauger::kMeasureCount; }, 3000));
        if (byKey) {
            window.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
            QTest::keyClick(&window, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        } else {
            window.findChild<QAction*>("CLEAR_MEASURE")->trigger();
        }
        EXPECT_TRUE(WaitFor([&] { return Lines(panel).isEmpty(); }, 3000))
            << (byKey ? "Ctrl+Shift+C" : "Clear Measure") << " left " << Lines(panel).size();
    }

    // X-Y: the command layer refuses the measurements, so the panel lists none.
    ASSERT_TRUE(OxPostInt(oxcmd::group::kTimebase, oxcmd::timebase::kFormat, 0, oxcmd::code::kXY));
    ASSERT_TRUE(OxPostInt(oxcmd::group::kMeasure, oxcmd::measure::kAddAll, 0, 0));
    std::string error;
    EXPECT_TRUE(WaitFor(
        [&] {
            oxbow.UnderLock([&] { error = oxbow.Objects().setup->szSystemError; });
            return error == oxcmd::refusal::kNotAtXY;
        },
        3000));
    EXPECT_TRUE(Lines(panel).isEmpty());
}

// A measurement from the Analyze menu opens the closed panel; it opens beside the window, or
// where the screen has no room over the picture, never over the controls.
TEST(ProgramMeasure, AMeasurementFromTheMenuOpensThePanelClearOfTheControls) {
    RunningOxbow oxbow(Args({"--sim", "--run"}));
    COxbowDlg& window = oxbow.Window();
    MeasurePanel& panel = window.Measurements();
    ASSERT_TRUE(OxPostBool(oxcmd::group::kChannel, oxcmd::channel::kDisplay, 1, false));
    ASSERT_TRUE(WaitFor(
        [&] {
            bool shown = true;
            oxbow.UnderLock([&] { shown = oxbow.Objects().setup->bChanDisplay[1] != 0; });
            return !shown;
        },
        3000));
    ASSERT_FALSE(panel.isVisible());
    window.findChild<QAction*>("MEASURE_VPP")->trigger();
    ASSERT_TRUE(WaitFor([&] { return panel.isVisible(); }, 3000)) << "the panel stayed closed";
    EXPECT_TRUE(WaitFor([&] { return Lines(panel).size() == 1; }, 3000));
    const QRect controls(window.Controls().mapToGlobal(QPoint()), window.Controls().size());
    EXPECT_FALSE(panel.frameGeometry().intersects(controls))
        << "panel at " << panel.frameGeometry().x() << "," << panel.frameGeometry().y();
    EXPECT_TRUE(window.screen()->availableGeometry().contains(panel.frameGeometry()));
}

// The panel, the screen and --measure show one computation the same way: the table's cell is
// the panel's number.
TEST(ProgramMeasure, ThePanelAndTheTableShowTheSameReading) {
    RunningOxbow oxbow(Args({"--sim", "--run"}));
    oxmeasure::Measurer& measurer = oxbow.GetSession().Measurements();
    measurer.SetWanted(oxmeasure::Measurer::Reader::CommandLine, true);
    oxmeasure::MeasureView view;
    ASSERT_TRUE(WaitFor(
        [&] {
            measurer.Refresh(view);
            return view.measured[0] && view.result.channel[0][gauger::Measure::Vpp].valid;
        },
        8000));
    auto records = std::make_unique<oxacq::RecordView>();
    oxbow.GetSession().Snapshot().Refresh(*records);
    const std::string panelValue =
        oxmeasure::MeasureValue(records->setup, view, {static_cast<int>(gauger::Measure::Vpp), 0});
    const auto table = ParseCsv(MeasureCsv({"vpp"}, records->setup, view));
    const std::string cell = table.at("CH1").at("vpp");
    EXPECT_EQ(cell + "V", panelValue) << "panel " << panelValue << ", table " << cell;
    EXPECT_TRUE(QRegularExpression("^\\d\\.\\d\\d$").match(QString::fromStdString(cell)).hasMatch())
        << cell << ": three digits, as the panel shows it";
    measurer.SetWanted(oxmeasure::Measurer::Reader::CommandLine, false);
}

#ifdef OXBOW_PROGRAM
TEST(ProgramMeasure, MeasureOptionPrintsTheTableBeforeQuitting) {
    QTemporaryDir config;
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", config.path());
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(environment);
    QStringList args{"--sim", "--sim-fresh", "--run", "--measure", "freq,Vpp,duty,rise,dly_x"};
    program.start(OXBOW_PROGRAM, args);
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitCode(), 2) << "an unknown name is refused";
    EXPECT_TRUE(program.readAllStandardError().contains("dly_x"));

    args = QStringList{"--sim",        "--sim-fresh", "--run", "--measure", "freq,Vpp,duty,rise",
                       "--quit-after", "3000"};
    for (const std::string& s : kSignals)
        args << QString::fromStdString(s);
    program.start(OXBOW_PROGRAM, args);
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitCode(), 18);
    const std::string csv = program.readAllStandardOutput().toStdString();
    ASSERT_EQ(csv.rfind("channel,freq,vpp,duty,rise\n", 0), 0u) << csv;
    const auto table = ParseCsv(csv);
    EXPECT_TRUE(Near(Cell(table, "CH1", "freq"), kFrequency)) << csv;
    EXPECT_TRUE(Near(Cell(table, "CH1", "vpp"), kCh1Vpp)) << csv;
    EXPECT_TRUE(Near(Cell(table, "CH2", "vpp"), kCh2Vpp)) << csv;
    EXPECT_TRUE(Near(Cell(table, "CH2", "duty"), kCh2Duty)) << csv;
    EXPECT_TRUE(Near(Cell(table, "CH2", "freq"), kFrequency)) << csv;
}
#endif

TEST(MeasureNames, ListParsingAndTheHelpText) {
    std::vector<std::string> names;
    std::string error;
    EXPECT_TRUE(ParseMeasureList("freq,VPP,fdelay", names, error));
    EXPECT_EQ(names, (std::vector<std::string>{"freq", "vpp", "fdelay"})) << "the table's keys";
    EXPECT_EQ(MeasureCodeOfName("VPP"), 3);
    EXPECT_FALSE(ParseMeasureList("freq,,vpp", names, error));
    EXPECT_NE(error.find("\"\""), std::string::npos) << error;
    EXPECT_FALSE(ParseMeasureList("hz", names, error));
    const std::string help = CommandLineHelp();
    EXPECT_NE(help.find("--measure NAMES"), std::string::npos);
    for (const char* name : {"vmax", "overshoot", "freq", "nduty", "fdelay"})
        EXPECT_NE(help.find(name), std::string::npos) << name;
}

} // namespace
} // namespace oxapp::test
