#include "qtapp.h"
#include "uiqueue.h"

#include <QThread>

#include <array>
#include <thread>
#include <vector>

namespace oxbow::ui {
namespace {

using test::WaitFor;

// What the sender wrote before it queued a function is what the function reads: the values
// are plain memory, ordered by the hand-over alone (the thread checker of the sanitizer build
// reports any read it does not find ordered).
TEST(UiQueue, AWorkersFunctionsRunOnTheUiThreadInOrderAndSeeWhatItWroteBefore) {
    UiQueue queue;
    constexpr int kCount = 200;
    std::array<int, kCount> values{};
    std::vector<int> ran; // UI thread only
    bool allOnUiThread = true;
    QThread* const ui = QThread::currentThread();
    std::thread worker([&] {
        for (int i = 0; i < kCount; ++i) {
            values[i] = 3 * i + 1;
            const bool queued = queue.Push([&, i] {
                ran.push_back(values[i]);
                allOnUiThread = allOnUiThread && QThread::currentThread() == ui;
            });
            EXPECT_TRUE(queued);
        }
    });
    EXPECT_TRUE(WaitFor([&] { return ran.size() == kCount; }));
    worker.join();
    ASSERT_EQ(ran.size(), static_cast<std::size_t>(kCount));
    for (int i = 0; i < kCount; ++i)
        EXPECT_EQ(ran[i], 3 * i + 1) << i;
    EXPECT_TRUE(allOnUiThread);
}

TEST(UiQueue, AFunctionRunningAnEventLoopLeavesTheNextOnesInOrderAndAGoneQueueRunsNothing) {
    std::vector<int> ran;
    {
        UiQueue queue;
        ASSERT_TRUE(queue.Push([&] {
            ran.push_back(1);
            WaitFor([] { return false; }, 200); // a modal box's loop, in short
        }));
        ASSERT_TRUE(queue.Push([&] { ran.push_back(2); }));
        ASSERT_TRUE(queue.Push([&] { ran.push_back(3); }));
        EXPECT_TRUE(WaitFor([&] { return ran.size() == 3; }));
        EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));

        ASSERT_TRUE(queue.Push([&] { ran.push_back(4); }));
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(ran.size(), 3u) << "a function queued to a destroyed queue ran";
}

} // namespace
} // namespace oxbow::ui
