// One QApplication for the whole test program, created before the first test and
// destroyed after the last (tests run on the thread that made it: the UI thread).
#pragma once

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <future>

namespace oxbow::ui::test {

class QtApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;
};

// Processes UI events until `done` holds or `ms` pass; true when it held.
bool WaitFor(const std::function<bool()>& done, int ms = 5000);

// Runs `work` on a worker thread while the UI thread keeps serving events; its result.
template <typename Work> auto OnWorker(Work work) {
    auto result = std::async(std::launch::async, std::move(work));
    EXPECT_TRUE(WaitFor(
        [&] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    return result.get();
}

// Runs `act` on the UI thread once a modal widget of type T is up, with that widget.
template <typename T> void WhenModalShown(std::function<void(T&)> act) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        if (auto* modal = qobject_cast<T*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(*modal);
        }
    });
    poll->start(10);
}

} // namespace oxbow::ui::test
