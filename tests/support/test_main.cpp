// Test entry: the platform without a display, on the virtual clock, and run
// journals in a folder of this test binary's own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "automation/testing.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const auto state =
        std::filesystem::current_path() / "test-work" / "state" / std::filesystem::path(argv[0]).filename();
    std::filesystem::remove_all(state);
    std::filesystem::create_directories(state);
    setenv("XDG_STATE_HOME", state.c_str(), 1);
    platform::testing::Init(argc, argv);
    return RUN_ALL_TESTS();
}
