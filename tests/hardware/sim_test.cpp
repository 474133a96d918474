// The simulated machine: the display frame it sends and the furnace behind it.
#include <gtest/gtest.h>

#include <vector>

#include "hardware/sim_port.h"

namespace {

// The usual shapes as the bytes at +0, +1, +2, +4, +5, +6 of a group.
constexpr int kOffsets[6] = {0, 1, 2, 4, 5, 6};
constexpr unsigned char kShape[10][6] = {
    {1, 1, 1, 1, 0, 1}, {0, 0, 0, 1, 0, 1}, {1, 0, 1, 1, 1, 0}, {1, 0, 0, 1, 1, 1}, {0, 1, 0, 1, 1, 1},
    {1, 1, 0, 0, 1, 1}, {1, 1, 1, 0, 1, 1}, {1, 0, 0, 1, 0, 1}, {1, 1, 1, 1, 1, 1}, {1, 1, 0, 1, 1, 1},
};
// Group bases, highest digit first: main, aux, display time.
constexpr int kMain[5] = {133, 125, 117, 109, 101};
constexpr int kAux[5] = {149, 157, 165, 45, 53};
constexpr int kTime[4] = {61, 69, 77, 85};

// Temperatures show their usual shapes, leading zeros blank down to the units.
TEST(DisplayFrame, ShapesAndBlankedLeadingZeros) {
    for (int value : {0, 7, 42, 305, 1234, 56789, 99999}) {
        hw::Frame f;
        hw::BuildFrame({value, value, 4321}, false, f);
        for (int k = 0, div = 10000; k < 5; ++k, div /= 10) {
            const bool blank = k < 3 && value < div;
            for (int base : {kMain[k], kAux[k]})
                for (int s = 0; s < 6; ++s)
                    ASSERT_EQ(f[base + kOffsets[s]], blank ? 0 : kShape[value / div % 10][s])
                        << value << " at " << base;
        }
        const int clock[4] = {7, 2, 0, 1};  // 4321 s is 72:01
        for (int k = 0; k < 4; ++k)
            for (int s = 0; s < 6; ++s) ASSERT_EQ(f[kTime[k] + kOffsets[s]], kShape[clock[k]][s]);
    }
}

TEST(DisplayStream, StaysInsideWindowsOfAnySize) {
    hw::Frame f;
    hw::BuildFrame({1, 2, 3}, false, f);
    hw::Rng rng(3);
    for (std::size_t size : {1u, 7u, 9u, 1609u, 8191u}) {
        std::vector<unsigned char> w(size + 16, 0xA5);
        hw::FillWindow(f, {}, rng, w.data(), size);
        EXPECT_FALSE(w[0] & hw::kClockBit) << size;
        for (std::size_t i = size; i < w.size(); ++i) ASSERT_EQ(w[i], 0xA5) << size;
    }
}

struct TestClock {
    std::int64_t ms = 0;
    hw::ClockFn Fn() {
        return [this] { return ms; };
    }
};

hw::Readings Read(hw::SimPort& port) {
    std::vector<unsigned char> w(8192);
    EXPECT_TRUE(port.Sample(w.data(), w.size()));
    return port.Shown();
}

TEST(SimFurnace, HeatsAtTheDefaultDutyAndCoolsTowardTheRoom) {
    TestClock clock;
    hw::SimPort port(1, clock.Fn());
    EXPECT_NEAR(Read(port).main, 200, 2);
    // The default duty: off for 20 ms, then on, each second.
    int seconds = 0;
    for (; Read(port).main < 3800 && seconds < 3600; ++seconds) {
        port.Write(0);
        clock.ms += 20;
        port.Write(1);
        clock.ms += 980;
    }
    EXPECT_GE(seconds, 20 * 60);
    EXPECT_LE(seconds, 40 * 60);
    EXPECT_LT(port.Shown().aux, port.Shown().main - 100);  // the load lags

    clock.ms += 2 * 3600 * 1000;
    EXPECT_GT(Read(port).main, 6000);

    port.Write(2);  // only 1 is on
    double last = port.GetFurnace().Chamber();
    for (int hour = 0; hour < 12; ++hour) {
        clock.ms += 3600 * 1000;
        Read(port);
        EXPECT_LT(port.GetFurnace().Chamber(), last) << hour;
        last = port.GetFurnace().Chamber();
    }
    EXPECT_NEAR(Read(port).main, 200, 3);
}

TEST(SimFurnace, SameSeedRepeatsTheRun) {
    auto run = [](std::uint64_t seed) {
        TestClock clock;
        hw::SimPort port(seed, clock.Fn());
        std::vector<unsigned char> all, w(8192);
        for (int tick = 0; tick < 50; ++tick) {
            port.Write(tick % 3 ? 1 : 0);
            clock.ms += 1185;
            port.Sample(w.data(), w.size());
            all.insert(all.end(), w.begin(), w.end());
            all.push_back(static_cast<unsigned char>(port.Shown().main));
        }
        return all;
    };
    EXPECT_EQ(run(42), run(42));
    EXPECT_NE(run(42), run(43));
}

TEST(SimFurnace, DisplayClockCountsFromPowerOnAndWraps) {
    TestClock clock{123456};
    hw::SimPort port(1, clock.Fn());
    EXPECT_EQ(Read(port).seconds, 0);
    clock.ms += 754999;
    EXPECT_EQ(Read(port).seconds, 754);
    clock.ms += (6000 - 754) * 1000;
    EXPECT_EQ(Read(port).seconds, 0);
}

}  // namespace
