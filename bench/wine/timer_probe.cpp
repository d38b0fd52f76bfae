// The floor of an idle Win32 program under Wine: one hidden window and one
// timer asking for a 5 ms period (Wine runs it at 10 ms), with an empty
// handler. Its CPU share, measured as Tessaly.exe's is, shows how much of
// Tessaly's idle cost is the fast timer itself.
//   timer_probe [PERIOD_MS]
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
    UINT period = argc > 1 ? static_cast<UINT>(std::atoi(argv[1])) : 5;
    HWND w = CreateWindowExA(0, "STATIC", "timer probe", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    if (!w) return 1;
    SetTimer(w, 1, period, nullptr);
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) DispatchMessageA(&m);
    return 0;
}
