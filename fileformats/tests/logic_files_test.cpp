// The stored record as signals, as a sigrok session and as a value change dump.
#include "records_fixture.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <map>

namespace {

using oxfile::Result;

// Every member of a zip by name.
std::map<std::string, std::string> Unzip(const std::string& bytes) {
    std::map<std::string, std::string> members;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (archive == nullptr) {
        zip_source_free(source);
        return members;
    }
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat);
        std::string content(static_cast<std::size_t>(stat.size), '\0');
        zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
        zip_fread(file, content.data(), content.size());
        zip_fclose(file);
        members[stat.name] = content;
    }
    zip_close(archive);
    zip_error_fini(&error);
    return members;
}

oxfile::RecordSignals Signals(const Acquisition& a) {
    oxfile::RecordSignals signals;
    EXPECT_EQ(oxfile::TakeRecordSignals(a.setup, a.Samples(), signals), Result::Ok);
    return signals;
}

Acquisition Held(unsigned seed) {
    Acquisition a(seed);
    a.setup.bDataValid = 1;
    a.setup.llTimeScalePsRec = 200'000'000;
    return a;
}

TEST(RecordSignals, TakesLinesAndVoltsAtTheRecordRate) {
    const Acquisition a = Held(51);
    const oxfile::RecordSignals s = Signals(a);
    EXPECT_DOUBLE_EQ(s.sampleRate, 1e6);
    ASSERT_EQ(s.Length(), static_cast<std::size_t>(kPoints));
    EXPECT_EQ(s.logic[7], a.la[14] | (a.la[15] << 8));
    // The CSV's volts: (trunc(125 - offset * 25 / scale) - code) * scale * 0.04.
    EXPECT_FLOAT_EQ(s.volts[0][3], static_cast<float>((112 - a.ch1[3]) * 0.5 * 0.04));
    EXPECT_NEAR(s.firstTime, 2e-6 - 300e-6, 1e-12);
}

TEST(RecordSignals, HalfRateAnalyzerPointsAreRepeated) {
    Acquisition a = Held(52);
    a.setup.bChanShownStop[1] = 0;
    a.setup.llTimeScalePsRec = 50'000;
    const oxfile::RecordSignals s = Signals(a);
    ASSERT_EQ(s.logic.size(), static_cast<std::size_t>(kPoints));
    EXPECT_EQ(s.logic[10], s.logic[11]);
    EXPECT_EQ(s.logic[11], a.la[10] | (a.la[11] << 8));
}

TEST(RecordSignals, RefusesWhatCannotBeOneRate) {
    oxfile::RecordSignals s;
    Acquisition a = Held(53);
    a.setup.bDataValid = 0;
    EXPECT_EQ(oxfile::TakeRecordSignals(a.setup, a.Samples(), s), Result::NoWaveformHeld);
    a = Held(53);
    a.setup.nTrigMode = 4;
    EXPECT_EQ(oxfile::TakeRecordSignals(a.setup, a.Samples(), s), Result::BadRecord);
    a = Held(53);
    a.setup.fSampleRateRec = 0.0f;
    EXPECT_EQ(oxfile::TakeRecordSignals(a.setup, a.Samples(), s), Result::BadRecord);
    a = Held(53);
    a.setup.nAcqMemoryRec = static_cast<int>(kBufferSize) + 1;
    EXPECT_EQ(oxfile::TakeRecordSignals(a.setup, a.Samples(), s), Result::BadRecord);
    a = Held(53);
    a.setup.bChanShownStop[0] = a.setup.bChanShownStop[1] = a.setup.bLaShownStop = 0;
    EXPECT_EQ(oxfile::TakeRecordSignals(a.setup, a.Samples(), s), Result::NoChannelShown);
}

TEST(SigrokSession, HoldsVersionMetadataLogicChunksAndFloatVolts) {
    const oxfile::RecordSignals s = Signals(Held(54));
    const auto members = Unzip(oxfile::BuildSigrokSession(s));
    EXPECT_EQ(members.at("version"), "2");
    std::string metadata = "[device 1]\ncapturefile=logic-1\ntotal probes=16\n"
                           "samplerate=1000000\ntotal analog=2\n";
    for (int line = 0; line < 16; ++line)
        metadata += "probe" + std::to_string(line + 1) + "=D" + std::to_string(line) + "\n";
    metadata += "analog17=CH1\nanalog18=CH2\nunitsize=2\n";
    EXPECT_EQ(members.at("metadata"), metadata);
    const std::string& logic = members.at("logic-1-1");
    ASSERT_EQ(logic.size(), 2u * kPoints);
    EXPECT_EQ(std::memcmp(logic.data(), s.logic.data(), logic.size()), 0);
    const std::string& ch2 = members.at("analog-1-18-1");
    ASSERT_EQ(ch2.size(), 4u * kPoints);
    float volts = 0.0f;
    std::memcpy(&volts, ch2.data() + 4 * 9, 4);
    EXPECT_FLOAT_EQ(volts, s.volts[1][9]);
    EXPECT_EQ(members.size(), 5u);
}

TEST(SigrokSession, ChannelsAloneAreNumberedFromOne) {
    Acquisition a = Held(55);
    a.setup.bLaShownStop = 0;
    a.setup.bChanShownStop[0] = 0;
    const auto members = Unzip(oxfile::BuildSigrokSession(Signals(a)));
    EXPECT_EQ(members.at("metadata"), "[device 1]\ntotal probes=0\nsamplerate=1000000\n"
                                      "total analog=1\nanalog1=CH2\n");
    EXPECT_EQ(members.count("analog-1-1-1"), 1u);
    EXPECT_EQ(members.count("logic-1-1"), 0u);
}

TEST(SigrokSession, IsWrittenThroughTheAtomicWriter) {
    ScratchDir dir;
    Acquisition a = Held(56);
    WriteText(dir / "old.sr", "old");
    EXPECT_EQ(oxfile::SaveSigrokFile(dir / "old.sr", a.setup, a.Samples(), false), Result::Refused);
    EXPECT_EQ(ReadText(dir / "old.sr"), "old");
    EXPECT_EQ(oxfile::SaveSigrokFile(dir / "old.sr", a.setup, a.Samples(), true), Result::Ok);
    EXPECT_EQ(Unzip(ReadText(dir / "old.sr")).at("version"), "2");
    EXPECT_EQ(dir.EntryCount(), 1);
}

TEST(Vcd, TimescaleIsOneSamplePeriodOrTheNextFinerUnit) {
    const std::pair<double, const char*> cases[] = {
        {1e-7, "100 ns"}, {2e-6, "1 us"},    {5e-6, "1 us"}, {1e-8, "10 ns"}, {1.0, "1 s"},
        {4e-9, "1 ns"},   {5e-10, "100 ps"}, {1e3, "100 s"}, {1e-16, "1 fs"}};
    for (const auto& [period, wanted] : cases) {
        double unit = 0.0;
        EXPECT_EQ(oxfile::VcdTimescale(period, unit), wanted) << period;
    }
}

TEST(Vcd, InitialValuesThenOneChangePerLineAndTheEnd) {
    oxfile::RecordSignals s;
    s.sampleRate = 5e5; // 2 us a sample: a unit of 1 us
    s.logic = {0x0001, 0x0001, 0x8000, 0x8001};
    const std::string text = oxfile::BuildVcdText(s);
    std::string header = "$version Oxbow $end\n$timescale 1 us $end\n$scope module oxbow $end\n";
    for (int line = 0; line < 16; ++line) {
        header += "$var wire 1 ";
        header += static_cast<char>('!' + line);
        header += " D" + std::to_string(line) + " $end\n";
    }
    header += "$upscope $end\n$enddefinitions $end\n#0\n$dumpvars\n1!\n";
    for (int line = 1; line < 16; ++line) {
        header += '0';
        header += static_cast<char>('!' + line);
        header += '\n';
    }
    EXPECT_EQ(text, header + "$end\n#4\n0!\n10\n#6\n1!\n#8\n");
}

TEST(Vcd, NeedsTheAnalyzerLines) {
    ScratchDir dir;
    Acquisition a = Held(57);
    a.setup.bLaShownStop = 0;
    EXPECT_EQ(oxfile::SaveVcdFile(dir / "a.vcd", a.setup, a.Samples(), true),
              Result::NoChannelShown);
    EXPECT_EQ(dir.EntryCount(), 0);
    a.setup.bLaShownStop = 1;
    EXPECT_EQ(oxfile::SaveVcdFile(dir / "a.vcd", a.setup, a.Samples(), true), Result::Ok);
    EXPECT_EQ(ReadText(dir / "a.vcd").back(), '\n');
}

} // namespace
