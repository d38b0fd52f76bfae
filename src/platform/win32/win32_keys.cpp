// The hotkeys' key state: a low-level keyboard hook where the system allows
// one, the asynchronous key state otherwise.
#include "platform/win32/win32_platform.h"

#include <windows.h>

#include <atomic>
#include <cstdint>

namespace tessaly {

namespace {

// --- the low-level keyboard hook's table --------------------------------------

// The hook procedure gets no context, so its table is the process's. The hook
// runs on the installing thread; atomics keep a query from another thread sound.
struct HookedKeys {
    std::atomic<bool> down[256];
    std::atomic<bool> pressed[256];       // went up to down since the code's last query
    std::atomic<ULONGLONG> last_ms[256];  // GetTickCount64 at the code's last event
};
HookedKeys g_hooked;
HHOOK g_hook = nullptr;
std::atomic<HWND> g_notice_hwnd{nullptr};
std::atomic<UINT> g_notice_message{0};

void note_key(unsigned vk, bool down) {
    if (vk == 0 || vk > 255) return;
    g_hooked.last_ms[vk] = GetTickCount64();
    // Autorepeat sends more downs without an up: only the first one is a press.
    if (!down) {
        g_hooked.down[vk] = false;
    } else if (!g_hooked.down[vk].exchange(true)) {
        g_hooked.pressed[vk] = true;
        if (HWND to = g_notice_hwnd) PostMessageW(to, g_notice_message, vk, 0);
    }
}

// The hook names the side of Shift, Ctrl and Alt; the side-neutral codes
// (which GetAsyncKeyState also answers) are down while either side is.
void note_either_side(unsigned neutral, unsigned left, unsigned right) {
    note_key(neutral, g_hooked.down[left] || g_hooked.down[right]);
}

LRESULT CALLBACK keyboard_hook(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION && lp) {
        const auto* k = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lp);
        unsigned vk = k->vkCode;
        note_key(vk, (k->flags & LLKHF_UP) == 0);
        switch (vk) {
            case VK_LSHIFT:
            case VK_RSHIFT: note_either_side(VK_SHIFT, VK_LSHIFT, VK_RSHIFT); break;
            case VK_LCONTROL:
            case VK_RCONTROL: note_either_side(VK_CONTROL, VK_LCONTROL, VK_RCONTROL); break;
            case VK_LMENU:
            case VK_RMENU: note_either_side(VK_MENU, VK_LMENU, VK_RMENU); break;
            default: break;
        }
    }
    // Observing only: the key always goes on to the next hook and its window.
    return CallNextHookEx(nullptr, code, wp, lp);
}

// Mouse buttons never pass a keyboard hook; their codes stay polled.
bool is_mouse_button(int code) {
    return code == VK_LBUTTON || code == VK_RBUTTON || code == VK_MBUTTON || code == VK_XBUTTON1 ||
           code == VK_XBUTTON2;
}

}  // namespace

// --- keyboard ------------------------------------------------------------------

bool Win32Platform::start_key_hook() {
    if (hooked_) return true;
    if (g_hook) return false;  // one table per process
    for (int code = 0; code < 256; ++code) {
        g_hooked.down[code] = false;
        g_hooked.pressed[code] = false;
        g_hooked.last_ms[code] = 0;
    }
    g_hook = SetWindowsHookExW(WH_KEYBOARD_LL, keyboard_hook, GetModuleHandleW(nullptr), 0);
    hooked_ = g_hook != nullptr;
    hook_renewed_ms_ = GetTickCount64();
    return hooked_;
}

// Windows drops a low-level hook without telling when its thread once fails
// to answer in time (a long stall of the UI thread), and the keys would go
// unseen from then on. So the hook is installed afresh now and then: the new
// one first, so no key passes between the two (a key both see is noted
// once), and keys the table has held down for a while but the system has up
// (their release went unseen) are let go; a key that has just gone down may
// not be down in the system's state yet.
void Win32Platform::renew_key_hook() {
    hook_renewed_ms_ = GetTickCount64();
    HHOOK fresh = SetWindowsHookExW(WH_KEYBOARD_LL, keyboard_hook, GetModuleHandleW(nullptr), 0);
    if (!fresh) return;  // keep the one there is
    UnhookWindowsHookEx(g_hook);
    g_hook = fresh;
    const ULONGLONG settled = hook_renewed_ms_ > 1000 ? hook_renewed_ms_ - 1000 : 0;
    for (int code = 1; code <= 255; ++code)
        if (!is_mouse_button(code) && g_hooked.down[code] && g_hooked.last_ms[code] < settled &&
            !(GetAsyncKeyState(code) & 0x8000))
            g_hooked.down[code] = false;
}

void Win32Platform::set_key_press_notice(void* hwnd, unsigned message) {
    g_notice_message = message;
    g_notice_hwnd = static_cast<HWND>(hwnd);
}

void Win32Platform::stop_key_hook() {
    if (!hooked_) return;
    UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
    hooked_ = false;
    // Polling resumes from the keys' present state, so a key held across
    // the switch is not taken for a new press.
    for (int code = 1; code <= 255; ++code)
        if (!is_mouse_button(code)) key_down_[code] = (GetAsyncKeyState(code) & 0x8000) != 0;
}

std::uint16_t Win32Platform::async_key_state(int code) {
    if (code < 1 || code > 255) return 0;
    if (hooked_ && GetTickCount64() - hook_renewed_ms_ >= hook_renewal_ms_) renew_key_hook();
    if (hooked_ && !is_mouse_button(code)) {
        // A press that went down and up since the last query still counts once.
        if (g_hooked.pressed[code].exchange(false)) return 0x8001;
        return g_hooked.down[code] ? 0x8000 : 0;
    }
    return polled_key_state(code);
}

std::uint16_t Win32Platform::polled_key_state(int code) {
    auto raw = static_cast<std::uint16_t>(GetAsyncKeyState(code));
    bool down = raw & 0x8000, pressed = raw & 0x0001;
    bool was_down = key_down_[code];
    key_down_[code] = down;
    // The system sets the "pressed" bit again on every autorepeat, so only an
    // up-to-down change counts as a press; a tap that went down and up between
    // two queries leaves just the bit and is reported as one press.
    if (down) return was_down ? 0x8000 : 0x8001;
    if (pressed && !was_down) return 0x8001;
    return 0;
}

}  // namespace tessaly
