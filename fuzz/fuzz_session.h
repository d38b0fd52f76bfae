#pragma once
// One simulated program for all inputs of a fuzz run.
#include <filesystem>
#include <sstream>
#include <string>

#include "app/app.h"
#include "platform/sim/simulator.h"

namespace tessaly {

inline Simulator& fuzz_session() {
    static std::ostringstream out;
    static std::string dir = (std::filesystem::temp_directory_path() / "tessaly-fuzz").string();
    static Simulator* sim = [] {
        std::filesystem::remove_all(dir);
        auto* s = new Simulator(dir, "C:\\Tessaly", out);
        s->run("setting version \"4.2\"\nstart\n", dir);
        return s;
    }();
    out.str("");
    return *sim;
}

}  // namespace tessaly
