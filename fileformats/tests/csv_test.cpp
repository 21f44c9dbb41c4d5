// The CSV table: its ten column layouts, times, voltages and refusals.
#include "records_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

namespace {

using oxfile::Result;

// Splits the text into lines ended by a single line feed; fails on a missing last one or a CR.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        EXPECT_NE(end, std::string::npos) << "last line not ended";
        if (end == std::string::npos) {
            break;
        }
        lines.push_back(text.substr(start, end - start));
        EXPECT_EQ(lines.back().find('\r'), std::string::npos);
        start = end + 1;
    }
    return lines;
}

// A strict CSV row: plain comma-separated fields, no quoting.
std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream in(line);
    std::string field;
    while (std::getline(in, field, ',')) {
        EXPECT_EQ(field.find('"'), std::string::npos);
        fields.push_back(field);
    }
    if (!line.empty() && line.back() == ',') {
        fields.emplace_back();
    }
    return fields;
}

// A number printed with "%3.2e": d.dde±dd, and nothing after it.
double Number(const std::string& field) {
    EXPECT_EQ(field.size(), field[0] == '-' ? 9u : 8u) << field;
    char* end = nullptr;
    const double value = std::strtod(field.c_str(), &end);
    EXPECT_EQ(*end, '\0') << field;
    return value;
}

double Volts(const Acquisition& a, int c, std::uint8_t code) {
    const double zero =
        std::trunc(125.0 - a.setup.fChanOffsetRec[c] * 25.0 / a.setup.fChanScaleRec[c]);
    return (zero - code) * a.setup.fChanScaleRec[c] * 0.04;
}

TEST(CsvTest, Ch1RecordHasOneLinePerPointTimedFromTheRecordedOffset) {
    ScratchDir dir;
    const std::string path = dir / "Ch1.csv";
    Acquisition a(21);
    a.setup.bChanShownStop[1] = 0;
    a.setup.bLaShownStop = 0;
    ASSERT_EQ(oxfile::SaveCsvFile(path, a.setup, a.Samples(), true), Result::Ok);
    const std::vector<std::string> lines = Lines(ReadText(path));
    ASSERT_EQ(lines.size(), 602u);
    EXPECT_EQ(lines[0], "X,CH1");
    EXPECT_EQ(lines[1], "Second,Volt");
    const double t0 = 2e-6, dt = 1e-6;
    for (int i = 0; i < kPoints; ++i) {
        const std::vector<std::string> fields = Fields(lines[2 + i]);
        ASSERT_EQ(fields.size(), 2u);
        EXPECT_NEAR(Number(fields[0]), (i - 300) * dt + t0,
                    std::abs((i - 300) * dt + t0) * 0.006 + 1e-18);
        EXPECT_NEAR(Number(fields[1]), Volts(a, 0, a.ch1[i]),
                    std::abs(Volts(a, 0, a.ch1[i])) * 0.006 + 1e-18);
    }
    EXPECT_EQ(lines[302], "2.00e-06," + Fields(lines[302])[1]);
}

TEST(CsvTest, AllChannelsAndTheAnalyzerInHexadecimal) {
    Acquisition a(22);
    a.la[0] = 0xAB; // D7-D0 of point 0
    a.la[1] = 0x0C; // D15-D8
    const std::vector<std::string> lines = Lines(oxfile::BuildCsvText(a.setup, a.Samples()));
    ASSERT_EQ(lines.size(), 602u);
    EXPECT_EQ(lines[0], "X,CH1,CH2,D15-D8,D7-D0");
    EXPECT_EQ(lines[1], "Second,Volt,Amp.,Null,Null");
    const std::vector<std::string> first = Fields(lines[2]);
    ASSERT_EQ(first.size(), 5u);
    EXPECT_EQ(first[3], "0x0c");
    EXPECT_EQ(first[4], "0xab");
    EXPECT_NEAR(Number(first[2]), Volts(a, 1, a.ch2[0]),
                std::abs(Volts(a, 1, a.ch2[0])) * 0.006 + 1e-18);
}

struct Layout {
    bool ch1, ch2, la, alternate;
    const char* names;
    const char* units;
};

TEST(CsvTest, TenColumnLayouts) {
    const Layout layouts[] = {
        {true, true, true, false, "X,CH1,CH2,D15-D8,D7-D0", "Second,Volt,Watt,Null,Null"},
        {true, true, false, false, "X,CH1,CH2", "Second,Volt,Watt"},
        {true, false, true, false, "X,CH1,D15-D8,D7-D0", "Second,Volt,Null,Null"},
        {true, false, false, false, "X,CH1", "Second,Volt"},
        {false, true, true, false, "X,CH2,D15-D8,D7-D0", "Second,Watt,Null,Null"},
        {false, true, false, false, "X,CH2", "Second,Watt"},
        {false, false, true, false, "X,D15-D8,D7-D0", "Second,Null,Null"},
        {true, true, false, true, "X(CH1),CH1,X(CH2),CH2", "Second,Volt,Second,Watt"},
        {true, false, false, true, "X(CH1),CH1", "Second,Volt"},
        {false, true, false, true, "X(CH2),CH2", "Second,Watt"},
    };
    for (const Layout& layout : layouts) {
        Acquisition a(23);
        std::strcpy(a.setup.szChanUnit[1], "W");
        a.setup.bChanShownStop[0] = layout.ch1;
        a.setup.bChanShownStop[1] = layout.ch2;
        a.setup.bLaShownStop = layout.la;
        if (layout.alternate) {
            a.setup.nTrigMode = 4;
            a.setup.nAltMemoryRec[0] = a.setup.nAltMemoryRec[1] = 50;
            a.setup.fAltSampleRateRec[0] = a.setup.fAltSampleRateRec[1] = 1e3f;
            a.setup.llAltTimeOffsetPsRec[0] = 0;
            a.setup.llAltTimeOffsetPsRec[1] = 0;
        }
        const std::vector<std::string> lines = Lines(oxfile::BuildCsvText(a.setup, a.Samples()));
        ASSERT_GE(lines.size(), 3u) << layout.names;
        EXPECT_EQ(lines[0], layout.names);
        EXPECT_EQ(lines[1], layout.units);
        EXPECT_EQ(Fields(lines[2]).size(), Fields(lines[0]).size()) << layout.names;
    }
}

TEST(CsvTest, AlternateTriggerUsesEachChannelsOwnCountRateAndOffset) {
    Acquisition a(24);
    a.setup.nTrigMode = 4;
    a.setup.nAltMemoryRec[0] = 10;
    a.setup.nAltMemoryRec[1] = 20;
    a.setup.fAltSampleRateRec[0] = 1e3f;
    a.setup.fAltSampleRateRec[1] = 1e6f;
    a.setup.llAltTimeOffsetPsRec[0] = 1'000'000'000; // 1 ms
    a.setup.llAltTimeOffsetPsRec[1] = 0;
    const std::vector<std::string> lines = Lines(oxfile::BuildCsvText(a.setup, a.Samples()));
    ASSERT_EQ(lines.size(), 22u);
    const std::vector<std::string> centre = Fields(lines[2 + 5]);
    EXPECT_EQ(centre[0], "1.00e-03");
    EXPECT_EQ(Fields(lines[2 + 10])[2], "0.00e+00");
    const std::vector<std::string> past = Fields(lines[2 + 15]); // CH1 has run out of points
    ASSERT_EQ(past.size(), 4u);
    EXPECT_EQ(past[0], "");
    EXPECT_EQ(past[1], "");
    EXPECT_NEAR(Number(past[2]), 5e-6, 1e-8);
}

TEST(CsvTest, NothingShownOrNoRateOrScaleIsASaveFailure) {
    ScratchDir dir;
    const std::string path = dir / "x.csv";
    Acquisition a(25);
    a.setup.bChanShownStop[0] = a.setup.bChanShownStop[1] = a.setup.bLaShownStop = 0;
    EXPECT_EQ(oxfile::SaveCsvFile(path, a.setup, a.Samples(), true), Result::NoChannelShown);

    Acquisition rate(26);
    rate.setup.fSampleRateRec = 0;
    EXPECT_EQ(oxfile::SaveCsvFile(path, rate.setup, rate.Samples(), true), Result::BadRecord);
    Acquisition equivalent(27);
    equivalent.setup.bAcqRealTime = 0;
    equivalent.setup.fSampleRateRecEquiv = -1;
    EXPECT_EQ(oxfile::SaveCsvFile(path, equivalent.setup, equivalent.Samples(), true),
              Result::BadRecord);
    Acquisition scale(28);
    scale.setup.fChanScaleRec[1] = 0;
    EXPECT_EQ(oxfile::SaveCsvFile(path, scale.setup, scale.Samples(), true), Result::BadRecord);
    Acquisition alternate(29);
    alternate.setup.nTrigMode = 4;
    alternate.setup.nAltMemoryRec[0] = alternate.setup.nAltMemoryRec[1] = 10;
    alternate.setup.fAltSampleRateRec[0] = 1e3f;
    alternate.setup.fAltSampleRateRec[1] = 0;
    EXPECT_EQ(oxfile::SaveCsvFile(path, alternate.setup, alternate.Samples(), true),
              Result::BadRecord);
    Acquisition tooLong(30);
    tooLong.setup.nAcqMemoryRec = static_cast<int>(kBufferSize) + 1;
    EXPECT_EQ(oxfile::SaveCsvFile(path, tooLong.setup, tooLong.Samples(), true), Result::BadRecord);
    EXPECT_FALSE(std::filesystem::exists(path));
}

} // namespace
