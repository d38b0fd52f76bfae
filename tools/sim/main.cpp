// tessaly-sim [--dir DIR] [--folder TEXT] SCRIPT
// Runs the program headless on the simulated platform, driven by SCRIPT.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "platform/sim/simulator.h"

int main(int argc, char** argv) {
    std::string dir = ".", folder = "C:\\Tessaly", script;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--dir" && i + 1 < argc) dir = argv[++i];
        else if (a == "--folder" && i + 1 < argc) folder = argv[++i];
        else if (script.empty() && !a.empty() && a[0] != '-') script = a;
        else {
            std::cerr << "usage: tessaly-sim [--dir DIR] [--folder TEXT] SCRIPT\n";
            return 2;
        }
    }
    if (script.empty()) {
        std::cerr << "usage: tessaly-sim [--dir DIR] [--folder TEXT] SCRIPT\n";
        return 2;
    }
    std::ifstream f(script, std::ios::binary);
    if (!f) {
        std::cerr << "tessaly-sim: cannot read " << script << "\n";
        return 2;
    }
    std::ostringstream text;
    text << f.rdbuf();
    tessaly::Simulator sim(dir, folder, std::cout);
    int rc = sim.run(text.str(), std::filesystem::path(script).parent_path().string());
    std::cout.flush();
    if (rc != 0) std::cerr << script << ": " << sim.error << "\n";
    return rc;
}
