// The screen's cursor read-outs and the manual cursor dialog show the same value for the same
// cursor, whatever the source and time base: both hold to one table of literal texts.
#include "program_fixture.h"

#include "cursor.h"
#include "oxmeasure.h"
#include "plugindlg.h"

#include <gtest/gtest.h>

#include <QLineEdit>

#include <cstring>
#include <memory>
#include <string>

namespace oxapp::test {
namespace {

namespace code = oxcmd::code;

struct Case {
    const char* what;
    void (*set)(_OX_SETUP&);
    bool x;           // the X (time) cursor A, else the Y (level) cursor A
    const char* text; // what both show
};

void Fft(_OX_SETUP& s) {
    s.nMathOperator[0] = code::kFFT;
    s.dFFTHorizScale[0] = 1000;
    s.nTraceZoomIndex[0] = 4; // 10 divisions
    s.nCurXSource = s.nCurYSource = code::kCursorSourceFirstMath;
}

const Case kCases[] = {
    {"main time base", [](_OX_SETUP& s) { s.fCurXA = 2.5f; }, true, "2.50ms"},
    {"delayed time base",
     [](_OX_SETUP& s) {
         s.bDelayed = 1;
         s.fCurXA = 2.5f;
     },
     true, "250µs"},
    {"alternate trigger: CH2's own",
     [](_OX_SETUP& s) {
         s.nTrigMode = code::kAlternate;
         s.nCurXSource = 1;
         s.fCurXA = 2.5f;
     },
     true, "50.0µs"},
    {"spectrum from its origin",
     [](_OX_SETUP& s) {
         Fft(s);
         s.fCurXA = 2.5f;
     },
     true, "2.50KHz"},
    {"spectrum with an offset",
     [](_OX_SETUP& s) {
         Fft(s);
         s.dFFTHorizOffset[0] = 7000;
         s.fCurXA = 2.5f;
     },
     true, "9.50KHz"},
    {"before the spectrum",
     [](_OX_SETUP& s) {
         Fft(s);
         s.fCurXA = -7.0f;
     },
     true, "??.???Hz"},
    {"CH1 offset +1.5 V, the sine's top",
     [](_OX_SETUP& s) {
         s.fChanOffset[0] = 1.5f;
         s.fCurYA = 3.0f;
     },
     false, "1.50V"},
    {"CH1 offset +1.5 V, the sine's trough",
     [](_OX_SETUP& s) {
         s.fChanOffset[0] = 1.5f;
         s.fCurYA = 0.0f;
     },
     false, "-1.50V"},
    {"spectrum in Vrms: a step of its channel's scale",
     [](_OX_SETUP& s) {
         Fft(s);
         s.nFFTUnit[0] = code::kVrms;
         std::strcpy(s.szTraceUnit[0], "Vrms");
         s.nFFTVrmsScaleIndex[0] = 9; // x1 of CH1's 0.5 V/div
         s.fMathScale[0] = 3.0f;      // not the spectrum's
         s.fCurYA = 2.0f;
     },
     false, "1.00Vrms"},
    {"spectrum in dBVrms",
     [](_OX_SETUP& s) {
         Fft(s);
         s.nFFTUnit[0] = code::kdBVrms;
         std::strcpy(s.szTraceUnit[0], "dBVrms");
         s.fFFTdBVrmsScale[0] = 10.0f;
         s.fFFTdBVrmsOffset[0] = 20.0f;
         s.fCurYA = -2.0f;
     },
     false, "-40.0dBVrms"},
};

TEST(CursorValues, TheScreenAndTheDialogShowTheSameTexts) {
    App();
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        auto setup = std::make_unique<_OX_SETUP>();
        auto region = std::make_unique<_OX_RGN_SETUP>();
        _OX_SETUP& s = *setup;
        s.nCursorMode = code::kManualCursors;
        s.bCurXOn = s.bCurYOn = 1;
        s.fChanScale[0] = 1.0f;
        s.fChanScale[1] = 0.5f;
        std::strcpy(s.szChanUnit[0], "V");
        s.dTimeScale = 1e-3;
        s.dDelayedScale = 100e-6;
        s.dAltTimeScale[0] = 1e-3;
        s.dAltTimeScale[1] = 20e-6;
        s.nFFTSource[0] = 1; // CH2
        c.set(s);

        const std::vector<std::string> lines = oxmeasure::ManualCursorLines(s);
        const std::string label = c.x ? "CurAx=" : "CurAy=";
        const auto line = std::find_if(lines.begin(), lines.end(),
                                       [&](const std::string& l) { return l.starts_with(label); });
        ASSERT_NE(line, lines.end());
        EXPECT_EQ(*line, label + c.text) << "on the screen";

        oxbow::ui::PluginContext context;
        context.setup = setup.get();
        context.region = region.get();
        std::unique_ptr<oxbow::ui::CPluginDlg> dialog(
            dynamic_cast<oxbow::ui::CPluginDlg*>(ShowManualCurDlg(context, 0)));
        ASSERT_NE(dialog, nullptr);
        dialog->ShowPage(c.x ? 0 : 1);
        auto* field = qobject_cast<QLineEdit*>(dialog->Control(ManualCursorId::A));
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(field->text().toStdString(), c.text) << "in the dialog";
    }
}

} // namespace
} // namespace oxapp::test

namespace oxapp::test {
namespace {

// The read-outs of the running program on an offset channel: CH1 at 1 V/div, its offset
// +1.5 V, a 3 Vpp sine; cursor A on the sine's top, B on its trough. OXBOW_DOC_SHOTS names a
// folder to keep the picture in (cursor-offset.png).
TEST(CursorValues, LevelCursorsOnAnOffsetChannelReadFromItsGround) {
    RunningOxbow oxbow({"--sim", "--ch1", "sine,1k,3Vpp", "--run"});
    ASSERT_TRUE(WaitFor([&] { return oxbow.GetSession().Workers().Started(); }, 5000));
    namespace cmd = oxcmd::cmd;
    ASSERT_TRUE(oxcmd::Post(cmd::channel::kScale, 1.0f, 0));
    ASSERT_TRUE(oxcmd::Post(cmd::channel::kOffset, 1.5f, 0));
    ASSERT_TRUE(oxcmd::Post(cmd::panel::Request(oxcmd::panel::kManualCursorDialog), {}));
    ASSERT_TRUE(oxcmd::Post(cmd::manualcursor::kYSource, 0));
    ASSERT_TRUE(oxcmd::Post(cmd::manualcursor::kYOn, true));
    ASSERT_TRUE(oxcmd::Post(cmd::manualcursor::kYPosition, 3.0f, code::kCursorA));
    ASSERT_TRUE(oxcmd::Post(cmd::manualcursor::kYPosition, 0.0f, code::kCursorB));
    auto view = std::make_unique<oxacq::RecordView>();
    ASSERT_TRUE(WaitFor(
        [&] {
            oxbow.GetSession().Snapshot().Refresh(*view);
            return view->setup.fCurYA == 3.0f && view->setup.fCurYB == 0.0f &&
                   view->setup.bCurYOn != 0 && view->setup.fChanOffset[0] == 1.5f;
        },
        3000));
    const std::vector<std::string> lines = oxmeasure::ManualCursorLines(view->setup);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "CurAy=1.50V");
    EXPECT_EQ(lines[1], "CurBy=-1.50V");
    EXPECT_EQ(lines[2], "\xE2\x96\xB3Y=3.00V");
    WaitFor([] { return false; }, 800); // a few pictures with the read-outs
    const QByteArray folder = qgetenv("OXBOW_DOC_SHOTS");
    if (!folder.isEmpty()) {
        const QString path = QString::fromLocal8Bit(folder) + "/cursor-offset.png";
        EXPECT_TRUE(oxbow.Window().grab().save(path));
    }
}

} // namespace
} // namespace oxapp::test
