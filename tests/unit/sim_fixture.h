#pragma once
// A whole program on the simulated platform, in a fresh folder per test.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

#include "app/app.h"
#include "platform/sim/simulator.h"

namespace tessaly {

class SimTest : public ::testing::Test {
protected:
    std::string dir =
        (std::filesystem::temp_directory_path() /
         ("tessaly-" +
          std::string(::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name()) +
          "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name()))
            .string();
    std::ostringstream out;
    std::unique_ptr<Simulator> sim;

    // Makes the simulator in a clean folder and runs `s` (usually ending in `start`).
    void boot(const std::string& s = "setting version \"4.2\"\nstart\n") {
        std::filesystem::remove_all(dir);
        sim = std::make_unique<Simulator>(dir, "C:\\Tessaly", out);
        script(s);
    }
    void script(const std::string& s) { ASSERT_EQ(sim->run(s, dir), 0) << sim->error; }
    App& app() { return *sim->app(); }
    void TearDown() override {
        sim.reset();
        std::filesystem::remove_all(dir);
    }
};

}  // namespace tessaly
