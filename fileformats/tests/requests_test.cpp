// The writer chosen by the file name and the command line's saves, reported per file.
#include "records_fixture.h"

#include <gtest/gtest.h>

namespace {

using oxfile::Result;

TEST(RequestsTest, NameChoosesTheWriterWhateverItsCase) {
    ScratchDir dir;
    Acquisition a(41);
    a.setup.bDataValid = 1;
    ASSERT_EQ(oxfile::SaveWaveformByName(dir / "A.CSV", a.setup, a.region, a.Samples(), true),
              Result::Ok);
    EXPECT_EQ(ReadText(dir / "A.CSV").substr(0, 4), "X,CH");
    ASSERT_EQ(oxfile::SaveWaveformByName(dir / "B.Wfm", a.setup, a.region, a.Samples(), true),
              Result::Ok);
    EXPECT_EQ(ReadText(dir / "B.Wfm").substr(0, 2), "WF");
    ASSERT_EQ(oxfile::SaveWaveformByName(dir / "C.kwfm", a.setup, a.region, a.Samples(), true),
              Result::Ok);
    EXPECT_EQ(ReadText(dir / "C.kwfm").substr(0, 2), "\xA5\xA5");

    a.setup.bDataValid = 0;
    const Result none =
        oxfile::SaveWaveformByName(dir / "D.wfm", a.setup, a.region, a.Samples(), true);
    EXPECT_EQ(none, Result::NoWaveformHeld);
    EXPECT_STREQ(oxfile::SaveResultText(none), "Save channel is invalid");
    EXPECT_FALSE(std::filesystem::exists(dir / "D.wfm"));
}

TEST(RequestsTest, EveryRequestedFileIsReportedAndExistingFilesReplaced) {
    ScratchDir dir;
    Acquisition a(42);
    a.setup.bDataValid = 1;
    WriteText(dir / "s.set", "old");
    const oxfile::SaveRequest request{dir / "t.csv", (dir / "missing" / "w.wfm").string(),
                                      dir / "s.set", dir / "r.sr", dir / "r.vcd"};
    const std::vector<oxfile::SaveReport> reports =
        oxfile::SaveRequestedFiles(request, a.setup, a.region, a.Samples());
    ASSERT_EQ(reports.size(), 5u);
    EXPECT_EQ(reports[0].path, request.csvPath);
    EXPECT_EQ(reports[0].result, Result::Ok);
    EXPECT_EQ(reports[1].result, Result::WriteFailed);
    EXPECT_EQ(reports[2].result, Result::Ok);
    EXPECT_EQ(reports[3].path, request.srPath);
    EXPECT_EQ(reports[3].result, Result::Ok);
    EXPECT_EQ(reports[4].result, Result::Ok);
    EXPECT_EQ(ReadText(dir / "r.vcd").substr(0, 9), "$version ");
    EXPECT_EQ(std::filesystem::file_size(dir / "s.set"), oxfile::kSetupFileSize);

    a.setup.bDataValid = 0;
    const std::vector<oxfile::SaveReport> setupOnly = oxfile::SaveRequestedFiles(
        {"", dir / "w.wfm", dir / "s2.set", dir / "x.sr", ""}, a.setup, a.region, a.Samples());
    ASSERT_EQ(setupOnly.size(), 3u);
    EXPECT_EQ(setupOnly[0].result, Result::NoWaveformHeld);
    EXPECT_EQ(setupOnly[1].result, Result::Ok);
    EXPECT_EQ(setupOnly[2].result, Result::NoWaveformHeld);
}

} // namespace
