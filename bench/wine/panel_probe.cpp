// Times the cross-process status-bar read on its own: the platform's
// read_panel of the viewer's position panel, repeated for a few seconds.
// Prints "begin" and "end" so that the caller can sample the CPU of the
// wineserver and the viewer over exactly the reading.
//   panel_probe TITLE [SECONDS]
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/win32/win32_platform.h"

namespace {
double cpu_seconds() {
    FILETIME c, e, k, u;
    GetProcessTimes(GetCurrentProcess(), &c, &e, &k, &u);
    auto v = [](const FILETIME& f) {
        return static_cast<double>((static_cast<unsigned long long>(f.dwHighDateTime) << 32) |
                                   f.dwLowDateTime) *
               1e-7;
    };
    return v(k) + v(u);
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: panel_probe TITLE [SECONDS]\n");
        return 2;
    }
    const std::string title = argv[1];
    const double seconds = argc > 2 ? std::atof(argv[2]) : 5.0;
    tessaly::Win32Platform p;
    // The viewer may still be starting.
    for (int i = 0; i < 200 && p.read_panel(title, 4).status == tessaly::PanelStatus::NoWindow; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    tessaly::PanelRead first = p.read_panel(title, 4);
    // Settle: the process start's own work must not be counted.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    std::printf("begin\n");
    std::fflush(stdout);
    const double cpu0 = cpu_seconds();
    const auto t0 = std::chrono::steady_clock::now();
    long reads = 0, texts = 0;
    while (std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() < seconds) {
        for (int i = 0; i < 50; ++i, ++reads)
            if (p.read_panel(title, 4).status == tessaly::PanelStatus::Text) ++texts;
    }
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const double cpu = cpu_seconds() - cpu0;
    std::printf(
        "end reads %ld text %ld wall_us_per_read %.1f own_cpu_us_per_read %.1f first \"%s\"\n",
        reads, texts, wall * 1e6 / static_cast<double>(reads),
        cpu * 1e6 / static_cast<double>(reads), first.text.c_str());
    std::fflush(stdout);
    return reads > 0 && texts == reads ? 0 : 1;
}
