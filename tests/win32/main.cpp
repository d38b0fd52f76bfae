// The test executable doubles as the fake viewer process for the
// cross-process status-bar tests, as the reader of the replace test and as
// the storms writer of the kill test.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "win32/fixture/fake_viewer.h"
#include "win32/fixture/file_reader.h"
#include "win32/fixture/storms_writer.h"

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--fake-viewer")
        return tessaly::win32::fixture::run_fake_viewer(argv[2], argv[3], 60);
    if (argc == 3 && std::string(argv[1]) == "--read-loop")
        return tessaly::win32::fixture::run_read_loop(argv[2], 120);
    if (argc == 4 && std::string(argv[1]) == "--storms-writer")
        return tessaly::win32::fixture::run_storms_writer(argv[2], std::atoi(argv[3]));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
