// Records filled with varied bytes and a stored acquisition, shared by the file tests.
#pragma once

#include "fileformats.h"
#include "scratch.h"

#include <cstring>
#include <random>
#include <vector>

inline constexpr int kPoints = 600;
inline constexpr std::size_t kBufferSize = 4096;

template <class Record> void FillBytes(Record& record, unsigned seed) {
    std::mt19937 random(seed);
    auto* bytes = reinterpret_cast<unsigned char*>(&record);
    for (std::size_t i = 0; i < sizeof record; ++i) {
        bytes[i] = static_cast<unsigned char>(random());
    }
}

template <class Record> bool SameBytes(const Record& a, const Record& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// A stopped acquisition of kPoints per channel, CH1, CH2 and the analyzer shown.
struct Acquisition {
    _OX_SETUP setup;
    _OX_RGN_SETUP region;
    std::vector<std::uint8_t> ch1 = std::vector<std::uint8_t>(kBufferSize);
    std::vector<std::uint8_t> ch2 = std::vector<std::uint8_t>(kBufferSize);
    std::vector<std::uint8_t> la = std::vector<std::uint8_t>(2 * kBufferSize);

    explicit Acquisition(unsigned seed) {
        FillBytes(setup, seed);
        FillBytes(region, seed + 1);
        std::mt19937 random(seed + 2);
        for (auto* buffer : {&ch1, &ch2, &la}) {
            for (auto& byte : *buffer) {
                byte = static_cast<std::uint8_t>(random());
            }
        }
        setup.nTrigMode = 0;
        setup.nAcqMemoryRec = kPoints;
        setup.bChanShownStop[0] = 1;
        setup.bChanShownStop[1] = 1;
        setup.bLaShownStop = 1;
        setup.bLaInstalled = 1;
        setup.bAcqRealTime = 1;
        setup.fSampleRateRec = 1e6f;
        setup.llTimeOffsetPsRec = 2'000'000; // 2 us
        setup.fChanScaleRec[0] = 0.5f;
        setup.fChanOffsetRec[0] = 0.25f;
        setup.fChanScaleRec[1] = 2.0f;
        setup.fChanOffsetRec[1] = -1.0f;
        std::strcpy(setup.szChanUnit[0], "V");
        std::strcpy(setup.szChanUnit[1], "A");
    }

    [[nodiscard]] oxfile::ConstSamples Samples() const { return {ch1, ch2, la}; }
    [[nodiscard]] oxfile::SampleBuffers Buffers() { return {ch1, ch2, la}; }
};
