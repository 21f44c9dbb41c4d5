// The worker threads: loops, pause points, stop and join.
#include "oxworkers.h"

namespace oxacq {

WorkerJobs AcquisitionJobs(Acquisition& acquisition, AcqCommands& commands,
                           const _OX_SETUP& setup) {
    WorkerJobs jobs;
    jobs.io = [&acquisition, &commands] {
        commands.ProcessIOCmd();
        acquisition.DisplayTick();
    };
    jobs.poll = [&acquisition, &setup] {
        if (setup.nInterface != oxcmd::code::kUsb) return acquisition.LanDataRequest();
        acquisition.UsbLiveRead();
        return std::chrono::milliseconds(0);
    };
    jobs.receive = [&acquisition] { acquisition.LanReceive(); };
    return jobs;
}

bool Workers::Gate::Paused() const {
    std::lock_guard guard(mutex);
    return paused;
}

Workers::Workers(std::timed_mutex& lock, const _OX_SETUP& setup, WorkerJobs jobs,
                 WorkerPeriods periods)
    : lock_(lock), setup_(setup), jobs_(std::move(jobs)), periods_(periods) {}

Workers::~Workers() {
    Stop();
}

void Workers::Start() {
    if (started_ || stop_) return;
    started_ = true;
    io_ = std::thread([this] { IoLoop(); });
    pollThread_ = std::thread([this] { PollLoop(); });
    receiveThread_ = std::thread([this] { ReceiveLoop(); });
}

void Workers::SuspendWorkers() {
    while (poll_.counter > 0)
        Suspend(poll_);
    if (setup_.nInterface == oxcmd::code::kLan) {
        while (receive_.counter >= 1)
            Suspend(receive_);
    }
}

void Workers::ResumeWorkers() {
    if (!setup_.bConnected) return;
    while (poll_.counter < 1)
        Resume(poll_);
    if (setup_.nInterface == oxcmd::code::kLan) {
        while (receive_.counter < 1)
            Resume(receive_);
    }
}

void Workers::Suspend(Gate& gate) {
    std::unique_lock guard(gate.mutex);
    gate.run = false;
    gate.changed.notify_all();
    // The thread may be inside a step that waits on the UI thread: wait for it only briefly.
    gate.changed.wait_for(guard, periods_.suspendAck, [&] { return gate.paused || !started_; });
    --gate.counter;
}

void Workers::Resume(Gate& gate) {
    std::lock_guard guard(gate.mutex);
    gate.run = true;
    gate.changed.notify_all();
    ++gate.counter;
}

void Workers::Stop() {
    stop_ = true;
    for (Gate* gate : {&poll_, &receive_}) {
        std::lock_guard guard(gate->mutex);
        gate->changed.notify_all();
    }
    {
        std::lock_guard guard(restMutex_);
        restWake_.notify_all();
    }
    for (std::thread* thread : {&io_, &pollThread_, &receiveThread_}) {
        if (thread->joinable()) thread->join();
    }
}

bool Workers::PausePoint(Gate& gate) {
    std::unique_lock guard(gate.mutex);
    if (!gate.run && !stop_) {
        gate.paused = true;
        gate.changed.notify_all();
        gate.changed.wait(guard, [&] { return gate.run || stop_.load(); });
    }
    gate.paused = false;
    return !stop_;
}

bool Workers::Rest(std::chrono::milliseconds period) {
    std::unique_lock guard(restMutex_);
    restWake_.wait_for(guard, period, [&] { return stop_.load(); });
    return !stop_;
}

void Workers::IoLoop() {
    while (!stop_) {
        {
            std::lock_guard guard(lock_);
            jobs_.io();
        }
        if (!Rest(periods_.io)) return;
    }
}

void Workers::PollLoop() {
    while (PausePoint(poll_)) {
        std::chrono::milliseconds rest = periods_.poll;
        if (lock_.try_lock_for(periods_.pollLockWait)) {
            std::lock_guard guard(lock_, std::adopt_lock);
            rest = std::max(rest, jobs_.poll());
        }
        if (!Rest(rest)) return;
    }
}

void Workers::ReceiveLoop() {
    while (PausePoint(receive_)) {
        {
            std::lock_guard guard(lock_);
            jobs_.receive();
        }
        if (!Rest(periods_.receive)) return;
    }
}

} // namespace oxacq
