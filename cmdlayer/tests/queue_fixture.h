// Shared set-up for the queue and validation tests: fresh records handed to
// OxMsgInit, a recording main window, and a link that records what is sent and
// serves firmware blocks the test fills in.
#pragma once

#include "../src/iocmd_link.h"
#include "cwnd_recorder.h"
#include "ox_queue.h"
#include "oxmsg.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

struct SentCommand {
    std::string text;
    bool readBack;
    bool operator==(const SentCommand&) const = default;
};

class RecordingLink : public IOCmdLink {
public:
    std::vector<SentCommand> sent;
    bool whole = true;
    DSO_SETUP dso{};
    _OX_LA_SETUP la{};
    DSO_ALT_SETUP alt{};

    void SendCommand(const std::string& command, std::uint8_t*, bool readBack) override {
        sent.push_back({command, readBack});
    }
    bool ReadBackWhole() const override { return whole; }
    const DSO_SETUP& FirmwareDso() const override { return dso; }
    const _OX_LA_SETUP& FirmwareLa() const override { return la; }
    const DSO_ALT_SETUP& FirmwareAlt() const override { return alt; }
};

class CommandLayerTest : public ::testing::Test {
protected:
    std::unique_ptr<_OX_SETUP> setup = std::make_unique<_OX_SETUP>();
    std::unique_ptr<_OX_RGN_SETUP> region = std::make_unique<_OX_RGN_SETUP>();
    std::unique_ptr<_OX_POS_SETUP> positions = std::make_unique<_OX_POS_SETUP>();
    CRecordingWnd mainWindow;
    RecordingLink link;

    void SetUp() override {
        OxMsgInit(&mainWindow, setup.get(), region.get(), positions.get(), nullptr);
        SetIOCmdLink(&link);
    }

    void TearDown() override {
        for (unsigned long group : handled)
            OxSetIOCmdHandler(group, {});
        SetIOCmdLink(nullptr);
        OxMsgInit(nullptr, nullptr, nullptr, nullptr, nullptr);
    }

    std::vector<unsigned long> handled;

    void Handle(unsigned long group, IOCmdHandler handler) {
        handled.push_back(group);
        OxSetIOCmdHandler(group, std::move(handler));
    }

    // Runs the I/O thread's loop until the queue is empty; returns the groups taken.
    std::vector<unsigned long> Drain() {
        std::vector<unsigned long> taken;
        while (unsigned long group = GetIOCmd()) {
            taken.push_back(group);
            IOCmdProcess();
        }
        return taken;
    }

    // The message SetSystemError left for the user, if any; clears it.
    std::optional<std::string> TakeMessage() {
        if (!region->bErrorPending) return std::nullopt;
        region->bErrorPending = 0;
        return std::string(setup->szSystemError);
    }
};
