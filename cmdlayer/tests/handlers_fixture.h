// The command layer with its handlers on the sim USB back end and a scripted
// instrument: posts go through the queue and the handlers, and the test reads
// the command lines that reached the wire. The instrument refuses the setup-block
// read-back, so the record keeps what the handlers stored.
#pragma once

#include "cwnd_recorder.h"
#include "link_test_support.h"

#include <sstream>

namespace oxbow::testing {

class HandlersTest : public UsbLinkTest {
protected:
    std::unique_ptr<_OX_RGN_SETUP> region = std::make_unique<_OX_RGN_SETUP>();
    std::unique_ptr<_OX_POS_SETUP> positions = std::make_unique<_OX_POS_SETUP>();
    CRecordingWnd mainWindow;

    void SetUp() override {
        UsbLinkTest::SetUp();
        OxMsgInit(&mainWindow, setup.get(), region.get(), positions.get(), nullptr);
        endpoint.controlResults[6] = 0; // no read-back of the DSO block
        setup->fChanScale[0] = setup->fChanScale[1] = 1.0f;
        setup->fChanProbe[0] = setup->fChanProbe[1] = 1.0f;
    }

    void TearDown() override {
        OxMsgInit(nullptr, nullptr, nullptr, nullptr, nullptr);
        UsbLinkTest::TearDown();
    }

    void Post(unsigned long group, unsigned int subCmd, long value = 0) {
        ASSERT_TRUE(OxPostIOCmd(group, subCmd, value, nullptr, nullptr, nullptr));
        while (GetIOCmd())
            IOCmdProcess();
    }
    void PostInt(unsigned long group, unsigned int subCmd, int arg, long value = 0) {
        SetMsgVarInt(arg);
        Post(group, subCmd, value);
    }
    void PostFloat(unsigned long group, unsigned int subCmd, float arg, long value = 0) {
        SetMsgVarfloat(arg);
        Post(group, subCmd, value);
    }
    void PostDouble(unsigned long group, unsigned int subCmd, double arg, long value = 0) {
        SetMsgVarDouble(arg);
        Post(group, subCmd, value);
    }
    void PostBool(unsigned long group, unsigned int subCmd, bool arg, long value = 0) {
        SetMsgVarDouble(0);
        SetMsgVarbool(arg);
        Post(group, subCmd, value);
    }

    // The command lines written since the last call.
    std::vector<std::string> Lines() {
        std::vector<std::string> lines;
        std::istringstream wire(Written());
        for (std::string line; std::getline(wire, line, '\r');)
            lines.push_back(line);
        endpoint.written.clear();
        return lines;
    }

    // The message left for the user, if any; clears it.
    std::string TakeMessage() {
        if (!region->bErrorPending && !region->bErrorShown) return "";
        region->bErrorPending = 0;
        region->bErrorShown = 0;
        std::string text = setup->szSystemError;
        setup->szSystemError[0] = '\0';
        return text;
    }
};

using Wire = std::vector<std::string>;

} // namespace oxbow::testing
