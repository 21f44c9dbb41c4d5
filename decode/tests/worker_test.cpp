// The decode thread: results handed over, records waiting replaced, never queued on.
#include "decode_fixture.h"

#include <condition_variable>

namespace oxdecode::test {
namespace {

TEST(Worker, DecodesOnItsOwnThreadAndKeepsOneRecordWaiting) {
    RequireDecoders();
    const auto signals = std::make_shared<oxfile::RecordSignals>(
        Record({"uart,tx=D3,baud=115200,text=Hello", "", 1e-4}));
    const std::vector<StackSpec> stacks{Stack("uart:rx=D3:baudrate=115200")};
    DecodeWorker worker;
    std::mutex mutex;
    std::condition_variable done;
    std::vector<long> finished;
    std::thread::id decodingThread;
    // The first result is held up until every record has been handed over.
    std::mutex gate;
    std::unique_lock held(gate);
    worker.SetOnResult([&](long serial) {
        std::lock_guard wait(gate);
        std::lock_guard guard(mutex);
        finished.push_back(serial);
        decodingThread = std::this_thread::get_id();
        done.notify_all();
    });
    std::vector<long> serials;
    for (int frame = 0; frame < 10; ++frame)
        serials.push_back(worker.Submit({stacks, signals, {}}));
    held.unlock();
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(done.wait_for(lock, std::chrono::seconds(30), [&] {
            return !finished.empty() && finished.back() == serials.back();
        }));
        EXPECT_NE(decodingThread, std::this_thread::get_id());
    }
    const DecodeWorker::Counts counts = worker.Tally();
    EXPECT_EQ(counts.submitted, 10);
    EXPECT_EQ(counts.decoded + counts.skipped, 10);
    // At most the first and the last are decoded: the others waited behind the first and
    // were replaced by the next.
    EXPECT_LE(counts.decoded, 2);
    EXPECT_GE(counts.skipped, 8);
    const auto latest = worker.Latest();
    ASSERT_NE(latest, nullptr);
    EXPECT_EQ(latest->serial, serials.back());
    EXPECT_EQ(worker.ResultOf(serials.back()), latest);
    EXPECT_EQ(worker.ResultOf(serials.front()), nullptr);
    EXPECT_EQ(Bytes(*latest, "uart", "rx-data"), TextBytes("Hello"));
}

TEST(Worker, StopsWithADecodeInProgress) {
    RequireDecoders();
    auto signals = std::make_shared<oxfile::RecordSignals>(
        Record({"uart,tx=D3,baud=115200,text=Hello", "", 1e-4}));
    // A long record: the worker is destroyed while it decodes.
    auto& logic = signals->logic;
    const std::vector<std::uint16_t> one = logic;
    for (int copy = 0; copy < 200; ++copy)
        logic.insert(logic.end(), one.begin(), one.end());
    {
        DecodeWorker worker;
        static_cast<void>(worker.Submit({{Stack("uart:rx=D3:baudrate=115200")}, signals, {}}));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    SUCCEED(); // the destructor returned
}

} // namespace
} // namespace oxdecode::test
