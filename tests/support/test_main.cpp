// Test entry: the platform without a display, on the virtual clock.
#include <gtest/gtest.h>

#include "automation/testing.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    platform::testing::Init(argc, argv);
    return RUN_ALL_TESTS();
}
