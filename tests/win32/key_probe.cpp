// key_probe.exe: counts the presses the platform's key state reports while
// xdotool types keys (scripts/wine-key-test.sh drives it).
//   key_probe.exe [--source hook|async] [--window] [--idle-ms MS] [SECONDS]
//       --source   where the key state comes from (default hook)
//       --window   show a window of its own to type into; by default the keys
//                  go to another program's window, as they go to the viewer's
//       --idle-ms  measure the scan's cost over the first MS alone
//       SECONDS    run for at most SECONDS (default 12)
//   key_probe.exe --close   ask a running probe to finish now
//   key_probe.exe --close-title TITLE   ask the window titled TITLE to close
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "win32/fixture/key_probe.h"

using tessaly::win32::fixture::KeySource;

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--close")
        return tessaly::win32::fixture::close_key_probe() ? 0 : 1;
    if (argc == 3 && std::string(argv[1]) == "--close-title") {
        HWND w = FindWindowA(nullptr, argv[2]);
        return w && PostMessageA(w, WM_CLOSE, 0, 0) ? 0 : 1;
    }
    tessaly::win32::fixture::KeyProbeOptions o;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--source" && i + 1 < argc) {
            std::string s = argv[++i];
            if (s == "hook") o.source = KeySource::Hook;
            else if (s == "async") o.source = KeySource::Async;
            else {
                std::fprintf(stderr, "unknown source %s\n", s.c_str());
                return 2;
            }
        } else if (a == "--window") {
            o.own_window = true;
        } else if (a == "--idle-ms" && i + 1 < argc) {
            o.idle_ms = std::atoi(argv[++i]);
        } else if (!a.empty() && a[0] != '-') {
            o.seconds = std::atoi(a.c_str());
            if (o.seconds <= 0) o.seconds = 12;
        } else {
            std::fprintf(stderr, "unknown argument %s\n", a.c_str());
            return 2;
        }
    }
    return tessaly::win32::fixture::run_key_probe(o);
}
