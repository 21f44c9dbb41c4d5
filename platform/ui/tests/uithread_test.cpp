#include "qtapp.h"
#include "qtmessageroute.h"

#include <QThread>

#include <atomic>
#include <future>
#include <thread>

namespace oxbow::ui {
namespace {

using test::WaitFor;

// A window that records on which thread its procedure ran and answers wParam + 1.
class ThreadNoting final : public CWnd {
public:
    std::atomic<QThread*> ranOn{nullptr};
    std::atomic<int> calls{0};

protected:
    LRESULT WindowProc(UINT, WPARAM wParam, LPARAM) override {
        ranOn = QThread::currentThread();
        ++calls;
        return static_cast<LRESULT>(wParam) + 1;
    }
};

TEST(QtMessageRoute, AWorkerSendRunsTheHandlerOnTheUiThreadAndReturnsItsResult) {
    UiThread ui;
    ScopedQtMessageRoute route(ui);
    ThreadNoting wnd;

    EXPECT_EQ(test::OnWorker([&] { return wnd.SendMessage(3125, 41, 0); }), 42);
    EXPECT_EQ(wnd.ranOn.load(), QThread::currentThread());

    // On the UI thread the send is a direct call.
    EXPECT_EQ(wnd.SendMessage(3125, 9, 0), 10);
    EXPECT_EQ(wnd.calls.load(), 2);
}

TEST(QtMessageRoute, AfterShutdownBeginsASendIsRefusedAtOnce) {
    UiThread ui;
    ScopedQtMessageRoute route(ui);
    ThreadNoting wnd;
    ui.BeginShutdown();

    // No event processing here: a send that waited for the UI thread would never return.
    auto answer = std::async(std::launch::async, [&] { return wnd.SendMessage(3125, 1, 0); });
    ASSERT_EQ(answer.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(answer.get(), 0);
    EXPECT_EQ(wnd.calls.load(), 0);

    // The UI thread's own sends wait for nobody and still arrive.
    EXPECT_EQ(wnd.SendMessage(3125, 1, 0), 2);
}

TEST(QtMessageRoute, ShutdownReleasesAWorkerAlreadyWaitingAndItsHandlerNeverRuns) {
    UiThread ui;
    ScopedQtMessageRoute route(ui);
    ThreadNoting wnd;

    std::atomic<bool> sending{false};
    auto answer = std::async(std::launch::async, [&] {
        sending = true;
        return wnd.SendMessage(3125, 1, 0);
    });
    while (!sending)
        std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(20)); // let it reach its wait
    ui.BeginShutdown(); // the UI thread is about to join workers, not to serve them

    ASSERT_EQ(answer.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(answer.get(), 0);
    QCoreApplication::processEvents(); // the queued call, if any, finds the caller gone
    EXPECT_EQ(wnd.calls.load(), 0);
}

TEST(QtMessageRoute, APostedMessageIsDeliveredLaterAndSkippedForAClosedWindow) {
    UiThread ui;
    ScopedQtMessageRoute route(ui);
    ThreadNoting kept;
    CWndRef closedRef;
    {
        ThreadNoting closed;
        closedRef = CWndRef::Of(&closed);
        EXPECT_TRUE(PostWndMessage(ui, closedRef, 3124, 1, 0));
    }
    EXPECT_TRUE(PostWndMessage(ui, CWndRef::Of(&kept), 3124, 1, 0));
    EXPECT_EQ(kept.calls.load(), 0); // queued, not run on the spot
    EXPECT_TRUE(WaitFor([&] { return kept.calls.load() == 1; }));

    ui.BeginShutdown();
    EXPECT_FALSE(PostWndMessage(ui, CWndRef::Of(&kept), 3124, 1, 0));
}

} // namespace
} // namespace oxbow::ui
