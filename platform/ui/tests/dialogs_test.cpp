#include "entrydialogs.h"
#include "qtapp.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWheelEvent>

#include <cmath>
#include <limits>

namespace {

using oxbow::ui::test::WhenModalShown;

TEST(ParseEngineeringValue, PrefixesScaleTheNumber) {
    EXPECT_DOUBLE_EQ(*ParseEngineeringValue("2.5m"), 0.0025);
    EXPECT_DOUBLE_EQ(*ParseEngineeringValue("500u"), 500e-6);
    EXPECT_DOUBLE_EQ(*ParseEngineeringValue("500\u00b5"), 500e-6);
    EXPECT_DOUBLE_EQ(*ParseEngineeringValue("1k"), 1000.0);
    EXPECT_DOUBLE_EQ(*ParseEngineeringValue("1K"), 1000.0);
    EXPECT_DOUBLE_EQ(*ParseEngineeringValue("2M"), 2e6);
    EXPECT_DOUBLE_EQ(*ParseEngineeringValue("10n"), 10e-9);
    EXPECT_DOUBLE_EQ(*ParseEngineeringValue("-3"), -3.0);
    EXPECT_DOUBLE_EQ(*ParseEngineeringValue(" +.5 "), 0.5);
    EXPECT_DOUBLE_EQ(*ParseEngineeringValue("1.500E-003"), 0.0015);
}

TEST(ParseEngineeringValue, UnitsMayFollowThePrefix) {
    EXPECT_DOUBLE_EQ(*ParseEngineeringValue("20 ms"), 0.02);
    EXPECT_DOUBLE_EQ(*ParseEngineeringValue("500mV"), 0.5);
    EXPECT_DOUBLE_EQ(*ParseEngineeringValue("1kHz"), 1000.0);
    EXPECT_DOUBLE_EQ(*ParseEngineeringValue("5s"), 5.0);
}

TEST(ParseEngineeringValue, GarbageIsRefusedWithAReason) {
    for (const char* bad :
         {"", "   ", "abc", "1.2.3", "1e", "m", "2.5mm", "1x", "--1", "nan", "inf", "1 k 2"}) {
        QString error;
        EXPECT_FALSE(ParseEngineeringValue(bad, &error).has_value()) << bad;
        EXPECT_FALSE(error.isEmpty()) << bad;
    }
    QString error;
    EXPECT_FALSE(ParseEngineeringValue("1e308k", &error).has_value());
    EXPECT_TRUE(error.contains("too large"));
}

// Types `text` into the open entry dialog and presses OK.
void Enter(QDialog& dialog, const QString& text) {
    dialog.findChild<QLineEdit*>()->setText(text);
    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
}

TEST(ShowOptionDlg, ShowsTheCurrentValueAndReturnsTheConfirmedOneRounded) {
    QString shown;
    WhenModalShown<QDialog>([&](QDialog& dialog) {
        shown = dialog.findChild<QLineEdit*>()->text();
        Enter(dialog, "1.23456m");
    });
    double value = 0;
    ASSERT_TRUE(ShowOptionDlg(value, 0.002, 4, -1, -9, "Time"));
    EXPECT_EQ(shown, "2.000m");
    EXPECT_NEAR(value, 1.235e-3, 1e-12);
}

TEST(ShowOptionDlg, GarbageKeepsTheDialogOpenWithTheReasonAndCancelLeavesTheValue) {
    QString reason;
    bool stillOpen = false;
    WhenModalShown<QDialog>([&](QDialog& dialog) {
        Enter(dialog, "twelve");
        stillOpen = dialog.isVisible();
        for (QLabel* label : dialog.findChildren<QLabel*>())
            if (label->isVisible()) reason = label->text();
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    });
    double value = 7.0;
    EXPECT_FALSE(ShowOptionDlg(value, 1.0, 3, -1, 0, "Level"));
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(reason.contains("twelve"));
    EXPECT_EQ(value, 7.0);
}

// The reason of a refusal is shown whole: the dialog grows to its wrapped lines.
TEST(ShowOptionDlg, TheReasonIsNeverClipped) {
    QRect reasonArea;
    int reasonNeeds = 0;
    QRect inside;
    int buttonsTop = 0;
    WhenModalShown<QDialog>([&](QDialog& dialog) {
        Enter(dialog, "a text far too long to be a number, typed by someone who meant 2.5m");
        for (QLabel* label : dialog.findChildren<QLabel*>()) {
            if (!label->isVisible()) continue;
            reasonArea = label->geometry();
            reasonNeeds = label->heightForWidth(label->width());
        }
        inside = dialog.contentsRect();
        buttonsTop = dialog.findChild<QDialogButtonBox*>()->geometry().top();
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    });
    double value = 1.0;
    EXPECT_FALSE(ShowOptionDlg(value, 1.0, 3, -1, 0, "Level"));
    ASSERT_FALSE(reasonArea.isEmpty());
    EXPECT_GE(reasonArea.height(), reasonNeeds);
    EXPECT_TRUE(inside.contains(reasonArea));
    EXPECT_LE(reasonArea.bottom(), buttonsTop);
}

// A current value the read-out printer cannot show is offered as a number the entry takes
// back unchanged, or as nothing; never as a text the entry itself refuses.
TEST(ShowOptionDlg, ACurrentValueBeyondThePrefixesIsShownAsAPlainNumber) {
    for (const double current :
         {-1.79e308, -3.4e38, 3e40, std::numeric_limits<double>::quiet_NaN()}) {
        QString shown;
        WhenModalShown<QDialog>([&](QDialog& dialog) {
            shown = dialog.findChild<QLineEdit*>()->text();
            dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
        });
        double value = 0;
        EXPECT_FALSE(ShowOptionDlg(value, current, 3, -1, 0, "Level"));
        if (std::isnan(current)) {
            EXPECT_TRUE(shown.isEmpty()) << shown.toStdString();
            continue;
        }
        const std::optional<double> parsed = ParseEngineeringValue(shown);
        ASSERT_TRUE(parsed.has_value()) << current << " shown as " << shown.toStdString();
        EXPECT_NEAR(*parsed, current, std::abs(current) * 1e-2);
    }
}

TEST(ShowOptionDlg, WheelAndArrowKeysStepTheTypedValue) {
    QStringList seen;
    WhenModalShown<QDialog>([&](QDialog& dialog) {
        auto* field = dialog.findChild<QLineEdit*>();
        QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
        QApplication::sendEvent(field, &up);
        seen << field->text();
        QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::ShiftModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(field, &wheel);
        seen << field->text();
        field->setText("junk"); // left alone for the user to mend
        QApplication::sendEvent(field, &up);
        seen << field->text();
        Enter(dialog, "1");
    });
    double value = 0;
    // The caller's step: 1-2-5 up, a decade down when coarse.
    ASSERT_TRUE(
        ShowOptionDlg(value, 0.5, 3, -1, 0, "Scale", nullptr, [](double v, bool up, bool coarse) {
            return coarse ? (up ? v * 10 : v / 10) : (up ? v * 2 : v / 2);
        }));
    EXPECT_EQ(seen, QStringList({"1.00", "100m", "junk"}));

    // Without one, the third significant digit.
    WhenModalShown<QDialog>([&](QDialog& dialog) {
        auto* field = dialog.findChild<QLineEdit*>();
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(field, &down);
        seen = QStringList{field->text()};
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    });
    EXPECT_FALSE(ShowOptionDlg(value, 1.23, 3, -1, 0, "Level"));
    EXPECT_EQ(seen, QStringList({"1.22"}));
}

TEST(ConvertFileFilter, PairsBecomeQtFilters) {
    EXPECT_EQ(ConvertFileFilter("Waveform file(*.wfm)|*.wfm"), "Waveform file (*.wfm)");
    EXPECT_EQ(ConvertFileFilter("Waveform file(*.wfm)|*.wfm||"), "Waveform file (*.wfm)");
    EXPECT_EQ(ConvertFileFilter("Setup(*.set)|*.set|Images(*.bmp;*.jpg)|*.bmp;*.jpg"),
              "Setup (*.set);;Images (*.bmp *.jpg)");
    EXPECT_EQ(ConvertFileFilter("CSV file|*.csv"), "CSV file (*.csv)");
    EXPECT_EQ(ConvertFileFilter("Mask(*.pfl)"), "Mask (*.pfl)");
    EXPECT_EQ(ConvertFileFilter("Anything|"), "Anything (*)");
    EXPECT_EQ(ConvertFileFilter(""), "");
}

} // namespace

namespace {

TEST(ShowFileDlg, SavingStartsInTheRememberedFolderAndAddsTheFiltersExtension) {
    QTemporaryDir dir;
    QString startedIn;
    QStringList filters;
    WhenModalShown<QFileDialog>([&](QFileDialog& dialog) {
        startedIn = dialog.directory().absolutePath();
        filters = dialog.nameFilters();
        dialog.selectFile("capture");
        static_cast<QDialog&>(dialog).accept();
    });
    QString path = dir.path();
    ASSERT_TRUE(ShowFileDlg(path, "Save", "Save Waveform", "Waveform file(*.wfm)|*.wfm"));
    EXPECT_EQ(startedIn, QDir(dir.path()).absolutePath());
    EXPECT_EQ(filters, QStringList{"Waveform file (*.wfm)"});
    EXPECT_EQ(path, QDir(dir.path()).filePath("capture.wfm"));
}

TEST(ShowFileDlg, CancellingLeavesThePathAlone) {
    WhenModalShown<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
    QString path = "/nowhere/remembered";
    EXPECT_FALSE(ShowFileDlg(path, "Load", "Load Setup", "Setup file(*.set)|*.set"));
    EXPECT_EQ(path, "/nowhere/remembered");
}

} // namespace
