#include "queue_fixture.h"

#include <bit>
#include <cstring>

namespace {

struct HandlerCall {
    unsigned int subCmd;
    long value;
    std::uint32_t low;
    std::uint32_t high;
};

class QueueTest : public CommandLayerTest {
protected:
    std::vector<HandlerCall> calls;

    // A handler that records its calls and prepares `command` for sending.
    void Record(unsigned long group, std::string command = ":CHANNEL1:SCALE 1") {
        Handle(group, [this, command](IOCmdContext& ctx, unsigned int sub, long value,
                                      std::uint32_t low, std::uint32_t high) {
            calls.push_back({sub, value, low, high});
            ctx.command = command;
        });
    }
};

TEST_F(QueueTest, HoldsAtMost255CommandsAndRefusesTheNext) {
    Record(3135);
    for (int i = 0; i < 255; ++i) {
        SetMsgVarInt(i * 10);
        ASSERT_TRUE(OxPostIOCmd(3135, 1125, i, nullptr, nullptr, nullptr)) << i;
    }
    SetMsgVarInt(-1);
    EXPECT_FALSE(OxPostIOCmd(3135, 1125, 999, nullptr, nullptr, nullptr));
    EXPECT_EQ(Drain().size(), 255u);
    ASSERT_EQ(calls.size(), 255u);
    for (int i = 0; i < 255; ++i) {
        EXPECT_EQ(calls[i].value, i);
        EXPECT_EQ(calls[i].low, static_cast<std::uint32_t>(i * 10));
    }
    EXPECT_TRUE(OxPostIOCmd(3135, 1125, 0, nullptr, nullptr, nullptr));
}

TEST_F(QueueTest, RingKeepsWorkingAcrossTheWrap) {
    Record(3141);
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 200; ++i)
            ASSERT_TRUE(OxPostIOCmd(3141, 1745, i, nullptr, nullptr, nullptr));
        Drain();
    }
    EXPECT_EQ(calls.size(), 600u);
    EXPECT_EQ(calls.back().value, 199);
}

TEST_F(QueueTest, IdenticalConsecutivePostsDispatchOnceWithTheLastArgument) {
    Record(3135);
    for (float scale : {1.0f, 2.0f, 5.0f}) {
        SetMsgVarfloat(scale);
        EXPECT_TRUE(OxPostIOCmd(3135, 1125, 0, nullptr, nullptr, nullptr));
    }
    Drain();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(std::bit_cast<float>(calls[0].low), 5.0f);
    EXPECT_EQ(mainWindow.Messages().size(), 1u);
}

TEST_F(QueueTest, OnlyIdenticalNeighboursAreCoalesced) {
    Record(3135);
    EXPECT_TRUE(OxPostIOCmd(3135, 1125, 0, nullptr, nullptr, nullptr));
    EXPECT_TRUE(OxPostIOCmd(3135, 1125, 1, nullptr, nullptr, nullptr)); // other channel
    EXPECT_TRUE(OxPostIOCmd(3135, 1135, 1, nullptr, nullptr, nullptr)); // other sub-command
    EXPECT_TRUE(OxPostIOCmd(3135, 1125, 0, nullptr, nullptr, nullptr));
    Drain();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[3].subCmd, 1125u);
    EXPECT_EQ(calls[3].value, 0);
}

TEST_F(QueueTest, ThirdWindowRepeatsTheDispatchInPlaceOfTheSecond) {
    setup->bConnected = 1;
    Record(3135);
    CRecordingWnd first, second, third;
    EXPECT_TRUE(OxPostIOCmd(3135, 1148, 1, &first, &second, &third));
    Drain();
    EXPECT_EQ(calls.size(), 2u);
    EXPECT_EQ(link.sent.size(), 2u);
    EXPECT_EQ(first.Messages().size(), 2u);
    EXPECT_EQ(second.Messages(), (std::vector<CWndMessage>{{3135, 1148, 1}}));
    EXPECT_EQ(third.Messages(), (std::vector<CWndMessage>{{3135, 1148, 1}}));
    EXPECT_EQ(mainWindow.Messages().size(), 2u);
}

TEST_F(QueueTest, CompletionGoesToMainThenFirstThenSecond) {
    std::vector<std::string> order;
    auto logAs = [&order](std::string name) {
        return [&order, name](const CWndMessage&) {
            order.push_back(name);
            return LRESULT{0};
        };
    };
    CRecordingWnd main(logAs("main")), first(logAs("first")), second(logAs("second"));
    OxMsgInit(&main, setup.get(), region.get(), positions.get(), nullptr);
    Handle(3139, [](IOCmdContext&, unsigned int, long, std::uint32_t, std::uint32_t) {});
    EXPECT_TRUE(OxPostIOCmd(3139, 1645, 0, &first, &second, nullptr));
    Drain();
    EXPECT_EQ(order, (std::vector<std::string>{"main", "first", "second"}));
    EXPECT_EQ(main.Messages(), (std::vector<CWndMessage>{{3125, 1645, 0}}));
    EXPECT_EQ(first.Messages(), (std::vector<CWndMessage>{{3139, 1645, 0}}));
}

TEST_F(QueueTest, DestroyedWindowsAreSkippedAndTheOthersStillNotified) {
    auto dialog = std::make_unique<CRecordingWnd>();
    auto other = std::make_unique<CRecordingWnd>();
    CRecordingWnd survivor;
    Handle(3140, [](IOCmdContext&, unsigned int, long, std::uint32_t, std::uint32_t) {});
    EXPECT_TRUE(OxPostIOCmd(3140, 1865, 0, dialog.get(), &survivor, nullptr));
    EXPECT_TRUE(OxPostIOCmd(3140, 1885, 0, &survivor, other.get(), other.get()));
    dialog.reset();
    other.reset();
    Drain();
    EXPECT_EQ(survivor.Messages(),
              (std::vector<CWndMessage>{{3140, 1865, 0}, {3140, 1885, 0}, {3140, 1885, 0}}));
    EXPECT_EQ(mainWindow.Messages().size(), 3u);
}

TEST_F(QueueTest, MainWindowClosedBeforeTheDispatchIsSkipped) {
    auto main = std::make_unique<CRecordingWnd>();
    OxMsgInit(main.get(), setup.get(), region.get(), positions.get(), nullptr);
    CRecordingWnd first;
    EXPECT_TRUE(OxPostIOCmd(3125, 2278, 0, &first, nullptr, nullptr));
    main.reset();
    Drain();
    EXPECT_EQ(first.Messages().size(), 1u);
}

TEST_F(QueueTest, GroupWithoutHandlerSendsNothingButNotifiesTheMainWindow) {
    setup->bConnected = 1;
    EXPECT_TRUE(OxPostIOCmd(3125, 2278, 7, nullptr, nullptr, nullptr));
    Drain();
    EXPECT_TRUE(link.sent.empty());
    EXPECT_EQ(mainWindow.Messages(), (std::vector<CWndMessage>{{3125, 2278, 7}}));
}

TEST_F(QueueTest, PanelGroupNotifiesWithItsOwnNumber) {
    EXPECT_TRUE(OxPostIOCmd(3124, 3233, 0, nullptr, nullptr, nullptr));
    Drain();
    EXPECT_EQ(mainWindow.Messages(), (std::vector<CWndMessage>{{3124, 3233, 0}}));
}

TEST_F(QueueTest, ErrorDisplaySubCommandIsNeverAnOrdinaryCompletion) {
    CRecordingWnd first;
    EXPECT_TRUE(OxPostIOCmd(3125, 4424, 0, &first, nullptr, nullptr));
    Drain();
    EXPECT_TRUE(mainWindow.Messages().empty());
    EXPECT_EQ(first.Messages().size(), 1u);
}

TEST_F(QueueTest, RecordedErrorIsShownAfterTheCompletion) {
    Handle(3139, [](IOCmdContext& ctx, unsigned int, long, std::uint32_t, std::uint32_t) {
        SetSystemError("Function not available at rolling mode");
        ctx.send = false;
    });
    EXPECT_TRUE(OxPostIOCmd(3139, 1635, 0, nullptr, nullptr, nullptr));
    Drain();
    EXPECT_EQ(mainWindow.Messages(), (std::vector<CWndMessage>{{3125, 1635, 0}, {3125, 4424, 0}}));
    EXPECT_STREQ(setup->szSystemError, "Function not available at rolling mode");
    EXPECT_EQ(region->bErrorPending, 0);
    EXPECT_EQ(region->bErrorShown, 1);
}

TEST_F(QueueTest, OverlongErrorTextIsCutToTheField) {
    SetSystemError(std::string(1000, 'x'));
    EXPECT_EQ(std::strlen(setup->szSystemError), sizeof setup->szSystemError - 1);
    EXPECT_EQ(region->bErrorPending, 1);
}

TEST_F(QueueTest, CommandIsSentOnlyWhenConnectedAndTheSendFlagStaysSet) {
    Record(3135, ":CHANNEL1:DISPLAY ON");
    EXPECT_TRUE(OxPostIOCmd(3135, 1148, 0, nullptr, nullptr, nullptr));
    Drain();
    EXPECT_TRUE(link.sent.empty());

    setup->bConnected = 1;
    EXPECT_TRUE(OxPostIOCmd(3135, 1148, 0, nullptr, nullptr, nullptr));
    Handle(2528, [](IOCmdContext& ctx, unsigned int, long, std::uint32_t, std::uint32_t) {
        ctx.command = ":SELFCAL:ENABLE ON";
        ctx.readBack = false;
    });
    EXPECT_TRUE(OxPostIOCmd(2528, 0, 0, nullptr, nullptr, nullptr));
    Drain();
    EXPECT_EQ(link.sent, (std::vector<SentCommand>{{":CHANNEL1:DISPLAY ON", true},
                                                   {":SELFCAL:ENABLE ON", false}}));
}

TEST_F(QueueTest, GroupsThatSendThemselvesNeverSendThePreparedText) {
    setup->bConnected = 1;
    for (unsigned long group : {3136ul, 3137ul, 3142ul, 3143ul, 3144ul, 3145ul, 3146ul, 3147ul,
                                3149ul, 2185ul, 3124ul, 4524ul}) {
        Record(group, ":LEFT:OVER");
        EXPECT_TRUE(OxPostIOCmd(group, 1, 0, nullptr, nullptr, nullptr));
    }
    Drain();
    EXPECT_EQ(calls.size(), 12u);
    EXPECT_TRUE(link.sent.empty());
}

TEST_F(QueueTest, EachDispatchStartsWithEmptyStringsAndBothFlagsSet) {
    std::vector<IOCmdContext> seen;
    Handle(3139, [&](IOCmdContext& ctx, unsigned int, long, std::uint32_t, std::uint32_t) {
        seen.push_back(ctx);
        ctx.command = ctx.query = ctx.piece = "stale";
        ctx.send = ctx.readBack = false;
    });
    EXPECT_TRUE(OxPostIOCmd(3139, 1645, 0, nullptr, nullptr, nullptr));
    EXPECT_TRUE(OxPostIOCmd(3139, 1665, 0, nullptr, nullptr, nullptr));
    Drain();
    ASSERT_EQ(seen.size(), 2u);
    for (const IOCmdContext& ctx : seen) {
        EXPECT_TRUE(ctx.command.empty() && ctx.query.empty() && ctx.piece.empty());
        EXPECT_TRUE(ctx.send && ctx.readBack);
    }
}

TEST_F(QueueTest, BusyFlagCoversTheDispatch) {
    int busyInHandler = -1;
    Handle(3141, [&](IOCmdContext&, unsigned int, long, std::uint32_t, std::uint32_t) {
        busyInHandler = region->bBusy;
    });
    EXPECT_TRUE(OxPostIOCmd(3141, 1725, 0, nullptr, nullptr, nullptr));
    Drain();
    EXPECT_EQ(busyInHandler, 1);
    EXPECT_EQ(region->bBusy, 0);
}

TEST_F(QueueTest, ReadBackIsReconciledOnlyWhenItArrivedWhole) {
    setup->bConnected = 1;
    Record(3140, ":TRIGGER:EDGE:SWEEP NORMAL");
    link.dso.set(oxrec::dso::nTrigSweep, 2);
    link.whole = false;
    EXPECT_TRUE(OxPostIOCmd(3140, 1827, 0, nullptr, nullptr, nullptr));
    Drain();
    EXPECT_EQ(setup->nTrigSweep, 0);
    link.whole = true;
    EXPECT_TRUE(OxPostIOCmd(3140, 1827, 0, nullptr, nullptr, nullptr));
    Drain();
    EXPECT_EQ(setup->nTrigSweep, 2);
}

TEST_F(QueueTest, NothingIsReconciledWithoutTheReadBackFlag) {
    setup->bConnected = 1;
    Handle(3140, [](IOCmdContext& ctx, unsigned int, long, std::uint32_t, std::uint32_t) {
        ctx.command = ":TRIGGER:MODE EDGE";
        ctx.readBack = false;
    });
    link.dso.set(oxrec::dso::nTrigMode, 4);
    EXPECT_TRUE(OxPostIOCmd(3140, 1825, 0, nullptr, nullptr, nullptr));
    Drain();
    EXPECT_EQ(setup->nTrigMode, 0);
}

TEST_F(QueueTest, ProcessWithoutATakenEntryDoesNothing) {
    Record(3135);
    IOCmdProcess();
    EXPECT_TRUE(OxPostIOCmd(3135, 1125, 0, nullptr, nullptr, nullptr));
    IOCmdProcess();
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(mainWindow.Messages().empty());
    Drain();
    EXPECT_EQ(calls.size(), 1u);
}

TEST_F(QueueTest, InitEmptiesTheQueue) {
    Record(3135);
    EXPECT_TRUE(OxPostIOCmd(3135, 1125, 0, nullptr, nullptr, nullptr));
    OxMsgInit(&mainWindow, setup.get(), region.get(), positions.get(), nullptr);
    EXPECT_EQ(GetIOCmd(), 0u);
    EXPECT_TRUE(calls.empty());
}

TEST_F(QueueTest, HandlersAndWindowsMayPostWhileADispatchRuns) {
    // A handler posting a follow-up (as the logic-analyzer handler does) and a
    // window posting from its completion handler: neither may find a lock held.
    Handle(3138, [](IOCmdContext&, unsigned int sub, long, std::uint32_t, std::uint32_t) {
        if (sub == 1525) {
            SetMsgVarbool(true);
            EXPECT_TRUE(OxPostIOCmd(3138, 1536, 0, nullptr, nullptr, nullptr));
        }
    });
    bool posted = false;
    CRecordingWnd dialog([&](const CWndMessage& m) {
        if (m.wParam == 1536) posted = OxPostIOCmd(3125, 4135, 0, nullptr, nullptr, nullptr);
        return LRESULT{0};
    });
    EXPECT_TRUE(OxPostIOCmd(3138, 1525, 0, &dialog, nullptr, nullptr));
    EXPECT_EQ(Drain(), (std::vector<unsigned long>{3138, 3138}));
    EXPECT_FALSE(posted); // the follow-up named no window
    EXPECT_TRUE(OxPostIOCmd(3138, 1536, 0, &dialog, nullptr, nullptr));
    Drain();
    EXPECT_TRUE(posted);
    EXPECT_EQ(Drain().size(), 0u);
}

TEST_F(QueueTest, RedrawOfStoredTracesOnlyWhenRunAndHoldDiffer) {
    struct Case {
        std::uint8_t run, hold, redraw;
    };
    for (Case c : {Case{1, 0, 1}, Case{0, 1, 1}, Case{1, 1, 0}, Case{0, 0, 0}}) {
        setup->bRun = c.run;
        setup->bWaveHold = c.hold;
        region->bRedrawWave = 0;
        SetRefreshWave(false);
        EXPECT_EQ(region->bRedrawWave, c.redraw) << int(c.run) << int(c.hold);
    }
}

} // namespace
