// Readings through the panel's line, the port window and the decoder, and back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "hardware/ports.h"
#include "hardware/replay_port.h"
#include "hardware/sim_port.h"
#include "readout/panel_decoder.h"
#include "support/panel_reader.h"

namespace {

using test::PanelReader;

bool Reads(const PanelReader& r, int main, int aux, int seconds) {
    return r.reading.main == main && r.reading.aux == aux && r.reading.seconds == seconds;
}

TEST(RoundTrip, EveryDigitAtEveryPlaceAndRandomReadings) {
    std::vector<hw::ReplayReading> shown;
    for (int d = 0; d <= 9; ++d)  // tens of seconds go up to 5 only
        shown.push_back({d * 11111, d * 11111, d * 600 + d * 60 + std::min(d, 5) * 10 + d});
    hw::Rng rng(2024);
    for (int k = 0; k < 3000; ++k) {
        const unsigned range = k % 2 ? 100000 : 1000;  // small ones have blank leading digits
        shown.push_back({static_cast<int>(rng.Next() % range), static_cast<int>(rng.Next() % range),
                         static_cast<int>(rng.Next() % 6000)});
    }
    PanelReader reader(std::make_unique<hw::ReplayPort>(shown, 99, nullptr));
    for (const auto& r : shown) {
        reader.Read();
        ASSERT_TRUE(Reads(reader, r.main, r.aux, r.seconds)) << r.main << " " << r.aux << " " << r.seconds;
    }
}

TEST(RoundTrip, ReplayShowsEachLineThenHoldsTheLast) {
    std::vector<hw::ReplayReading> lines;
    std::string error;
    ASSERT_TRUE(hw::LoadReplay(PYRELLE_SOURCE_DIR "/tests/data/replay/with_seconds.txt", lines, error))
        << error;
    std::int64_t now = 5000;
    PanelReader reader(std::make_unique<hw::ReplayPort>(lines, 1, [&now] { return now; }));
    reader.Read();
    EXPECT_TRUE(Reads(reader, 1234, 567, 754));
    reader.Read();
    EXPECT_TRUE(Reads(reader, 99999, 0, 5999));
    now += 61500;  // no third field: the display's own clock, from power-on
    reader.Read();
    EXPECT_TRUE(Reads(reader, 0, 99999, 61));
    now += 1000;
    reader.Read();
    EXPECT_TRUE(Reads(reader, 0, 99999, 62));
}

// A heating run as the decoder sees it, whole and under the faults that leave
// no clock edge (the short frames are the decoder's own test).
TEST(RoundTrip, SimulatorWithAndWithoutFaults) {
    const std::pair<const char*, bool> cases[] = {{"sim", true},
                                                  {"sim,truncate=176", true},
                                                  {"sim,stuck=high", false},
                                                  {"sim,stuck=low", false},
                                                  {"sim,drop=1", false},
                                                  {"sim,fail", false}};
    for (auto [portName, whole] : cases) {
        std::int64_t now = 0;
        std::string error;
        PanelReader reader(hw::MakePort(
            portName, 1, [&now] { return now; }, error));
        auto& sim = reader.Device<hw::SimPort>();
        for (int tick = 0; tick < 300; ++tick) {
            sim.Write(1);
            now += 1185;
            reader.Read();
            const hw::Readings& r = whole ? sim.Shown() : hw::Readings{88888, 88888, 5368};
            ASSERT_TRUE(Reads(reader, r.main, r.aux, r.seconds)) << portName << " tick " << tick;
        }
        if (whole) {
            EXPECT_GT(sim.Shown().main, 700) << portName;  // it heated
        }
    }
}

TEST(RoundTrip, FlipEveryBitInvertsTheFrame) {
    std::string error;
    PanelReader reader(hw::MakePort(
        "sim,flip=1", 1, [] { return std::int64_t{0}; }, error));
    reader.Read();
    hw::Frame f;
    hw::BuildFrame(reader.Device<hw::SimPort>().Shown(), false, f);
    for (int k = 0; k < hw::kFrameBits; ++k) ASSERT_EQ(reader.bits[k], 1 - f[k]) << k;
}

}  // namespace
