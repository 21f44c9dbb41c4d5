#include "cwnd.h"
#include "cwnd_recorder.h"

#include <gtest/gtest.h>

#include <memory>
#include <new>

namespace {

TEST(CWndRegistry, WindowIsLiveOnlyDuringItsLifetime) {
    auto wnd = std::make_unique<CRecordingWnd>();
    CWnd* raw = wnd.get();
    EXPECT_TRUE(CWnd::IsWindow(raw));
    wnd.reset();
    EXPECT_FALSE(CWnd::IsWindow(raw));
    EXPECT_FALSE(CWnd::IsWindow(static_cast<const CWnd*>(nullptr)));
}

TEST(CWndRegistry, ReferenceDoesNotMatchALaterWindowAtTheSameAddress) {
    alignas(CRecordingWnd) unsigned char storage[sizeof(CRecordingWnd)];
    auto* first = new (storage) CRecordingWnd;
    CWndRef ref = CWndRef::Of(first);
    first->~CRecordingWnd();
    auto* second = new (storage) CRecordingWnd;
    EXPECT_TRUE(CWnd::IsWindow(static_cast<CWnd*>(second)));
    EXPECT_FALSE(CWnd::IsWindow(ref));
    EXPECT_FALSE(CWnd::SendMessageTo(ref, 1, 2, 3));
    EXPECT_TRUE(second->Messages().empty());
    second->~CRecordingWnd();
}

TEST(CWndRegistry, ReferenceToADeadPointerNeverMatches) {
    auto wnd = std::make_unique<CRecordingWnd>();
    CWnd* raw = wnd.get();
    wnd.reset();
    CWndRef ref = CWndRef::Of(raw);
    EXPECT_TRUE(ref.IsSet());
    EXPECT_FALSE(CWnd::IsWindow(ref));
}

TEST(CWndSend, RecordsMessagesInOrderAndReturnsTheHandlersResult) {
    CRecordingWnd wnd([](const CWndMessage& m) { return static_cast<LRESULT>(m.wParam) * 2; });
    EXPECT_EQ(wnd.SendMessage(3125, 21, -1), 42);
    LRESULT result = 0;
    EXPECT_TRUE(CWnd::SendMessageTo(CWndRef::Of(&wnd), 3135, 1125, 1, &result));
    EXPECT_EQ(result, 2250);
    std::vector<CWndMessage> expected{{3125, 21, -1}, {3135, 1125, 1}};
    EXPECT_EQ(wnd.Messages(), expected);
}

TEST(CWndSend, DestroyedWindowIsSkipped) {
    auto wnd = std::make_unique<CRecordingWnd>();
    CWndRef ref = CWndRef::Of(wnd.get());
    wnd.reset();
    EXPECT_FALSE(CWnd::SendMessageTo(ref, 1, 0, 0));
    EXPECT_FALSE(CWnd::SendMessageTo(CWndRef{}, 1, 0, 0));
}

TEST(CWndSend, HandlerMayDestroyAnotherWindow) {
    auto other = std::make_unique<CRecordingWnd>();
    CWndRef otherRef = CWndRef::Of(other.get());
    CRecordingWnd closer([&](const CWndMessage&) {
        other.reset();
        return LRESULT{0};
    });
    closer.SendMessage(7, 0, 0);
    EXPECT_FALSE(CWnd::SendMessageTo(otherRef, 7, 0, 0));
}

class CountingRoute : public CWndMessageRoute {
public:
    bool refuse = false;
    int calls = 0;
    LRESULT Deliver(const std::function<LRESULT()>& call, LRESULT refused) override {
        ++calls;
        return refuse ? refused : call();
    }
};

TEST(CWndRoute, EverySendGoesThroughTheInstalledRoute) {
    CountingRoute route;
    CWnd::SetMessageRoute(&route);
    CRecordingWnd wnd;
    wnd.SendMessage(1, 0, 0);
    route.refuse = true;
    EXPECT_FALSE(CWnd::SendMessageTo(CWndRef::Of(&wnd), 2, 0, 0));
    CWnd::SetMessageRoute(nullptr);
    wnd.SendMessage(3, 0, 0);
    EXPECT_EQ(route.calls, 2);
    std::vector<CWndMessage> expected{{1, 0, 0}, {3, 0, 0}};
    EXPECT_EQ(wnd.Messages(), expected);
}

} // namespace
