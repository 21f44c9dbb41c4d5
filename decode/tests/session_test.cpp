// The decoder library's traps, each held by a test that fails when the trap is walked into
// again, and stacking.
#include "decode_fixture.h"

#include <dirent.h>

namespace oxdecode::test {
namespace {

class Session : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RequireDecoders();
        uart_ = new oxfile::RecordSignals(Record({"uart,tx=D3,baud=115200,text=Hello", "", 1e-4}));
        i2c_ = new oxfile::RecordSignals(
            Record({"i2c,scl=D0,sda=D15,rate=100k,address=0x50,hex=10AB", "", 5e-5}));
    }
    static void TearDownTestSuite() {
        delete uart_;
        delete i2c_;
    }
    static const oxfile::RecordSignals& Uart() { return *uart_; }
    static const oxfile::RecordSignals& I2c() { return *i2c_; }

private:
    static inline oxfile::RecordSignals* uart_ = nullptr;
    static inline oxfile::RecordSignals* i2c_ = nullptr;
};

DecodeResult DecodeInChunks(const std::vector<StackSpec>& stacks,
                            const oxfile::RecordSignals& signals, std::uint64_t chunk) {
    DecodeLimits limits;
    limits.chunkSamples = chunk;
    return DecodeRecord(stacks, signals, {}, limits);
}

int ThreadCount() {
    int count = 0;
    if (DIR* tasks = opendir("/proc/self/task")) {
        while (const dirent* entry = readdir(tasks))
            count += entry->d_name[0] != '.' ? 1 : 0;
        closedir(tasks);
    }
    return count;
}

// The end sample of a chunk is the one after its last, chunks start at 0 and each starts
// where the one before ended: otherwise the library refuses the chunks after the first (or
// the first), and every chunking would not give the same annotations.
TEST_F(Session, ChunksStartAtZeroFollowEachOtherAndEndExclusive) {
    const std::vector<StackSpec> stacks{Stack("uart:rx=D3:baudrate=115200")};
    const DecodeResult whole = DecodeInChunks(stacks, Uart(), Uart().Length());
    ASSERT_EQ(whole.stacks[0].error, "");
    EXPECT_EQ(Bytes(whole, "uart", "rx-data"), TextBytes("Hello"));
    for (const std::uint64_t chunk : {1000u, 7u, 1u}) {
        const DecodeResult chunked = DecodeInChunks(stacks, Uart(), chunk);
        EXPECT_EQ(chunked.stacks[0].error, "") << chunk;
        EXPECT_EQ(AnnotationLines(chunked), AnnotationLines(whole)) << chunk;
    }
}

// 0.5.3 has no end-of-stream call: a session is torn down after its last chunk, and its
// decoder threads end with it. Sessions kept alive would pile their threads up.
TEST_F(Session, EverySessionIsTornDownWithItsThreads) {
    const std::vector<StackSpec> stacks{Stack("uart:rx=D3:baudrate=115200"),
                                        Stack("i2c:scl=D0:sda=D15,eeprom24xx")};
    const DecodeResult first = DecodeRecord(stacks, Uart());
    const int threads = ThreadCount();
    for (int run = 0; run < 20; ++run) {
        const DecodeResult again = DecodeRecord(stacks, Uart());
        EXPECT_EQ(AnnotationLines(again), AnnotationLines(first));
    }
    EXPECT_EQ(ThreadCount(), threads);
}

// Only the first callback of an output type is called: one callback serves every instance,
// so two stacks in one session and a decoder stacked on another all deliver.
TEST_F(Session, OneCallbackServesEveryStackAndEveryLevel) {
    auto both = Uart();
    for (std::size_t i = 0; i < both.logic.size(); ++i)
        both.logic[i] =
            static_cast<std::uint16_t>((both.logic[i] & 0x0008) | (I2c().logic[i] & 0x8001));
    const DecodeResult result = DecodeRecord(
        {Stack("uart:rx=D3:baudrate=115200"), Stack("i2c:scl=D0:sda=D15,eeprom24xx")}, both);
    ASSERT_EQ(result.stacks.size(), 2u);
    EXPECT_EQ(Bytes(result, "uart", "rx-data"), TextBytes("Hello"));
    EXPECT_EQ(Bytes(result, "i2c", "data-write"), (std::vector<int>{0x10, 0xAB}));
    const std::string lines = AnnotationLines(result);
    EXPECT_NE(lines.find("eeprom24xx: Operations: Byte write (addr=10, 1 byte): AB"),
              std::string::npos)
        << lines;
}

// An annotation's class is an index into the decoder's classes; its row is the row that
// lists that class. UART's data class (0) is in its second row, not in row 0.
TEST_F(Session, AnnotationsLandInTheRowThatListsTheirClass) {
    const DecodeResult result = DecodeRecord({Stack("uart:rx=D3:baudrate=115200")}, Uart());
    const DecoderInfo& uart = *FindDecoder("uart");
    int data = 0;
    for (const RowResult& row : result.stacks[0].rows) {
        const AnnotationRow& declared =
            *std::find_if(uart.rows.begin(), uart.rows.end(),
                          [&](const AnnotationRow& r) { return r.id == row.rowId; });
        for (const Annotation& a : row.annotations) {
            EXPECT_NE(std::find(declared.classes.begin(), declared.classes.end(), a.classIndex),
                      declared.classes.end())
                << row.rowId << " holds class " << uart.classes[a.classIndex].id;
            if (uart.classes[a.classIndex].id == "rx-data") {
                EXPECT_EQ(row.rowId, "rx-data");
                EXPECT_EQ(row.rowDesc, "RX");
                ++data;
            }
        }
    }
    EXPECT_EQ(data, 5);
}

TEST_F(Session, AnnotationsAreSortedByStartSample) {
    const DecodeResult result = DecodeRecord({Stack("i2c:scl=D0:sda=D15,eeprom24xx")}, I2c());
    int rows = 0;
    for (const RowResult& row : result.stacks[0].rows) {
        rows += row.annotations.empty() ? 0 : 1;
        EXPECT_TRUE(std::is_sorted(
            row.annotations.begin(), row.annotations.end(),
            [](const Annotation& a, const Annotation& b) { return a.start < b.start; }))
            << row.rowId;
    }
    EXPECT_GE(rows, 4);
}

TEST_F(Session, AStackTheRecordCannotFeedSaysWhyAndTheOthersDecode) {
    const DecodeResult result = DecodeRecord(
        {Stack("uart:rx=CH2:baudrate=115200"), Stack("uart:rx=D3:baudrate=115200")}, Uart());
    EXPECT_EQ(result.stacks[0].error, "CH2 is not in the record");
    EXPECT_TRUE(result.stacks[0].rows.empty());
    EXPECT_EQ(result.stacks[1].error, "");
    EXPECT_EQ(Bytes(result, "uart", "rx-data"), TextBytes("Hello"));
}

TEST_F(Session, ARecordWithoutARateIsRefusedNotSent) {
    auto signals = Uart();
    signals.sampleRate = 0.0;
    const DecodeResult result = DecodeRecord({Stack("uart:rx=D3")}, signals);
    EXPECT_EQ(result.stacks[0].error, "the record has no sample rate");
}

} // namespace
} // namespace oxdecode::test
