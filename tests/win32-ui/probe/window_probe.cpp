// What the road test cannot see through xdotool: a viewer's status-bar panel
// read the way Tessaly reads it, and the texts inside Tessaly's windows.
//   window_probe panel TITLE INDEX   -> the panel text, or "(none)"/"(empty)"
//   window_probe dump EXE-NAME       -> one line per visible top-level window of
//                                       that program: "window X Y W H TITLE", then
//                                       "  ID TEXT" per child control, and under a
//                                       list view "  ID.ROW CELL | CELL ..." per row
//   window_probe move TITLE X Y      -> moves the top-level window titled TITLE
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_text.h"

namespace {

std::string text_of(HWND h) {
    wchar_t buf[1024] = {};
    GetWindowTextW(h, buf, 1024);
    return tessaly::win32::narrow(buf);
}

std::wstring exe_of(HWND h) {
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!p) return {};
    wchar_t path[MAX_PATH] = {};
    DWORD n = MAX_PATH;
    std::wstring out;
    if (QueryFullProcessImageNameW(p, 0, path, &n)) {
        out = path;
        size_t slash = out.find_last_of(L"\\/");
        if (slash != std::wstring::npos) out = out.substr(slash + 1);
    }
    CloseHandle(p);
    return out;
}

// A list view's rows, read through a buffer inside the list's process: its
// messages carry pointers, which Wine does not carry across processes.
void dump_list_rows(HWND list, int id) {
    const int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const int cols =
        header ? std::max(1, static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0))) : 1;
    if (rows <= 0) return;
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return;
    constexpr int kChars = 512;
    const SIZE_T size = sizeof(LVITEMW) + kChars * sizeof(wchar_t);
    auto* remote = static_cast<char*>(
        VirtualAllocEx(process, nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (remote) {
        auto* remote_text = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
        for (int r = 0; r < rows; ++r) {
            std::string line;
            for (int c = 0; c < cols; ++c) {
                LVITEMW item{};
                item.iSubItem = c;
                item.pszText = remote_text;
                item.cchTextMax = kChars;
                wchar_t text[kChars] = {};
                SIZE_T done = 0;
                if (!WriteProcessMemory(process, remote, &item, sizeof item, &done)) break;
                SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(r),
                             reinterpret_cast<LPARAM>(remote));
                ReadProcessMemory(process, remote_text, text, sizeof text - sizeof(wchar_t), &done);
                if (c > 0) line += " | ";
                line += tessaly::win32::narrow(text);
            }
            std::printf("  %d.%d %s\n", id, r + 1, line.c_str());
        }
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
}

struct DumpState {
    std::wstring exe;
};

BOOL CALLBACK dump_child(HWND c, LPARAM) {
    if (!IsWindowVisible(c)) return TRUE;
    std::printf("  %d %s\n", GetDlgCtrlID(c), text_of(c).c_str());
    wchar_t cls[32] = {};
    GetClassNameW(c, cls, 32);
    if (_wcsicmp(cls, WC_LISTVIEWW) == 0 &&
        (GetWindowLongW(c, GWL_STYLE) & LVS_TYPEMASK) == LVS_REPORT)
        dump_list_rows(c, GetDlgCtrlID(c));
    return TRUE;
}

BOOL CALLBACK dump_top(HWND h, LPARAM lp) {
    auto* st = reinterpret_cast<DumpState*>(lp);
    if (!IsWindowVisible(h) || _wcsicmp(exe_of(h).c_str(), st->exe.c_str()) != 0) return TRUE;
    RECT r{};
    GetWindowRect(h, &r);
    std::printf("window %ld %ld %ld %ld %s\n", r.left, r.top, r.right - r.left, r.bottom - r.top,
                text_of(h).c_str());
    EnumChildWindows(h, dump_child, 0);
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "panel") == 0) {
        tessaly::Win32Platform platform;
        tessaly::PanelRead r =
            platform.read_panel(tessaly::win32::acp_to_utf8(argv[2]), std::atoi(argv[3]));
        if (r.status == tessaly::PanelStatus::NoWindow) std::puts("(none)");
        else if (r.status == tessaly::PanelStatus::Empty) std::puts("(empty)");
        else std::puts(r.text.c_str());
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "dump") == 0) {
        DumpState st{tessaly::win32::widen(argv[2])};
        EnumWindows(dump_top, reinterpret_cast<LPARAM>(&st));
        std::fflush(stdout);
        return 0;
    }
    if (argc == 5 && std::strcmp(argv[1], "move") == 0) {
        HWND h = FindWindowW(nullptr, tessaly::win32::widen(argv[2]).c_str());
        if (!h) return 1;
        return SetWindowPos(h, nullptr, std::atoi(argv[3]), std::atoi(argv[4]), 0, 0,
                            SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)
                   ? 0
                   : 1;
    }
    std::fputs("usage: window_probe panel TITLE INDEX | dump EXE-NAME | move TITLE X Y\n", stderr);
    return 2;
}
