// Test entry: the platform without a display, on the virtual clock.
#include <gtest/gtest.h>

#include "platform/testing.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    platform::testing::Init(argc, argv);
    return RUN_ALL_TESTS();
}
