#include "ui/win32/dpi.h"

namespace tessaly::ui {

// The per-monitor and per-window calls are looked up at run time: they
// exist from Windows 8.1 / 10 on, and the program also runs where they do
// not (falling back to the system DPI).

int twips_to_pixels(int twips, unsigned dpi) { return MulDiv(twips, static_cast<int>(dpi), 1440); }

int pixels_to_twips(int pixels, unsigned dpi) {
    return dpi ? MulDiv(pixels, 1440, static_cast<int>(dpi)) : pixels * 15;
}

namespace {

unsigned system_dpi() {
    HDC dc = GetDC(nullptr);
    int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSX) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    return dpi > 0 ? static_cast<unsigned>(dpi) : 96u;
}

template <class F>
F user_proc(const char* dll, const char* name) {
    HMODULE m = GetModuleHandleA(dll);
    if (!m) m = LoadLibraryA(dll);
    return m ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name))) : nullptr;
}

}  // namespace

unsigned dpi_at(POINT pt) {
    using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static auto get = user_proc<GetDpiForMonitorFn>("shcore.dll", "GetDpiForMonitor");
    if (get) {
        UINT x = 0, y = 0;
        HMONITOR mon = MonitorFromPoint(pt, MONITOR_DEFAULTTOPRIMARY);
        if (mon && SUCCEEDED(get(mon, 0 /* MDT_EFFECTIVE_DPI */, &x, &y)) && x > 0) return x;
    }
    return system_dpi();
}

unsigned dpi_of(HWND hwnd) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static auto get = user_proc<GetDpiForWindowFn>("user32.dll", "GetDpiForWindow");
    if (get && hwnd) {
        UINT d = get(hwnd);
        if (d > 0) return d;
    }
    return system_dpi();
}

}  // namespace tessaly::ui
