// The three worker threads and the program's one lock.
//
//   I/O thread      every 1 ms: takes the lock without limit, runs its step (one queued I/O
//                   command and the display tick), releases it.
//   poll thread     every 30 ms: tries the lock for at most 10 ms and skips the tick when it
//                   did not get it; its step requests or reads live data.
//   receive thread  every 50 ms: takes the lock without limit; its step receives LAN replies.
//
// The poll and receive threads start suspended. SuspendWorkers and ResumeWorkers are called
// from the UI thread only: a suspended thread stops at the top of its loop and acknowledges;
// the caller waits for that acknowledgement at most 50 ms per thread (the thread may be
// inside a step that waits on the UI thread), the suspension holding either way from the next
// pause point on. Both are idempotent.
//
// Stop sets a stop flag that every loop checks outside the lock, wakes suspended and sleeping
// threads and joins all three. It never waits on the lock itself.
#pragma once

#include "oxacq.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace oxacq {

struct WorkerJobs {
    std::function<void()> io; // under the lock, every I/O tick
    // Under the lock, every poll tick that got it; returns how long the poll thread rests at
    // least before its next tick (the instrument's pause after a request), lock released.
    std::function<std::chrono::milliseconds()> poll;
    std::function<void()> receive; // under the lock, every receive tick
};

struct WorkerPeriods {
    std::chrono::milliseconds io{1};
    std::chrono::milliseconds poll{30};
    std::chrono::milliseconds pollLockWait{10};
    std::chrono::milliseconds receive{50};
    std::chrono::milliseconds suspendAck{50};
};

// The jobs of the acquisition loop: one I/O command and the display tick; LAN request or
// USB live read by the link in use; LAN receive.
WorkerJobs AcquisitionJobs(Acquisition& acquisition, AcqCommands& commands, const _OX_SETUP& setup);

class Workers {
public:
    Workers(std::timed_mutex& lock, const _OX_SETUP& setup, WorkerJobs jobs,
            WorkerPeriods periods = {});
    ~Workers();
    Workers(const Workers&) = delete;
    Workers& operator=(const Workers&) = delete;

    // Starts the three threads: the I/O thread running, the other two suspended.
    void Start();
    // Suspends the poll thread and, on LAN (`nInterface` 1), the receive thread.
    void SuspendWorkers();
    // Resumes them when the link is connected (`bConnected`); the receive thread on LAN only.
    void ResumeWorkers();
    // Stops and joins every thread; harmless when not started or already stopped.
    void Stop();

    bool Started() const { return started_; }
    // The suspension counters: 1 while the thread runs, 0 while it is suspended.
    int PollCounter() const { return poll_.counter; }
    int ReceiveCounter() const { return receive_.counter; }
    // True once the thread has reached its pause point since it was last suspended.
    bool PollPaused() const { return poll_.Paused(); }
    bool ReceivePaused() const { return receive_.Paused(); }

private:
    // A pause point at the top of a loop.
    struct Gate {
        mutable std::mutex mutex;
        std::condition_variable changed;
        bool run = false;    // what the UI thread asked for
        bool paused = false; // acknowledged by the thread
        int counter = 0;     // touched by the UI thread only

        bool Paused() const;
    };

    void IoLoop();
    void PollLoop();
    void ReceiveLoop();
    // Top of a suspendable loop: acknowledges a suspension and waits for resume or stop.
    // False when the thread is to end.
    bool PausePoint(Gate& gate);
    void Suspend(Gate& gate);
    void Resume(Gate& gate);
    // Sleeps `period` or until Stop; false when stopping.
    bool Rest(std::chrono::milliseconds period);

    std::timed_mutex& lock_;
    const _OX_SETUP& setup_;
    WorkerJobs jobs_;
    WorkerPeriods periods_;
    Gate poll_;
    Gate receive_;
    std::atomic<bool> stop_{false};
    std::mutex restMutex_;
    std::condition_variable restWake_;
    bool started_ = false;
    std::thread io_;
    std::thread pollThread_;
    std::thread receiveThread_;
};

} // namespace oxacq
