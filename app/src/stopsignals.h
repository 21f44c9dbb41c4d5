// SIGTERM and SIGINT (logout, kill, Ctrl+C) end the program like its Close button. The
// handler only writes a byte to a pipe; a socket notifier on the UI thread reads it and runs
// `stop` there, so nothing unsafe happens inside the handler.
#pragma once

#include <QObject>

#include <functional>
#include <memory>

class QSocketNotifier;

namespace oxapp {

class StopSignals final : public QObject {
public:
    // Installs the handlers for this object's lifetime (one object at a time).
    explicit StopSignals(std::function<void()> stop);
    ~StopSignals() override;
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // False when the pipe or the handlers could not be set up (the signals then keep their
    // default action).
    bool Installed() const { return installed_; }

private:
    void Drain();

    std::function<void()> stop_;
    std::unique_ptr<QSocketNotifier> notifier_;
    bool installed_ = false;
};

} // namespace oxapp
