// The contract every dialog of the dialog table keeps, checked over each of them, each page,
// in a few states of the instrument and at two font sizes: a sound table; every control
// inside the window with its text unclipped; painted; Escape and the close mark post the
// table's close request; during playback every control refuses; and every control that
// shows a setting shows it again after the setting was changed from outside (a command that
// names no window, as the panel, the mouse, undo or a script send). A new dialog is checked
// once its row in the table has a Show function.
#include "oxdialogs.h"

#include "plugintest.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace oxbow::plugintest;
using oxbow::ui::CPluginDlg;
using oxbow::ui::DialogView;
using oxbow::ui::Kind;
using oxbow::ui::Row;
using oxbow::ui::Target;
namespace code = oxcmd::code;

struct TableEntry {
    std::string name;
    oxbow::ui::ShowDialogFn show;
    oxcmd::Sub closeRequest;
};

// Every dialog the table builds in, and the floating views.
std::vector<TableEntry> TableDialogs() {
    std::vector<TableEntry> dialogs;
    for (const oxapp::DialogRow& row : oxapp::DialogTable())
        if (row.show != nullptr) dialogs.push_back({row.name, row.show, row.closes[0]});
    const oxapp::FloatingViewFns floating = oxapp::FloatingViewTable();
    dialogs.push_back({floating.kMainName, floating.main, 0});
    dialogs.push_back({floating.kDelayedName, floating.delayed, 0});
    return dialogs;
}

// States that between them show every row: the fixture's stopped instrument at 1 ms/div;
// the delayed time base with averaging and the cursors on; the alternate trigger.
struct State {
    const char* name;
    void (*set)(_OX_SETUP&);
};
constexpr State kStates[] = {
    {"plain", [](_OX_SETUP&) {}},
    {"delayed",
     [](_OX_SETUP& s) {
         s.bDelayed = 1;
         s.nAcqType = code::kAcqAverage;
         s.bCurXOn = s.bCurYOn = s.bTrackOnA = s.bTrackOnB = 1;
         s.fCurXA = 1.5f;
         s.fCurYB = -0.5f;
         s.fTrackB = 2.0f;
     }},
    {"alternate", [](_OX_SETUP& s) { s.nTrigMode = code::kAlternate; }},
};

class DialogContract : public PluginTest {
protected:
    // Each dialog, in each state and font size, on each of its pages.
    template <class Check> void ForEachDialog(const Check& check) {
        const _OX_SETUP start = live;
        for (const double scale : {1.0, 1.5}) {
            fontScale = scale;
            for (const TableEntry& d : TableDialogs()) {
                for (const State& state : kStates) {
                    live = start;
                    state.set(live);
                    CPluginDlg* dialog = Open(d.show, 0, d.closeRequest);
                    ASSERT_NE(dialog, nullptr) << d.name;
                    const std::size_t pages =
                        std::max<std::size_t>(1, dialog->Layout().pages.size());
                    for (std::size_t page = 0; page < pages; ++page) {
                        dialog->ShowPage(static_cast<int>(page));
                        SCOPED_TRACE(d.name + ", " + state.name + ", page " + std::to_string(page) +
                                     ", font x" + std::to_string(scale));
                        check(d, *dialog, static_cast<int>(page));
                    }
                    DestroyDialog();
                    Drain();
                }
            }
        }
        live = start;
    }
    // The rows of the page shown, and the index each of them reads its setting at.
    static std::vector<std::pair<const Row*, long>> RowsShown(const CPluginDlg& dialog, int page) {
        std::vector<std::pair<const Row*, long>> rows;
        for (const Row& row : dialog.Layout().rows)
            rows.emplace_back(&row, row.target.index);
        if (!dialog.Layout().pages.empty()) {
            const oxbow::ui::Page& p = dialog.Layout().pages[static_cast<std::size_t>(page)];
            for (const Row& row : p.rows)
                rows.emplace_back(&row,
                                  p.index != oxbow::ui::kNoIndex ? p.index : row.target.index);
        }
        return rows;
    }
    DialogView ViewOf(long index) { return {live, liveRegion, index}; }
    Target TargetOf(const Row& row, long index) {
        return row.targetIn ? row.targetIn(ViewOf(index)) : Target{row.target.setting, index};
    }
    static QString Shown(QWidget* control) {
        if (auto* list = qobject_cast<QComboBox*>(control)) return list->currentText();
        if (auto* button = qobject_cast<QAbstractButton*>(control))
            return button->isCheckable() && button->isChecked() ? "checked" : "unchecked";
        return TextOf(control);
    }
};

TEST_F(DialogContract, TheTableOfEveryDialogIsSound) {
    for (const TableEntry& d : TableDialogs()) {
        CPluginDlg* dialog = Open(d.show, 0, d.closeRequest);
        ASSERT_NE(dialog, nullptr) << d.name;
        for (const std::string& problem : oxbow::ui::LayoutProblems(dialog->Layout()))
            ADD_FAILURE() << d.name << ": " << problem;
    }
}

TEST_F(DialogContract, EveryControlLiesInsideTheWindowWithItsTextWhole) {
    ForEachDialog([&](const TableEntry&, CPluginDlg& dialog, int page) {
        Painted();
        for (const auto& [row, index] : RowsShown(dialog, page)) {
            QWidget* control = dialog.Control(row->id);
            ASSERT_NE(control, nullptr) << "control " << row->id;
            if (!control->isVisibleTo(&dialog)) continue;
            const QRect at(control->mapTo(&dialog, QPoint(0, 0)), control->size());
            EXPECT_TRUE(dialog.rect().contains(at))
                << "control " << row->id << " at " << at.x() << "," << at.y() << " " << at.width()
                << "x" << at.height();
            const QString text = Shown(control);
            if (qobject_cast<QLineEdit*>(control) || qobject_cast<QLabel*>(control)) {
                // A field's frame and margins take a few pixels of its width.
                const int room =
                    control->contentsRect().width() - (qobject_cast<QLineEdit*>(control) ? 6 : 0);
                EXPECT_LE(control->fontMetrics().horizontalAdvance(text), room)
                    << "control " << row->id << " clips \"" << text.toStdString() << "\"";
            } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
                EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()), button->width())
                    << "control " << row->id << " clips its caption";
            }
        }
    });
}

TEST_F(DialogContract, EscapeAndTheCloseMarkPostTheTablesCloseRequest) {
    for (const TableEntry& d : TableDialogs()) {
        SCOPED_TRACE(d.name);
        CPluginDlg* dialog = Open(d.show, 0, d.closeRequest);
        QTest::keyClick(dialog, Qt::Key_Escape);
        std::vector<Posted> posts = Drain();
        if (d.closeRequest == 0) {
            EXPECT_TRUE(posts.empty()); // a floating view has no close
            continue;
        }
        ASSERT_EQ(posts.size(), 1u);
        EXPECT_TRUE(posts[0].Is(oxcmd::cmd::panel::Request(d.closeRequest)));
        QTest::keyClick(dialog, Qt::Key_Escape);
        EXPECT_TRUE(Drain().empty()) << "asked once";
        dialog = Open(d.show, 0, d.closeRequest);
        ClickClose();
        posts = Drain();
        ASSERT_EQ(posts.size(), 1u);
        EXPECT_TRUE(posts[0].Is(oxcmd::cmd::panel::Request(d.closeRequest)));
    }
}

TEST_F(DialogContract, DuringPlaybackEveryControlRefuses) {
    ForEachDialog([&](const TableEntry&, CPluginDlg& dialog, int page) {
        live.nRecordState = code::kPlaying;
        std::memset(live.szSystemError, 0, sizeof live.szSystemError);
        Publish();
        const _OX_SETUP before = live;
        int refused = 0;
        for (const auto& [row, index] : RowsShown(dialog, page)) {
            QWidget* control = dialog.Control(row->id);
            if (!control->isVisibleTo(&dialog) || !row->HasTarget()) continue;
            switch (row->kind) {
            case Kind::Spin:
                PressOn(control);
                ReleaseOn(control);
                break;
            case Kind::List:
                QTest::keyClick(control, Qt::Key_Down);
                break;
            case Kind::Push:
            case Kind::Check:
            case Kind::Option:
            case Kind::Value:
                ClickOn(control);
                break;
            default:
                continue;
            }
            for (const Posted& p : Drain()) {
                EXPECT_TRUE(p.Is(oxcmd::cmd::run::kShowError))
                    << "control " << row->id << " posted " << p.sub;
                ++refused;
            }
        }
        EXPECT_TRUE(entries.empty()) << "no entry opens during playback";
        EXPECT_STREQ(live.szSystemError, refused > 0 ? "Function not available" : "");
        std::memset(live.szSystemError, 0, sizeof live.szSystemError);
        EXPECT_EQ(std::memcmp(&live, &before, sizeof live), 0) << "a control changed the record";
        live.nRecordState = code::kRecordIdle;
    });
}

// The value to post from outside: another one the command layer keeps.
std::vector<double> Others(const Row& row, double current, int items) {
    switch (row.kind) {
    case Kind::Check:
        return {current != 0 ? 0.0 : 1.0};
    case Kind::Option:
        return {row.option};
    case Kind::List:
        return {static_cast<double>((static_cast<int>(current) + 1) % std::max(items, 1))};
    default:
        return {current * 2, current / 2, current + 1, current - 1};
    }
}

TEST_F(DialogContract, EveryControlFollowsItsSettingChangedFromOutside) {
    ForEachDialog([&](const TableEntry& d, CPluginDlg& dialog, int page) {
        const _OX_SETUP before = live;
        for (const auto& [row, index] : RowsShown(dialog, page)) {
            QWidget* control = dialog.Control(row->id);
            const bool showsSetting = row->kind == Kind::Value || row->kind == Kind::Check ||
                                      row->kind == Kind::Option || row->kind == Kind::List ||
                                      row->kind == Kind::Slider;
            if (!showsSetting || !row->HasTarget() || !control->isVisibleTo(&dialog)) continue;
            const Target target = TargetOf(*row, index);
            const double current = target.setting.Read(live, target.index);
            auto* list = qobject_cast<QComboBox*>(control);
            bool changed = false;
            for (const double other : Others(*row, current, list ? list->count() : 0)) {
                if (other == current) continue;
                ASSERT_TRUE(oxcmd::Post(target.setting.PostOf(other, target.index), nullptr));
                Drain(); // the host publishes the records, as the main window does
                if (target.setting.Read(live, target.index) != current) {
                    changed = true;
                    break;
                }
            }
            if (!changed) continue; // already at the one value it may take
            // What a dialog opened now shows is what the open one must show.
            CPluginDlg* fresh = dynamic_cast<CPluginDlg*>(d.show(Context(d.closeRequest), 0));
            fresh->ShowPage(page);
            EXPECT_EQ(Shown(control), Shown(fresh->Control(row->id)))
                << "control " << row->id << " did not follow its setting";
            delete fresh;
            live = before;
            Publish();
        }
    });
}

// With OXBOW_DIALOG_SHOTS naming a folder, each dialog is kept there as NAME.png, and as
// NAME-large.png at 1.5 times the font, with the delayed time base and averaging on.
TEST_F(DialogContract, EveryDialogPaintsAtBothFontSizes) {
    for (const double scale : {1.0, 1.5}) {
        fontScale = scale;
        for (const TableEntry& d : TableDialogs()) {
            SCOPED_TRACE(d.name);
            kStates[1].set(live);
            ASSERT_NE(Open(d.show, 0, d.closeRequest), nullptr);
            Shot((d.name + (scale > 1 ? "-large" : "")).c_str());
        }
    }
}

} // namespace
