// key_probe.exe: counts the presses the platform's key state reports while
// xdotool types into its window (scripts/wine-key-test.sh drives it).
//   key_probe.exe SECONDS   run for at most SECONDS (default 12)
//   key_probe.exe --close   ask a running probe to finish now
#include <cstdlib>
#include <string>

#include "platform/win32/fixture/key_probe.h"

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--close")
        return tessaly::win32::fixture::close_key_probe() ? 0 : 1;
    int seconds = argc >= 2 ? std::atoi(argv[1]) : 12;
    if (seconds <= 0) seconds = 12;
    return tessaly::win32::fixture::run_key_probe(seconds);
}
