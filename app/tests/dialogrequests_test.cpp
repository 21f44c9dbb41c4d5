// The main window's dialogs through the real queue and the command layer's handler: small
// real dialogs stand in for the plug-ins, opened by their Show functions.
#include "dialogrequests.h"
#include "frontpanel.h"
#include "program_fixture.h"
#include "windowgeometry.h"

#include "oxmsg.h"

#include <gtest/gtest.h>

#include <QTest>

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <vector>

namespace oxapp::test {
namespace {

namespace panel = oxcmd::panel;
using oxbow::ui::PluginContext;

// A control dialog as a plug-in builds it: its close mark posts its close request.
class TestDialog final : public CCommonDlg, public CWnd {
public:
    TestDialog(const PluginContext& context, long value, oxcmd::Sub close)
        : CCommonDlg(0, context.parent), context_(context), value_(value), close_(close) {
        Live().insert(this);
    }
    ~TestDialog() override {
        Unregister();
        Live().erase(this);
    }
    static std::set<TestDialog*>& Live() {
        static std::set<TestDialog*> live;
        return live;
    }
    // The one control dialog open (null: none or more than one).
    static TestDialog* Only() {
        TestDialog* only = nullptr;
        for (TestDialog* dialog : Live()) {
            if (dialog->close_ == 0) continue;
            if (only != nullptr) return nullptr;
            only = dialog;
        }
        return only;
    }
    static int& Deliveries() {
        static int count = 0;
        return count;
    }
    const PluginContext& Context() const { return context_; }
    long Value() const { return value_; }
    oxcmd::Sub CloseRequest() const { return close_; }

protected:
    LRESULT WindowProc(UINT, WPARAM, LPARAM) override {
        ++Deliveries();
        return 0;
    }
    void reject() override { static_cast<void>(OxPost(oxcmd::group::kPanel, close_)); }

private:
    PluginContext context_;
    long value_;
    oxcmd::Sub close_;
};

template <oxcmd::Sub kClose> CWnd* ShowTestDialog(const PluginContext& context, long value) {
    auto* dialog = new TestDialog(context, value, kClose);
    dialog->show();
    return dialog;
}

// The main window's part: message 3124 to the requests, completions after them.
class TestMainWindow final : public QWidget, public CWnd {
public:
    ~TestMainWindow() override { Unregister(); }
    DialogRequests* requests = nullptr;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (requests == nullptr) return 0;
        if (message == oxcmd::group::kPanel)
            requests->OnRequest(static_cast<oxcmd::Sub>(wParam), static_cast<long>(lParam));
        else if (message == oxcmd::group::kRunControl)
            requests->OnCompletion(static_cast<oxcmd::Sub>(wParam));
        return 0;
    }
};

class FakeReadouts final : public ReadoutPanel {
public:
    std::set<Kind> shows;
    int closed = 0;
    bool ShowsReadoutsOf(Kind kind) const override { return shows.count(kind) != 0; }
    void Close() override {
        ++closed;
        shows.clear();
    }
};

// The table as built in, with test dialogs for some rows; the display dialog stays missing.
std::vector<DialogRow> TestRows() {
    std::vector<DialogRow> rows(DialogTable().begin(), DialogTable().end());
    const auto give = [&rows](oxcmd::Sub request, oxbow::ui::ShowDialogFn show) {
        std::ranges::find(rows, request, &DialogRow::request)->show = show;
    };
    give(panel::kChannelDialog, ShowTestDialog<panel::kCloseChannel>);
    give(panel::kMathDialog, ShowTestDialog<panel::kCloseMath>);
    give(panel::kHorizontalDialog, ShowTestDialog<panel::kCloseHorizontal>);
    give(panel::kTriggerDialog, ShowTestDialog<panel::kCloseTrigger>);
    give(panel::kAcquireDialog, ShowTestDialog<panel::kCloseAcquire>);
    give(panel::kManualCursorDialog, ShowTestDialog<panel::kCloseManualCursor>);
    give(panel::kMaskTestDialog, ShowTestDialog<panel::kClosePassFail>);
    give(panel::kRecordDialog, ShowTestDialog<panel::kCloseRecord>);
    give(panel::kLinkChoiceDialog, ShowTestDialog<panel::kCloseLinkChoice>);
    return rows;
}

// The floating views close with nothing of their own (0 is no close request).
const FloatingViewFns kFloatingViews{ShowTestDialog<0>, ShowTestDialog<0>};

class DialogRequestsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::memset(setup_.get(), 0, sizeof(_OX_SETUP));
        OxMsgInit(&main_, setup_.get(), region_.get(), positions_.get(), nullptr);
        requests_ = std::make_unique<DialogRequests>(
            DialogRequests::Host{&main_, &main_, &view_.setup, &view_.region,
                                 [this] { view_.setup = *setup_; }, &panel_, nullptr},
            rows_, kFloatingViews);
        requests_->SetReadoutPanel(&readouts_);
        main_.requests = requests_.get();
        TestDialog::Deliveries() = 0;
    }
    void TearDown() override {
        main_.requests = nullptr;
        requests_.reset();
        Drain();
        OxMsgInit(nullptr, nullptr, nullptr, nullptr, nullptr);
    }
    // The I/O thread's work, done here; the window's copy follows the record, as the
    // snapshot published before each completion makes it.
    void Drain() {
        while (GetIOCmd() != 0) {
            view_.setup = *setup_;
            IOCmdProcess();
        }
    }
    void Request(oxcmd::Sub sub, long value = 0) {
        view_.setup = *setup_;
        ASSERT_TRUE(OxPost(oxcmd::group::kPanel, sub, value));
        Drain();
    }
    // The text shown last (the error flag cleared), empty when none.
    std::string Shown() {
        if (!region_->bErrorShown) return "";
        region_->bErrorShown = 0;
        std::string text = setup_->szSystemError;
        setup_->szSystemError[0] = '\0';
        return text;
    }
    // The control dialogs open (the floating views, which have no close request, aside).
    static std::size_t Dialogs() {
        return static_cast<std::size_t>(std::ranges::count_if(
            TestDialog::Live(), [](const TestDialog* d) { return d->CloseRequest() != 0; }));
    }
    bool IsCurrent(const TestDialog* dialog) const {
        return dialog != nullptr && requests_->Current() == static_cast<const CWnd*>(dialog);
    }
    // The open dialog's close request, as its close mark posts it.
    void ClickCloseMark(TestDialog& dialog) {
        QTest::mouseClick(&dialog, Qt::LeftButton, {}, dialog.CloseMarkRect().center());
        Drain();
    }

    QApplication& app_ = App(); // before the widgets
    std::unique_ptr<_OX_SETUP> setup_ = std::make_unique<_OX_SETUP>();
    std::unique_ptr<_OX_RGN_SETUP> region_ = std::make_unique<_OX_RGN_SETUP>();
    std::unique_ptr<_OX_POS_SETUP> positions_ = std::make_unique<_OX_POS_SETUP>();
    oxacq::RecordView view_;
    FrontPanel panel_{view_.setup};
    TestMainWindow main_;
    FakeReadouts readouts_;
    std::vector<DialogRow> rows_ = TestRows();
    std::unique_ptr<DialogRequests> requests_;
};

TEST_F(DialogRequestsTest, OneDialogAtATimeAndItsCloseRequestDestroysIt) {
    Request(panel::kAcquireDialog);
    TestDialog* acquire = TestDialog::Only();
    ASSERT_NE(acquire, nullptr);
    EXPECT_TRUE(IsCurrent(acquire));
    EXPECT_TRUE(acquire->isVisible());

    // RUN names the open dialog: its completion reaches it.
    panel_.Run();
    Drain();
    EXPECT_GT(TestDialog::Deliveries(), 0);

    Request(panel::kHorizontalDialog);
    TestDialog* horizontal = TestDialog::Only();
    ASSERT_NE(horizontal, nullptr); // the acquire dialog went (its memory may be reused)
    EXPECT_EQ(horizontal->CloseRequest(), panel::kCloseHorizontal);

    // A close request of the dialog it replaced leaves it open; its own closes it.
    Request(panel::kCloseAcquire);
    EXPECT_TRUE(IsCurrent(horizontal));
    ClickCloseMark(*horizontal);
    EXPECT_EQ(Dialogs(), 0u);
    EXPECT_EQ(requests_->Current(), nullptr);

    // Without a current dialog RUN names none.
    TestDialog::Deliveries() = 0;
    panel_.Run();
    Drain();
    EXPECT_EQ(TestDialog::Deliveries(), 0);

    // The link choice dialog closes with its close box and with OK or Cancel.
    Request(panel::kLinkChoiceDialog);
    Request(panel::kCloseConnect);
    EXPECT_EQ(Dialogs(), 0u);
}

TEST_F(DialogRequestsTest, RefusedRequestsShowTheirTextAndLeaveTheOpenDialogAlone) {
    Request(panel::kAcquireDialog);
    TestDialog* acquire = TestDialog::Only();
    const struct {
        const char* state;
        void (*set)(_OX_SETUP&);
        oxcmd::Sub request;
        const char* text;
    } cases[] = {
        {"X-Y", [](_OX_SETUP& s) { s.nTimeFormat = oxcmd::code::kXY; }, panel::kTriggerDialog,
         "Function not available at XY mode"},
        {"roll", [](_OX_SETUP& s) { s.nTimeFormat = oxcmd::code::kRolling; }, panel::kTriggerDialog,
         "Function not available at rolling mode"},
        {"alternate", [](_OX_SETUP& s) { s.nTrigMode = oxcmd::code::kAlternate; },
         panel::kMaskTestDialog, "Function not available at alternate trigger"},
        {"playback", [](_OX_SETUP& s) { s.nRecordState = oxcmd::code::kPlaying; },
         panel::kChannelDialog, "Function not available"},
        {"no dialog built in", [](_OX_SETUP&) {}, panel::kDisplayDialog, "Function not available"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.state);
        const _OX_SETUP before = *setup_;
        c.set(*setup_);
        Request(c.request);
        EXPECT_EQ(Shown(), c.text);
        EXPECT_TRUE(IsCurrent(acquire));
        EXPECT_EQ(Dialogs(), 1u);
        *setup_ = before;
    }
    // The same requests open once the state allows them.
    Request(panel::kTriggerDialog);
    EXPECT_EQ(Shown(), "");
    EXPECT_EQ(TestDialog::Only()->CloseRequest(), panel::kCloseTrigger);
}

TEST_F(DialogRequestsTest, DuringPlaybackOnlyTheRecordDialogOpensAndCloseRequestsPass) {
    Request(panel::kAcquireDialog);
    setup_->nRecordState = oxcmd::code::kPlaying;
    Request(panel::kManualCursorDialog);
    EXPECT_EQ(Shown(), "Function not available");
    EXPECT_EQ(setup_->nCursorMode, oxcmd::code::kCursorsOff); // the request changed nothing
    ClickCloseMark(*TestDialog::Only());
    EXPECT_EQ(Dialogs(), 0u);

    Request(panel::kRecordDialog);
    EXPECT_EQ(Shown(), "");
    TestDialog* record = TestDialog::Only();
    ASSERT_NE(record, nullptr);
    ClickCloseMark(*record);
    EXPECT_EQ(Dialogs(), 0u);
}

TEST_F(DialogRequestsTest, TheDialogGetsTheRequestValueTheWindowsCopyAndTheTwoFonts) {
    Request(panel::kChannelDialog, 1);
    TestDialog* channel = TestDialog::Only();
    ASSERT_NE(channel, nullptr);
    EXPECT_EQ(channel->Value(), 1); // CH2
    EXPECT_EQ(region_->bChannelSelect, 0);
    const PluginContext& context = channel->Context();
    EXPECT_EQ(context.mainWindow, &main_);
    EXPECT_EQ(context.parent, &main_);
    EXPECT_EQ(context.setup, &view_.setup);
    EXPECT_EQ(context.region, &view_.region);
    EXPECT_FALSE(context.normalFont.bold());
    EXPECT_TRUE(context.boldFont.bold());
    setup_->fChanScale[1] = 0.5f;
    ASSERT_TRUE(context.refresh);
    context.refresh();
    EXPECT_EQ(context.setup->fChanScale[1], 0.5f);
}

TEST_F(DialogRequestsTest, CompletionsForADialogClosedMeanwhileAreSkipped) {
    Request(panel::kAcquireDialog);
    TestDialog* acquire = TestDialog::Only();
    ASSERT_NE(acquire, nullptr);
    // Its close request is handled before a change that names it as the window to refresh.
    ASSERT_TRUE(OxPost(oxcmd::group::kPanel, panel::kCloseAcquire));
    ASSERT_TRUE(OxPost(oxcmd::group::kAcquire, oxcmd::acquire::kType, 0, acquire));
    ASSERT_TRUE(OxPost(oxcmd::group::kRunControl, oxcmd::run::kRun, 0, acquire));
    Drain();
    EXPECT_EQ(Dialogs(), 0u);
    EXPECT_EQ(TestDialog::Deliveries(), 0);
}

TEST_F(DialogRequestsTest, TheMeasurementPanelClosesBeforeADialogThatShowsItsReadouts) {
    using Kind = ReadoutPanel::Kind;
    readouts_.shows = {Kind::Math, Kind::Cursor};
    Request(panel::kMathDialog); // no math trace shown: the panel stays
    EXPECT_EQ(readouts_.closed, 0);
    Request(panel::kAcquireDialog);
    EXPECT_EQ(readouts_.closed, 0);
    setup_->bTraceShown[2] = 1;
    Request(panel::kMathDialog);
    EXPECT_EQ(readouts_.closed, 1);

    readouts_.shows = {Kind::Cursor};
    Request(panel::kManualCursorDialog);
    EXPECT_EQ(readouts_.closed, 2);
    readouts_.shows = {Kind::Math};
    Request(panel::kManualCursorDialog);
    EXPECT_EQ(readouts_.closed, 2);
}

TEST_F(DialogRequestsTest, FloatingViewsFollowTheDelayedTimeBaseAndTheHorizontalDialog) {
    Request(panel::kAcquireDialog);
    EXPECT_FALSE(requests_->FloatingViewsShown());

    setup_->bDelayed = 1;
    Request(panel::kAcquireDialog);
    EXPECT_TRUE(requests_->FloatingViewsShown());
    EXPECT_EQ(TestDialog::Live().size(), 3u);

    // The horizontal dialog shows the time bases itself: no floating views while it is open.
    Request(panel::kHorizontalDialog);
    EXPECT_FALSE(requests_->FloatingViewsShown());
    ASSERT_TRUE(OxPost(oxcmd::group::kTimebase, oxcmd::timebase::kRedraw));
    Drain();
    EXPECT_FALSE(requests_->FloatingViewsShown());
    Request(panel::kCloseHorizontal);
    EXPECT_TRUE(requests_->FloatingViewsShown());
    EXPECT_EQ(TestDialog::Live().size(), 2u);

    // Beside the window, never over it, and with it when it moves.
    main_.setGeometry(40, 60, 300, 200);
    for (const QPoint move : {QPoint(0, 0), QPoint(30, 20)}) {
        main_.move(main_.pos() + move);
        requests_->PlaceFloatingViews();
        for (TestDialog* view : TestDialog::Live()) {
            EXPECT_FALSE(view->frameGeometry().intersects(main_.frameGeometry()));
            EXPECT_EQ(view->x(), main_.frameGeometry().right() + 1 + kFloatingGap);
        }
    }

    // Delayed off: the next completion takes them away; the alternate trigger wants them.
    setup_->bDelayed = 0;
    ASSERT_TRUE(OxPost(oxcmd::group::kTimebase, oxcmd::timebase::kDelayed));
    Drain();
    EXPECT_FALSE(requests_->FloatingViewsShown());
    setup_->nTrigMode = oxcmd::code::kAlternate;
    Request(panel::kChannelDialog);
    EXPECT_TRUE(requests_->FloatingViewsShown());

    // The default setup removes them even before the copy of the record has caught up.
    ASSERT_TRUE(OxPost(oxcmd::group::kRunControl, oxcmd::run::kDefaultSetup));
    Drain();
    EXPECT_FALSE(requests_->FloatingViewsShown());
    EXPECT_EQ(TestDialog::Live().size(), 1u);
}

} // namespace
} // namespace oxapp::test
