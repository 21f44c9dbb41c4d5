// Records made by the simulated instrument, turned into the signals the decoders take, and
// the bytes read back from the decoders' annotations.
#pragma once

#include "oxdecode.h"
#include "oxsim.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace oxdecode::test {

// The library, set up once for the whole test program.
inline void RequireDecoders() {
    std::string error;
    ASSERT_TRUE(Initialise(error)) << error;
}

inline StackSpec Stack(const std::string& text) {
    StackSpec stack;
    std::string error;
    EXPECT_TRUE(ParseStackText(text, stack, error)) << text << ": " << error;
    return stack;
}

// What the instrument is asked to show, and how the record is taken.
struct Capture {
    std::string digital; // the --digital text; empty: the analyzer off
    std::string ch1;     // CH1's signal; empty: a 100 Hz square that only triggers
    double timeScale = 1e-4;
    bool triggerOnCh1Bus = false; // a falling edge at 1.65 V on CH1 (a bus there)
};

// Runs the instrument for a while, stops it and returns its full record as signals: the
// analyzer's lines when shown, CH1 in volts when it carries the bus. The trigger (a 100 Hz
// square on CH1, or the bus itself) lies where a burst starts, at the record's middle.
inline oxfile::RecordSignals Record(const Capture& capture) {
    using namespace oxbow::sim;
    InstrumentOptions options;
    options.model = "OXB-A3M";
    Instrument instrument(options, std::make_shared<ManualClock>());
    std::string error;
    SignalSource ch1;
    EXPECT_TRUE(ParseSignalText(capture.ch1.empty() ? "square,100,3Vpp" : capture.ch1, ch1, error))
        << error;
    instrument.SetSignal(0, ch1);
    const bool analyzer = !capture.digital.empty();
    if (analyzer) {
        DigitalSource digital;
        EXPECT_TRUE(ParseDigitalText(capture.digital, digital, error)) << error;
        instrument.SetDigital(digital);
    }
    const bool ch1Shown = !capture.ch1.empty();
    instrument.Execute(std::string(":CHANNEL1:DISPLAY ") + (ch1Shown ? "ON" : "OFF"));
    instrument.Execute(":CHANNEL2:DISPLAY OFF");
    instrument.Execute(std::string(":LA:DISPLAY ") + (analyzer ? "ON" : "OFF"));
    instrument.Execute(":TIMEBASE:SCALE " + std::to_string(capture.timeScale));
    if (capture.triggerOnCh1Bus) {
        instrument.Execute(":TRIGGER:EDGE:SLOPE NEGATIVE");
        instrument.Execute(":TRIGGER:EDGE:LEVEL 1.650000");
    }
    instrument.Advance(0.2);
    std::vector<std::uint8_t> live;
    instrument.LiveBlock(instrument.ShownMask(), live); // takes the acquisitions up to now
    instrument.Execute(":STOP");
    const InstrumentState state = instrument.State();
    std::vector<std::uint8_t> record;
    instrument.FullRecord(instrument.ShownMask(), record);
    // The stored record as the program keeps it, read through the file layer.
    auto setup = std::make_unique<_OX_SETUP>();
    setup->bDataValid = 1;
    setup->bAcqRealTime = 1;
    setup->nAcqMemoryRec = state.dso.acqMemory;
    setup->fSampleRateRec = state.dso.sampleRate;
    setup->llTimeScalePsRec = state.dso.timeScalePs;
    setup->bChanShownStop[0] = ch1Shown ? 1 : 0;
    setup->fChanScaleRec[0] = state.dso.chan[0].scale;
    setup->fChanOffsetRec[0] = state.dso.chan[0].offset;
    setup->bLaShownStop = analyzer ? 1 : 0;
    const std::size_t n = static_cast<std::size_t>(state.dso.acqMemory);
    std::vector<std::uint8_t> ch1Codes(ch1Shown ? n : 0);
    std::vector<std::uint8_t> la(analyzer ? 2 * n : 0);
    std::copy_n(record.begin(), ch1Codes.size(), ch1Codes.begin());
    std::copy_n(record.begin() + static_cast<std::ptrdiff_t>(ch1Codes.size()), la.size(),
                la.begin());
    oxfile::RecordSignals signals;
    EXPECT_EQ(oxfile::TakeRecordSignals(*setup, {ch1Codes, {}, la}, signals), oxfile::Result::Ok);
    return signals;
}

// The bytes of the annotations of class `classId` of decoder `decoder`: those whose shortest
// text is a byte in hex.
inline std::vector<int> Bytes(const DecodeResult& result, const std::string& decoder,
                              const std::string& classId) {
    std::vector<int> bytes;
    const DecoderInfo* info = FindDecoder(decoder);
    const int wanted = info->FindClass(classId);
    for (const StackResult& stack : result.stacks) {
        for (const RowResult& row : stack.rows) {
            if (row.decoder != decoder) continue;
            for (const Annotation& a : row.annotations) {
                if (a.classIndex != wanted) continue;
                char* end = nullptr;
                const long byte = std::strtol(a.texts.back().c_str(), &end, 16);
                if (*end == '\0') bytes.push_back(static_cast<int>(byte)); // not "W", "R"
            }
        }
    }
    return bytes;
}

inline std::vector<int> TextBytes(const std::string& text) {
    return {text.begin(), text.end()};
}

} // namespace oxdecode::test
