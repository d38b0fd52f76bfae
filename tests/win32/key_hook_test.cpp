// The keyboard-hook key-state source with keys injected as a keyboard would
// send them, and the message filter of the platform's event loop.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "win32/fixture/fake_viewer.h"

using tessaly::Win32Platform;
using tessaly::win32::fixture::send_key;

namespace {

// F14 and F15: not on the test machines' keyboards, so nobody else presses them.
constexpr int kKey = 0x7D;
constexpr int kOtherKey = 0x7E;

// The hook runs inside this thread's message calls: keep pumping while the
// injected input goes through the window system.
void settle(Win32Platform& p, DWORD ms = 40) {
    ULONGLONG end = GetTickCount64() + ms;
    p.pump_until([&] { return GetTickCount64() >= end; });
}

void send_mouse(DWORD flags, DWORD data = 0) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    in.mi.mouseData = data;
    SendInput(1, &in, sizeof in);
}

class KeyHook : public ::testing::Test {
protected:
    Win32Platform p;
    void SetUp() override {
        ASSERT_TRUE(p.start_key_hook());
        ASSERT_TRUE(p.key_hook_active());
        settle(p);
        for (int code : {kKey, kOtherKey, VK_SHIFT, VK_LSHIFT}) p.async_key_state(code);
    }
};

}  // namespace

TEST_F(KeyHook, APressCountsOnceHoweverLongItIsHeld) {
    send_key(kKey, true);
    settle(p);
    EXPECT_EQ(p.async_key_state(kKey), 0x8001);
    EXPECT_EQ(p.async_key_state(kKey), 0x8000);
    // Autorepeat: more downs without an up.
    for (int i = 0; i < 3; ++i) {
        send_key(kKey, true);
        settle(p);
        EXPECT_EQ(p.async_key_state(kKey), 0x8000) << "repeat " << i;
    }
    send_key(kKey, false);
    settle(p);
    EXPECT_EQ(p.async_key_state(kKey), 0);
    // The next press is a press again.
    send_key(kKey, true);
    settle(p);
    EXPECT_EQ(p.async_key_state(kKey), 0x8001);
    send_key(kKey, false);
    settle(p);
    EXPECT_EQ(p.async_key_state(kKey), 0);
}

TEST_F(KeyHook, ATapBetweenQueriesCountsOnce) {
    send_key(kKey, true);
    send_key(kKey, false);
    settle(p);
    EXPECT_EQ(p.async_key_state(kKey), 0x8001);
    EXPECT_EQ(p.async_key_state(kKey), 0);
    // Each code keeps its own press: another key's is not consumed.
    send_key(kOtherKey, true);
    send_key(kOtherKey, false);
    settle(p);
    EXPECT_EQ(p.async_key_state(kKey), 0);
    EXPECT_EQ(p.async_key_state(kOtherKey), 0x8001);
}

// Observing only: the key reaches the rest of the system, whose own key
// state then has it down.
TEST_F(KeyHook, KeysGoOnToTheSystem) {
    send_key(kKey, true);
    settle(p);
    EXPECT_NE(GetAsyncKeyState(kKey) & 0x8000, 0);
    send_key(kKey, false);
    settle(p);
    EXPECT_EQ(GetAsyncKeyState(kKey) & 0x8000, 0);
}

// The hook names the side; the side-neutral code answers as well.
TEST_F(KeyHook, EitherShiftIsShift) {
    send_key(VK_LSHIFT, true);
    settle(p);
    EXPECT_EQ(p.async_key_state(VK_SHIFT), 0x8001);
    EXPECT_EQ(p.async_key_state(VK_LSHIFT), 0x8001);
    send_key(VK_LSHIFT, false);
    settle(p);
    EXPECT_EQ(p.async_key_state(VK_SHIFT), 0);
    EXPECT_EQ(p.async_key_state(VK_LSHIFT), 0);
}

// Mouse buttons never pass the keyboard hook; their codes are still answered.
TEST_F(KeyHook, MouseButtonsAreStillSeen) {
    p.async_key_state(VK_XBUTTON1);
    send_mouse(MOUSEEVENTF_XDOWN, XBUTTON1);
    settle(p);
    EXPECT_EQ(p.async_key_state(VK_XBUTTON1), 0x8001);
    EXPECT_EQ(p.async_key_state(VK_XBUTTON1), 0x8000);
    send_mouse(MOUSEEVENTF_XUP, XBUTTON1);
    settle(p);
    EXPECT_EQ(p.async_key_state(VK_XBUTTON1), 0);
}

TEST_F(KeyHook, OneHookAProcess) {
    Win32Platform other;
    EXPECT_FALSE(other.start_key_hook());
    EXPECT_FALSE(other.key_hook_active());
    EXPECT_TRUE(p.start_key_hook());  // already there: still fine
    p.stop_key_hook();
    EXPECT_FALSE(p.key_hook_active());
    EXPECT_TRUE(other.start_key_hook());
    other.stop_key_hook();
}

// Back to polling, a key held across the switch is no new press, and the
// next one counts.
TEST_F(KeyHook, StoppingFallsBackToPolling) {
    send_key(kKey, true);
    settle(p);
    EXPECT_EQ(p.async_key_state(kKey), 0x8001);
    p.stop_key_hook();
    EXPECT_EQ(p.async_key_state(kKey), 0x8000);
    send_key(kKey, false);
    settle(p);
    EXPECT_EQ(p.async_key_state(kKey), 0);
    send_key(kKey, true);
    settle(p);
    EXPECT_EQ(p.async_key_state(kKey), 0x8001);
    send_key(kKey, false);
    settle(p);
    EXPECT_EQ(p.async_key_state(kKey), 0);
}

// Installed afresh at every query: while old and new overlap, a key both
// see still counts once, and none is lost in the change.
TEST_F(KeyHook, RenewingTheHookNeitherLosesNorDoublesKeys) {
    p.set_key_hook_renewal_ms(0);
    for (int round = 0; round < 3; ++round) {
        send_key(kKey, true);
        settle(p);
        EXPECT_EQ(p.async_key_state(kKey), 0x8001) << round;
        send_key(kKey, true);  // autorepeat
        settle(p);
        EXPECT_EQ(p.async_key_state(kKey), 0x8000) << round;
        send_key(kKey, false);
        settle(p);
        EXPECT_EQ(p.async_key_state(kKey), 0) << round;
        send_key(kKey, true);
        send_key(kKey, false);
        settle(p);
        EXPECT_EQ(p.async_key_state(kKey), 0x8001) << round;
        EXPECT_EQ(p.async_key_state(kKey), 0) << round;
    }
    EXPECT_TRUE(p.key_hook_active());
}

// The hook goes with its platform; a later one can have it.
TEST(KeyHookLifetime, EndsWithItsPlatform) {
    {
        Win32Platform first;
        ASSERT_TRUE(first.start_key_hook());
    }
    Win32Platform second;
    EXPECT_TRUE(second.start_key_hook());
}

namespace {

constexpr UINT kProbeMessage = WM_APP + 7;

// A broken filter must fail the test, not hang it.
template <class Done>
void pump_for_at_most(Win32Platform& p, DWORD ms, Done done) {
    ULONGLONG end = GetTickCount64() + ms;
    p.pump_until([&] { return done() || GetTickCount64() >= end; });
}

struct Receiver {
    HWND hwnd = nullptr;
    static std::vector<WPARAM>& got() {
        static std::vector<WPARAM> g;
        return g;
    }
    static LRESULT CALLBACK proc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
        if (m == kProbeMessage) {
            got().push_back(wp);
            return 0;
        }
        return DefWindowProcW(h, m, wp, lp);
    }
    Receiver() {
        got().clear();
        WNDCLASSW wc{};
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TessalyFilterReceiver";
        RegisterClassW(&wc);
        hwnd = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 10, 10, nullptr, nullptr,
                               wc.hInstance, nullptr);
    }
    ~Receiver() { DestroyWindow(hwnd); }
};

}  // namespace

TEST(Win32MessageFilter, HandledMessagesAreNotDispatched) {
    Win32Platform p;
    Receiver r;
    ASSERT_NE(r.hwnd, nullptr);
    std::vector<WPARAM> seen;
    p.set_message_filter([&](void* m) {
        const MSG* msg = static_cast<const MSG*>(m);
        if (msg->message != kProbeMessage) return false;
        EXPECT_EQ(msg->hwnd, r.hwnd);
        seen.push_back(msg->wParam);
        return msg->wParam % 2 == 1;  // odd ones are the filter's
    });
    for (WPARAM i = 1; i <= 4; ++i) PostMessageW(r.hwnd, kProbeMessage, i, 0);
    pump_for_at_most(p, 2000, [&] { return seen.size() >= 4 && Receiver::got().size() >= 2; });
    EXPECT_EQ(seen, (std::vector<WPARAM>{1, 2, 3, 4}));
    EXPECT_EQ(Receiver::got(), (std::vector<WPARAM>{2, 4}));

    // Without a filter everything is dispatched again.
    p.set_message_filter(nullptr);
    PostMessageW(r.hwnd, kProbeMessage, 5, 0);
    pump_for_at_most(p, 2000, [&] { return Receiver::got().size() >= 3; });
    EXPECT_EQ(Receiver::got().back(), 5u);
}

// WM_QUIT belongs to the outer loop: the filter never sees it, and it is
// there again once pump_until returns.
TEST(Win32MessageFilter, QuitIsHandedBackUnfiltered) {
    Win32Platform p;
    Receiver r;
    int quits_seen = 0, others = 0;
    p.set_message_filter([&](void* m) {
        const MSG* msg = static_cast<const MSG*>(m);
        if (msg->message == WM_QUIT) ++quits_seen;
        if (msg->message == kProbeMessage) ++others;
        return false;
    });
    PostQuitMessage(3);
    PostMessageW(r.hwnd, kProbeMessage, 1, 0);
    pump_for_at_most(p, 2000, [&] { return others >= 1; });
    EXPECT_EQ(quits_seen, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
}

// A filter may replace itself while it runs.
TEST(Win32MessageFilter, FilterCanReplaceItself) {
    Win32Platform p;
    Receiver r;
    int first = 0, second = 0;
    p.set_message_filter([&](void* m) {
        if (static_cast<const MSG*>(m)->message != kProbeMessage) return false;
        ++first;
        p.set_message_filter([&](void* m2) {
            if (static_cast<const MSG*>(m2)->message == kProbeMessage) ++second;
            return false;
        });
        return true;
    });
    PostMessageW(r.hwnd, kProbeMessage, 1, 0);
    PostMessageW(r.hwnd, kProbeMessage, 2, 0);
    pump_for_at_most(p, 2000, [&] { return Receiver::got().size() >= 1 && second >= 1; });
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 1);
    EXPECT_EQ(Receiver::got(), (std::vector<WPARAM>{2}));
}
