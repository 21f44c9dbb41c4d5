// Shared pieces of the acquisition tests: the shared records, a command layer and a display
// that record what the loop asked of them, a USB endpoint that serves scripted blocks, and a
// window that records its messages.
#pragma once

#include "cwinsocket.h"
#include "ox_link.h"
#include "oxacq.h"
#include "oxbow_ui.h"

#include "../../../platform/usb/tests/scripted_endpoint.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace oxacq::testing {

struct Posted {
    unsigned long group;
    unsigned int subCmd;
    long value;
    std::int32_t argument;
    bool operator==(const Posted&) const = default;
};

class RecordingCommands : public AcqCommands {
public:
    bool mathEnabled = false;
    bool fftOperator = false;
    std::vector<Posted> posted;
    std::vector<std::string> calls;
    std::vector<short> stopScreenValues;

    void ProcessIOCmd() override { calls.push_back("ProcessIOCmd"); }
    bool GetMathEnabled() override { return mathEnabled; }
    bool GetFFTOperator() override { return fftOperator; }
    void SetChanEnabledStop(bool) override { calls.push_back("SetChanEnabledStop"); }
    void SaveChangeSetting() override { calls.push_back("SaveChangeSetting"); }
    void GetTimeScalePara() override { calls.push_back("GetTimeScalePara"); }
    void GetStopScreenPara(short value) override {
        calls.push_back("GetStopScreenPara");
        stopScreenValues.push_back(value);
    }
    void GetChangeSettingScreenPara() override { calls.push_back("GetChangeSettingScreenPara"); }
    bool OxInitSystem() override {
        calls.push_back("OxInitSystem");
        return true;
    }
    void RebuildRgnSetup() override { calls.push_back("RebuildRgnSetup"); }
    void PostIOCmd(unsigned long group, unsigned int subCmd, long value, std::int32_t argument,
                   CWnd*) override {
        posted.push_back({group, subCmd, value, argument});
    }
    int Count(const std::string& call) const {
        return static_cast<int>(std::count(calls.begin(), calls.end(), call));
    }
};

class RecordingDisplay : public DisplaySteps {
public:
    std::vector<std::string> steps;

    bool backgroundCurrent = true;
    void FullRedraw() override { steps.push_back("FullRedraw"); }
    bool BackgroundCurrent() override { return backgroundCurrent; }
    void Erase() override { steps.push_back("Erase"); }
    void ResetTraceWindows() override { steps.push_back("ResetTraceWindows"); }
    void RunPipeline(int points, bool stopped) override {
        steps.push_back("RunPipeline " + std::to_string(points) + (stopped ? " stopped" : " live"));
    }
    void HandOverMeasurement() override { steps.push_back("HandOverMeasurement"); }
    void DrawTraces(bool stopped) override {
        steps.push_back(stopped ? "DrawTraces stopped" : "DrawTraces live");
    }
    void Compose() override { steps.push_back("Compose"); }
    void DrawOverlays() override { steps.push_back("DrawOverlays"); }
    void Present() override { steps.push_back("Present"); }
    void ClearPersistence() override { steps.push_back("ClearPersistence"); }
    void ChangeBackground(std::uint8_t grey) override {
        steps.push_back("ChangeBackground " + std::to_string(grey));
    }
};

// Serves a block for the data requests 4 and 5: the control read gives its size, the bulk
// read its bytes.
class BlockEndpoint : public oxbow::testing::ScriptedEndpoint {
public:
    std::vector<std::uint8_t> block;
    std::uint32_t announced = 0; // the count the control read reports (block size unless set)
    int controlResult = 1;

    int ControlRead(int request, int value, int index, int length, std::uint8_t* buffer) override {
        calls.push_back({"ControlRead", request, value, index, length});
        if (controlResult != 1) return controlResult;
        const std::uint32_t count =
            announced != 0 ? announced : static_cast<std::uint32_t>(block.size());
        std::memcpy(buffer, &count, sizeof count);
        return 1;
    }
    bool BulkRead(int length, std::uint8_t* buffer) override {
        calls.push_back({"BulkRead", 0, 0, 0, length});
        if (length > static_cast<int>(block.size())) return false;
        std::memcpy(buffer, block.data(), static_cast<std::size_t>(length));
        return true;
    }
};

class RecordingWindow : public CWnd {
public:
    struct Message {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        bool operator==(const Message&) const = default;
    };
    std::vector<Message> messages;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        messages.push_back({message, wParam, lParam});
        return 0;
    }
};

// The recorder dialog: counts its index on, as the dialog does for every frame it is told of.
class AdvancingWindow : public RecordingWindow {
public:
    explicit AdvancingWindow(std::int32_t& index) : index_(index) {}

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        ++index_;
        return RecordingWindow::WindowProc(message, wParam, lParam);
    }

private:
    std::int32_t& index_;
};

// The link's waits are not slept in tests.
class NoWaitClock : public oxmsg::LinkClock {
public:
    void Sleep(int) override {}
    std::int64_t NowMs() override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
};

// The records, the loop and its collaborators, on the sim USB back end with `endpoint`.
class AcqTest : public ::testing::Test {
protected:
    void SetUp() override {
        setup = std::make_unique<_OX_SETUP>();
        region = std::make_unique<_OX_RGN_SETUP>();
        positions = std::make_unique<_OX_POS_SETUP>();
        std::memset(setup.get(), 0, sizeof *setup);
        std::memset(region.get(), 0, sizeof *region);
        std::memset(positions.get(), 0, sizeof *positions);
        setup->bConnected = 1;
        setup->bChanDisplay[0] = 1;
        setup->nAcqMemory = setup->nAcqMemoryRec = 4096;
        setup->llTimeScalePs = 1'000'000;
        region->bAcquiring = 1;
        oxbow::usb::SelectBackend(oxbow::usb::Backend::Sim);
        oxbow::usb::AttachEndpoint(&endpoint);
        oxmsg::SetLinkContext(setup.get(), nullptr);
        oxmsg::SetLinkClock(&clock);
        acq = std::make_unique<Acquisition>(AcqRecords{setup.get(), region.get(), positions.get()},
                                            nullptr, commands, display);
        acq->SetMainWindow(&window);
    }

    void TearDown() override {
        oxbow::usb::DetachEndpoint();
        oxmsg::SetLinkContext(nullptr, nullptr);
        oxmsg::SetLinkClock(nullptr);
    }

    // The loop again, on LAN through `socket`.
    void UseLan(CWinSocket& socket) {
        setup->nInterface = 1;
        oxmsg::SetLinkContext(setup.get(), &socket);
        acq = std::make_unique<Acquisition>(AcqRecords{setup.get(), region.get(), positions.get()},
                                            &socket, commands, display);
        acq->SetMainWindow(&window);
    }

    // Runs the LAN receive step until a frame came or `ms` passed.
    bool ReceiveFrame(int ms = 2000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end) {
            acq->LanReceive();
            if (acq->Counters().frameCount > 0) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }

    // The text the loop wrote to the instrument over USB.
    std::string Written() const {
        return std::string(endpoint.written.begin(), endpoint.written.end());
    }

    std::unique_ptr<_OX_SETUP> setup;
    std::unique_ptr<_OX_RGN_SETUP> region;
    std::unique_ptr<_OX_POS_SETUP> positions;
    BlockEndpoint endpoint;
    NoWaitClock clock;
    RecordingCommands commands;
    RecordingDisplay display;
    RecordingWindow window;
    std::unique_ptr<Acquisition> acq;
};

// A USB live block: header fields, and frames filled with (slot + 1) at their ring slots.
struct LiveBlock {
    std::uint16_t scanSource = 0;
    std::uint16_t frames = 1;
    std::uint16_t writeIndex = 1;
    std::uint8_t plotStyle = 0;
    std::uint8_t singlePending = 1;
    int stride = 2048;
    int slots = 1; // frame slots the block carries, from slot 0

    // `count` new frames in slots 0 .. count - 1.
    static LiveBlock Frames(int count) {
        LiveBlock live;
        live.frames = static_cast<std::uint16_t>(count);
        live.writeIndex = static_cast<std::uint16_t>(count);
        live.slots = count;
        return live;
    }

    std::vector<std::uint8_t> Build(std::vector<std::uint8_t> statuses = {}) const {
        std::vector<std::uint8_t> block(kFrameArea + static_cast<std::size_t>(slots) * stride, 0);
        auto put16 = [&](int at, std::uint16_t v) { std::memcpy(&block[at], &v, 2); };
        put16(2, scanSource);
        put16(4, frames);
        put16(6, writeIndex);
        for (std::size_t i = 0; i < statuses.size(); ++i)
            block[512 + i] = statuses[i];
        block[762] = plotStyle;
        block[763] = singlePending;
        for (int s = 0; s < slots; ++s)
            std::memset(&block[kFrameArea + static_cast<std::size_t>(s) * stride], s + 1, stride);
        return block;
    }
};

} // namespace oxacq::testing
