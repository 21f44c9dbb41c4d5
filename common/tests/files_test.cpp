#include "oxcommon.h"

#include "messageboxes.h"
#include "scratch.h"

#include <gtest/gtest.h>

#include <csignal>
#include <vector>

#include <sys/resource.h>

namespace {

using oxbow::MessageAnswer;
using oxbow::MessageButtons;
using oxbow::MessageIcon;
using oxbow::MessageQuestion;

const std::string kNew = "new contents";

class WriteFileTest : public ::testing::Test {
protected:
    ScratchDir dir;
    std::string target = dir / "wave.wfm";
    oxbow::ScriptedMessageBoxes boxes;
    oxbow::ScopedMessageBoxes installed{boxes};
};

TEST_F(WriteFileTest, WritesANewFileWithoutAsking) {
    EXPECT_EQ(OxWriteFile(kNew.data(), static_cast<int>(kNew.size()), target, false), 0);
    EXPECT_EQ(ReadText(target), kNew);
    EXPECT_TRUE(boxes.Questions().empty());
    EXPECT_EQ(dir.EntryCount(), 1);
}

TEST_F(WriteFileTest, LengthZeroWritesNothing) {
    EXPECT_EQ(OxWriteFile(kNew.data(), 0, target, true), 1);
    EXPECT_FALSE(std::filesystem::exists(target));
    WriteText(target, "old");
    EXPECT_EQ(OxWriteFile(kNew.data(), 0, target, true), 1);
    EXPECT_EQ(OxWriteFile(nullptr, 5, target, true), 1);
    EXPECT_EQ(ReadText(target), "old");
    EXPECT_TRUE(boxes.Questions().empty());
}

TEST_F(WriteFileTest, RefusalToReplaceKeepsTheOldFile) {
    WriteText(target, "old");
    boxes.QueueAnswer(MessageAnswer::Cancel);
    EXPECT_EQ(OxWriteFile(kNew.data(), static_cast<int>(kNew.size()), target, false), 4);
    EXPECT_EQ(ReadText(target), "old");
    ASSERT_EQ(boxes.Questions().size(), 1u);
    EXPECT_EQ(boxes.Questions()[0],
              (MessageQuestion{"This file already exist,Replace existing file", "",
                               MessageButtons::OkCancel, MessageIcon::Warning, true}));
    EXPECT_EQ(dir.EntryCount(), 1);
}

TEST_F(WriteFileTest, ReplacesAfterOk) {
    WriteText(target, "old");
    boxes.QueueAnswer(MessageAnswer::Ok);
    EXPECT_EQ(OxWriteFile(kNew.data(), static_cast<int>(kNew.size()), target, false), 0);
    EXPECT_EQ(ReadText(target), kNew);
}

TEST_F(WriteFileTest, OverwriteReplacesWithoutAsking) {
    WriteText(target, "a much longer old content than the new one");
    EXPECT_EQ(OxWriteFile(kNew.data(), static_cast<int>(kNew.size()), target, true), 0);
    EXPECT_EQ(ReadText(target), kNew);
    EXPECT_TRUE(boxes.Questions().empty());
}

TEST_F(WriteFileTest, WithNobodyToAskTheOldFileStays) {
    oxbow::MessageBoxes* previous = oxbow::InstallMessageBoxes(nullptr);
    WriteText(target, "old");
    EXPECT_EQ(OxWriteFile(kNew.data(), static_cast<int>(kNew.size()), target, false), 4);
    EXPECT_EQ(ReadText(target), "old");
    oxbow::InstallMessageBoxes(previous);
}

TEST_F(WriteFileTest, WritesFilesWithTheLongestNames) {
    std::string longest = dir / std::string(255, 'n');
    EXPECT_EQ(OxWriteFile(kNew.data(), static_cast<int>(kNew.size()), longest, true), 0);
    EXPECT_EQ(ReadText(longest), kNew);
}

TEST_F(WriteFileTest, UncreatableFilesGiveTwo) {
    EXPECT_EQ(OxWriteFile(kNew.data(), 3, dir / "missing/folder/file.set", true), 2);
    WriteText(dir / "plain", "x");
    EXPECT_EQ(OxWriteFile(kNew.data(), 3, dir / "plain/file.set", true), 2);
    std::filesystem::create_directory(dir / "folder");
    EXPECT_EQ(OxWriteFile(kNew.data(), 3, dir / "folder", true), 2);
    EXPECT_EQ(OxWriteFile(kNew.data(), 3, "", true), 2);
    EXPECT_EQ(dir.EntryCount(), 2);
}

// A file-size limit makes the write stop short, as a full disk does.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit saved_{};
    void (*previousHandler_)(int);
};

TEST_F(WriteFileTest, AShortWriteGivesTwoAndLeavesTheOldFile) {
    WriteText(target, "old");
    std::vector<char> big(100'000, 'x');
    {
        FileSizeLimit limit(4096);
        EXPECT_EQ(OxWriteFile(big.data(), static_cast<int>(big.size()), target, true), 2);
    }
    EXPECT_EQ(ReadText(target), "old");
    EXPECT_EQ(dir.EntryCount(), 1);
}

class ReadFileTest : public ::testing::Test {
protected:
    ScratchDir dir;
    std::string path = dir / "file.ref";
};

TEST_F(ReadFileTest, TaggedReadsAFileOfTheExpectedLength) {
    WriteText(path, "RF0123456789");
    std::vector<char> buffer(12);
    int length = 12;
    EXPECT_EQ(OxReadFile(0x4652, buffer.data(), length, path), 0);
    EXPECT_EQ(length, 12);
    EXPECT_EQ(std::string(buffer.data(), 12), "RF0123456789");
}

TEST_F(ReadFileTest, TaggedRefusesAWrongTagOrATinyFile) {
    std::vector<char> buffer(16);
    int length = 16;
    WriteText(path, "FR0123456789");
    EXPECT_EQ(OxReadFile(0x4652, buffer.data(), length, path), 3);
    WriteText(path, "R");
    EXPECT_EQ(OxReadFile(0x4652, buffer.data(), length, path), 3);
    WriteText(path, "");
    EXPECT_EQ(OxReadFile(0x4652, buffer.data(), length, path), 3);
    EXPECT_EQ(length, 16);
}

TEST_F(ReadFileTest, TaggedReportsTheTrueLengthOfAShorterFile) {
    WriteText(path, "WF1234");
    std::vector<char> buffer(10, '-');
    int length = 10;
    EXPECT_EQ(OxReadFile(0x4657, buffer.data(), length, path), 1);
    EXPECT_EQ(length, 6);
    EXPECT_EQ(std::string(buffer.data(), 10), "WF1234----");
}

TEST_F(ReadFileTest, TaggedNeverCopiesPastTheBuffer) {
    std::string contents = "WF" + std::string(200'000, 'z');
    WriteText(path, contents);
    std::vector<char> buffer(16, '-');
    int length = 10;
    EXPECT_EQ(OxReadFile(0x4657, buffer.data(), length, path), 1);
    EXPECT_EQ(length, 200'002);
    EXPECT_EQ(std::string(buffer.data(), 16), "WFzzzzzzzz------");
}

TEST_F(ReadFileTest, TaggedWithABufferSmallerThanTheTag) {
    WriteText(path, "WF12");
    char buffer[2] = {'-', '-'};
    int length = 1;
    EXPECT_EQ(OxReadFile(0x4657, buffer, length, path), 1);
    EXPECT_EQ(length, 4);
    EXPECT_EQ(buffer[0], 'W');
    EXPECT_EQ(buffer[1], '-');
}

TEST_F(ReadFileTest, UnopenableFilesGiveTwo) {
    char buffer[4];
    int length = 4;
    EXPECT_EQ(OxReadFile(0x4657, buffer, length, dir / "missing"), 2);
    EXPECT_EQ(OxReadFile(0x4657, buffer, length, dir.Path().string()), 2);
    EXPECT_EQ(OxReadFile(buffer, dir / "missing", 4), 2);
    EXPECT_EQ(OxReadFile(buffer, dir.Path().string(), 4), 2);
}

TEST_F(ReadFileTest, ExactReadsOnlyAFileOfTheExpectedLength) {
    WriteText(path, "0123456789");
    std::vector<char> buffer(12, '-');
    EXPECT_EQ(OxReadFile(buffer.data(), path, 10), 0);
    EXPECT_EQ(std::string(buffer.data(), 12), "0123456789--");
    std::fill(buffer.begin(), buffer.end(), '-');
    EXPECT_EQ(OxReadFile(buffer.data(), path, 8), 1);
    EXPECT_EQ(OxReadFile(buffer.data(), path, 11), 1);
    EXPECT_EQ(OxReadFile(buffer.data(), path, 0), 1);
    EXPECT_EQ(std::string(buffer.data(), 12), "------------");
}

TEST_F(ReadFileTest, ExactRefusesOneByteFiles) {
    WriteText(path, "x");
    char buffer[1];
    EXPECT_EQ(OxReadFile(buffer, path, 1), 3);
}

TEST_F(ReadFileTest, FileLength) {
    WriteText(path, "0123456789");
    EXPECT_EQ(OxGetFileLength(path), 10);
    EXPECT_EQ(OxGetFileLength(dir / "missing"), 0);
    EXPECT_EQ(OxGetFileLength(dir.Path().string()), 0);
}

TEST_F(ReadFileTest, WrittenFilesReadBack) {
    std::vector<unsigned char> image(8664);
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<unsigned char>(i * 7);
    }
    ASSERT_EQ(OxWriteFile(image.data(), 8664, path, true), 0);
    std::vector<unsigned char> back(8664);
    EXPECT_EQ(OxGetFileLength(path), 8664);
    EXPECT_EQ(OxReadFile(back.data(), path, 8664), 0);
    EXPECT_EQ(back, image);
}

} // namespace
