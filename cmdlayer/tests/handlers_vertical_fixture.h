// The channel, acquire, timebase and run-control handlers (installed by OxMsgInit) on a
// connected setup record with a recording link: posts go through the real queue and dispatcher.
#pragma once

#include "queue_fixture.h"

#include <cmath>
#include <cstring>

class VerticalHandlersTest : public CommandLayerTest {
protected:
    void SetUp() override {
        CommandLayerTest::SetUp();
        setup->bConnected = 1;
        setup->fChanProbe[0] = setup->fChanProbe[1] = 1.0f;
        setup->fMinTimeScale = 2e-9f;
        link.whole = false; // keep what the handler stored unless a test serves blocks
    }

    std::size_t seen = 0; // commands of link.sent already looked at

    void PostFloat(unsigned long group, unsigned int sub, long value, float arg) {
        SetMsgVarfloat(arg);
        Post(group, sub, value);
    }
    void PostDouble(unsigned long group, unsigned int sub, long value, double arg) {
        SetMsgVarDouble(arg);
        Post(group, sub, value);
    }
    void PostInt(unsigned long group, unsigned int sub, long value, int arg) {
        SetMsgVarInt(arg);
        Post(group, sub, value);
    }
    void PostBool(unsigned long group, unsigned int sub, long value, bool arg) {
        SetMsgVarbool(arg);
        Post(group, sub, value);
    }
    void Post(unsigned long group, unsigned int sub, long value) {
        ASSERT_TRUE(OxPostIOCmd(group, sub, value, nullptr, nullptr, nullptr));
        Drain();
    }

    // The one command sent since the last call ("<n sent>" when none or several).
    std::string SentOnce() { return SentWithReadBack().text; }

    // The same with its read-back flag.
    SentCommand SentWithReadBack() {
        const std::size_t count = link.sent.size() - seen;
        seen = link.sent.size();
        if (count != 1) return {"<" + std::to_string(count) + " sent>", false};
        return link.sent.back();
    }

    bool NothingSent() const { return link.sent.size() == seen; }

    // The message shown to the user after the last dispatch, if any; clears it.
    std::optional<std::string> Shown() {
        if (!region->bErrorShown) return std::nullopt;
        region->bErrorShown = 0;
        std::string text = setup->szSystemError;
        std::memset(setup->szSystemError, 0, sizeof setup->szSystemError);
        return text;
    }

    // Running, main scale and format as a test starts from them.
    void Timebase(int format, double scale, bool running) {
        setup->nTimeFormat = format;
        setup->bRun = running ? 1 : 0;
        setup->dTimeScale = scale;
        setup->llTimeScalePs = ConvertToLONG(scale, 12);
        setup->llDelayedScalePs = setup->llTimeScalePs;
    }
};
