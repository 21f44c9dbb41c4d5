// The worker threads: start, pause points, suspend and resume, the poll thread's lock limit,
// and stop and join while a step is blocked in a message to the UI thread.
#include "oxworkers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <future>
#include <thread>

namespace oxacq {
namespace {

using namespace std::chrono_literals;

// Waits up to `limit` for `done`.
template <class Predicate>
bool Eventually(Predicate done, std::chrono::milliseconds limit = 2000ms) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

class WorkersTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::memset(&setup, 0, sizeof setup);
        setup.bConnected = 1;
        jobs.io = [this] { ++io; };
        jobs.poll = [this] {
            ++poll;
            return 0ms;
        };
        jobs.receive = [this] { ++receive; };
    }
    // Counts stay put for a while.
    bool Still(const std::atomic<int>& counter) {
        const int before = counter;
        std::this_thread::sleep_for(120ms);
        return counter == before;
    }

    _OX_SETUP setup;
    std::timed_mutex lock;
    WorkerJobs jobs;
    std::atomic<int> io{0};
    std::atomic<int> poll{0};
    std::atomic<int> receive{0};
};

TEST_F(WorkersTest, TheIoThreadRunsAtOnceTheOthersWaitForResume) {
    Workers workers(lock, setup, jobs);
    workers.Start();
    EXPECT_TRUE(Eventually([&] { return io > 5; }));
    EXPECT_TRUE(Eventually([&] { return workers.PollPaused(); }));
    EXPECT_EQ(poll, 0);
    EXPECT_EQ(receive, 0);
    EXPECT_EQ(workers.PollCounter(), 0);
    workers.Stop();
}

TEST_F(WorkersTest, SuspendAndResumeAreIdempotent) {
    setup.nInterface = 1;
    Workers workers(lock, setup, jobs);
    workers.Start();
    workers.ResumeWorkers();
    workers.ResumeWorkers();
    EXPECT_EQ(workers.PollCounter(), 1);
    EXPECT_EQ(workers.ReceiveCounter(), 1);
    EXPECT_TRUE(Eventually([&] { return poll > 2 && receive > 2; }));

    workers.SuspendWorkers();
    workers.SuspendWorkers();
    EXPECT_EQ(workers.PollCounter(), 0);
    EXPECT_EQ(workers.ReceiveCounter(), 0);
    EXPECT_TRUE(Eventually([&] { return workers.PollPaused() && workers.ReceivePaused(); }));
    EXPECT_TRUE(Still(poll));
    EXPECT_TRUE(Still(receive));

    workers.ResumeWorkers();
    const int before = poll;
    EXPECT_TRUE(Eventually([&] { return poll > before; }));
    workers.Stop();
}

TEST_F(WorkersTest, OnUsbTheReceiveThreadStaysSuspended) {
    Workers workers(lock, setup, jobs);
    workers.Start();
    workers.ResumeWorkers();
    EXPECT_TRUE(Eventually([&] { return poll > 1; }));
    EXPECT_EQ(workers.ReceiveCounter(), 0);
    EXPECT_EQ(receive, 0);
    workers.Stop();
}

TEST_F(WorkersTest, NothingResumesWithoutALink) {
    setup.bConnected = 0;
    Workers workers(lock, setup, jobs);
    workers.Start();
    workers.ResumeWorkers();
    EXPECT_EQ(workers.PollCounter(), 0);
    EXPECT_TRUE(Still(poll));
    workers.Stop();
}

TEST_F(WorkersTest, ThePollThreadSkipsItsTickWhileTheLockIsHeld) {
    Workers workers(lock, setup, jobs);
    workers.Start();
    workers.ResumeWorkers();
    EXPECT_TRUE(Eventually([&] { return poll > 0; }));
    {
        std::lock_guard held(lock);
        EXPECT_TRUE(Still(poll));
        EXPECT_TRUE(Still(io));
    }
    const int before = poll;
    EXPECT_TRUE(Eventually([&] { return poll > before; }));
    workers.Stop();
}

// The instrument's pause after a request is kept with the lock released, and it delays the
// poll thread's next tick.
TEST_F(WorkersTest, ThePauseAPollStepAsksForIsKeptOutsideTheLock) {
    jobs.poll = [this] {
        ++poll;
        return 300ms;
    };
    Workers workers(lock, setup, jobs);
    workers.Start();
    workers.ResumeWorkers();
    ASSERT_TRUE(Eventually([&] { return poll == 1; }));
    {
        std::unique_lock taken(lock, std::defer_lock);
        EXPECT_TRUE(taken.try_lock_for(20ms));
    }
    EXPECT_TRUE(Still(poll));
    EXPECT_TRUE(Eventually([&] { return poll == 2; }));
    workers.Stop();
}

TEST_F(WorkersTest, StopWithoutStartAndTwiceIsHarmless) {
    Workers idle(lock, setup, jobs);
    idle.Stop();
    Workers workers(lock, setup, jobs);
    workers.Start();
    workers.Stop();
    workers.Stop();
    const int after = io;
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(io, after);
}

// A route to a UI thread that is busy until shutdown begins, then refuses every message.
class BusyUntilShutdown : public CWndMessageRoute {
public:
    LRESULT Deliver(const std::function<LRESULT()>&, LRESULT refused) override {
        std::unique_lock guard(mutex_);
        ++waiting_;
        changed_.notify_all();
        changed_.wait(guard, [&] { return shutdown_; });
        return refused;
    }
    void BeginShutdown() {
        std::lock_guard guard(mutex_);
        shutdown_ = true;
        changed_.notify_all();
    }
    bool SomeoneWaiting() {
        std::lock_guard guard(mutex_);
        return waiting_ > 0;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int waiting_ = 0;
    bool shutdown_ = false;
};

class Window : public CWnd {
protected:
    LRESULT WindowProc(UINT, WPARAM, LPARAM) override { return 0; }
};

TEST_F(WorkersTest, StopJoinsWhileAStepWaitsOnTheUiThread) {
    BusyUntilShutdown route;
    Window window;
    CWnd::SetMessageRoute(&route);
    jobs.io = [&] { window.SendMessage(3125, 1826, 0); };
    auto workers = std::make_unique<Workers>(lock, setup, jobs);
    workers->Start();
    workers->ResumeWorkers(); // the poll thread now waits for the lock the I/O thread holds
    ASSERT_TRUE(Eventually([&] { return route.SomeoneWaiting(); }));

    auto stopped = std::async(std::launch::async, [&] {
        route.BeginShutdown();
        workers->Stop();
    });
    EXPECT_EQ(stopped.wait_for(3s), std::future_status::ready);
    stopped.wait();
    CWnd::SetMessageRoute(nullptr);
}

TEST_F(WorkersTest, SuspendDoesNotWaitLongOnAThreadBusyWithTheUi) {
    std::atomic<bool> release{false};
    jobs.poll = [&] {
        while (!release)
            std::this_thread::sleep_for(1ms);
        return 0ms;
    };
    Workers workers(lock, setup, jobs);
    workers.Start();
    workers.ResumeWorkers();
    std::this_thread::sleep_for(50ms);
    const auto start = std::chrono::steady_clock::now();
    workers.SuspendWorkers();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_EQ(workers.PollCounter(), 0);
    release = true;
    EXPECT_TRUE(Eventually([&] { return workers.PollPaused(); }));
    workers.Stop();
}

} // namespace
} // namespace oxacq
