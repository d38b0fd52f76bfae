// Where a control of another program's window sits on the screen, so that
// the road test can click it with xdotool as a user would (xdotool sees
// top-level windows only).
//   control_probe rect TITLE ID  -> "X Y W H VISIBLE" of the control with that
//                                   id in the top-level window titled TITLE
//   control_probe text TITLE ID  -> the control's text as it shows now: what
//                                   the user typed into a field, which
//                                   GetWindowText does not return across
//                                   processes (WM_GETTEXT does)
// Exit 1 when there is no such control.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string narrow(const std::wstring& w) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? static_cast<size_t>(n) : 1, '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, s.data(), n, nullptr, nullptr);
    s.resize(s.size() - 1);
    return s;
}

std::wstring wide(const char* s) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, s, -1, nullptr, 0);
    std::wstring w(n > 0 ? static_cast<size_t>(n) : 1, L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, s, -1, w.data(), n);
    w.resize(w.size() - 1);
    return w;
}

}  // namespace

int main(int argc, char** argv) {
    const bool rect = argc == 4 && std::strcmp(argv[1], "rect") == 0;
    if (!rect && (argc != 4 || std::strcmp(argv[1], "text") != 0)) {
        std::fputs("usage: control_probe rect|text TITLE ID\n", stderr);
        return 2;
    }
    HWND top = FindWindowW(nullptr, wide(argv[2]).c_str());
    HWND control = top ? GetDlgItem(top, std::atoi(argv[3])) : nullptr;
    if (!control) return 1;
    if (!rect) {
        wchar_t text[4096] = {};
        SendMessageW(control, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text));
        std::printf("%s\n", narrow(text).c_str());
        std::fflush(stdout);
        return 0;
    }
    RECT r{};
    if (!GetWindowRect(control, &r)) return 1;
    std::printf("%ld %ld %ld %ld %d\n", r.left, r.top, r.right - r.left, r.bottom - r.top,
                IsWindowVisible(control) ? 1 : 0);
    std::fflush(stdout);
    return 0;
}
