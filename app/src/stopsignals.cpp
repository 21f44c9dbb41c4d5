#include "stopsignals.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace oxapp {
namespace {

constexpr std::array<int, 2> kStopSignals{SIGTERM, SIGINT};

int g_pipe[2] = {-1, -1};

void OnStopSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

bool SetHandler(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(signal, &action, nullptr) == 0;
}

void ClosePipe() {
    for (int& end : g_pipe) {
        if (end >= 0) ::close(end);
        end = -1;
    }
}

} // namespace

StopSignals::StopSignals(std::function<void()> stop) : stop_(std::move(stop)) {
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { Drain(); });
    installed_ = true;
    for (int signal : kStopSignals)
        installed_ = SetHandler(signal, OnStopSignal) && installed_;
}

StopSignals::~StopSignals() {
    for (int signal : kStopSignals)
        SetHandler(signal, SIG_DFL);
    notifier_.reset();
    ClosePipe();
}

void StopSignals::Drain() {
    char bytes[16];
    bool signalled = false;
    while (::read(g_pipe[0], bytes, sizeof bytes) > 0)
        signalled = true;
    if (signalled && stop_) stop_();
}

} // namespace oxapp
