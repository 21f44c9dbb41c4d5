// Posters on their own threads against the I/O thread's loop: every entry arrives
// once, in its poster's order, with the argument its poster set for it.
#include "queue_fixture.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {

constexpr int kPosts = 20000;
constexpr unsigned long kGroup = 3135;

// The argument carries the poster and the sequence number, so a slot mixed with
// another poster's pair or an entry read before it was complete shows up.
std::int64_t ArgumentFor(int poster, int seq) {
    return (std::int64_t{poster} << 40) | (seq * 3 + 1);
}

class QueueConcurrencyTest : public CommandLayerTest {};

TEST_F(QueueConcurrencyTest, PostersAndConsumerLoseAndTearNothing) {
    constexpr int kPosters = 2;
    std::vector<int> next(kPosters, 0);
    std::atomic<int> received{0};
    std::atomic<int> faults{0};
    Handle(kGroup,
           [&](IOCmdContext&, unsigned int sub, long value, std::uint32_t low, std::uint32_t high) {
               const int poster = static_cast<int>(sub);
               const std::int64_t argument = (std::int64_t{high} << 32) | low;
               if (poster < 0 || poster >= kPosters || value != next[poster] ||
                   argument != ArgumentFor(poster, static_cast<int>(value)))
                   ++faults;
               else
                   ++next[poster];
               ++received;
           });

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    auto beforeDeadline = [&] { return std::chrono::steady_clock::now() < deadline; };
    std::atomic<bool> postersDone{false};
    std::thread consumer([&] {
        while (beforeDeadline() && (!postersDone || received < kPosters * kPosts)) {
            if (GetIOCmd())
                IOCmdProcess();
            else
                std::this_thread::yield();
        }
    });
    std::vector<std::thread> posters;
    for (int poster = 0; poster < kPosters; ++poster)
        posters.emplace_back([&, poster] {
            for (int seq = 0; seq < kPosts && beforeDeadline(); ++seq) {
                // The sub-command names the poster, so neighbours never coalesce.
                do
                    SetMsgVarLONG64(ArgumentFor(poster, seq));
                while (!OxPostIOCmd(kGroup, poster, seq, nullptr, nullptr, nullptr) &&
                       beforeDeadline());
            }
        });
    for (std::thread& t : posters)
        t.join();
    postersDone = true;
    consumer.join();

    EXPECT_EQ(faults, 0);
    EXPECT_EQ(received, kPosters * kPosts);
    EXPECT_EQ(next, std::vector<int>(kPosters, kPosts));
}

TEST_F(QueueConcurrencyTest, NotificationsReachAWindowOnlyWhileItLives) {
    // A dialog is closed while commands naming it are still queued: the ones
    // processed afterwards skip it, the main window hears about all of them.
    auto dialog = std::make_unique<CRecordingWnd>();
    CWnd* dialogPtr = dialog.get();
    std::atomic<bool> closeNow{false};
    std::atomic<bool> closed{false};
    Handle(kGroup, [&](IOCmdContext&, unsigned int, long value, std::uint32_t, std::uint32_t) {
        if (value == 100) closeNow = true;
        while (closeNow && !closed)
            std::this_thread::yield();
    });
    for (int i = 0; i < 200; ++i)
        EXPECT_TRUE(OxPostIOCmd(kGroup, 1125, i, dialogPtr, nullptr, nullptr));
    std::thread io([&] { Drain(); });
    while (!closeNow)
        std::this_thread::yield();
    const std::size_t heard = dialog->Messages().size();
    dialog.reset();
    closed = true;
    io.join();
    EXPECT_EQ(heard, 100u);
    EXPECT_EQ(mainWindow.Messages().size(), 200u);
}

} // namespace
