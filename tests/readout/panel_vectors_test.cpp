// The panel decoder from frame-to-reading vectors, one test per vector file
// (tests/data/readout; how they were made is in make_vectors.py there).
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "driver/port_lines.h"
#include "hardware/rng.h"
#include "readout/panel_decoder.h"

namespace {

constexpr int kBases[14] = {45, 53, 61, 69, 77, 85, 101, 109, 117, 125, 133, 149, 157, 165};

// The frame's first `sent` bits as port samples: each bit a clock-low and a
// clock-high phase of 1 to 4 samples, the data bit held across both, after an
// idle line; the other six bits of every sample random.
std::vector<unsigned char> Window(const unsigned char (&frame)[176], int sent, hw::Rng& rng) {
    std::vector<unsigned char> w;
    const unsigned char idle = driver::kClockBit | driver::kDataBit;
    w.assign(5, idle);
    for (int k = 0; k < sent; ++k) {
        const unsigned char data = frame[k] ? driver::kDataBit : 0;
        w.insert(w.end(), 1 + rng.Next() % 4, data);
        w.insert(w.end(), 1 + rng.Next() % 4, data | driver::kClockBit);
    }
    w.resize(driver::kWindowSize, idle);
    for (auto& s : w) s = static_cast<unsigned char>((s & 0x30) | (rng.Next() & 0xCF));
    return w;
}

class PanelVectors : public ::testing::TestWithParam<const char*> {};

TEST_P(PanelVectors, DecodeToTheirReadings) {
    const std::string path = std::string(PYRELLE_SOURCE_DIR "/tests/data/readout/") + GetParam();
    std::ifstream in(path);
    ASSERT_TRUE(in) << path;
    hw::Rng rng(5);
    int lines = 0;
    for (std::string text; std::getline(in, text);) {
        if (text.empty() || text[0] == '#') continue;
        std::istringstream fields(text);
        int sent = 0;
        unsigned char frame[176] = {};
        fields >> sent;
        for (int base : kBases) {
            unsigned group = 0;
            fields >> std::hex >> group >> std::dec;
            for (int k = 0; k < 8; ++k) frame[base + k] = (group >> k) & 1u;
        }
        std::string arrow;
        readout::PanelReading want;
        fields >> arrow >> want.main >> want.aux >> want.seconds;
        ASSERT_TRUE(fields && arrow == "=>") << path << ": " << text;

        const std::vector<unsigned char> window = Window(frame, sent, rng);
        unsigned char bits[readout::kPanelBits];
        const readout::PanelReading got = readout::Decode(window.data(), window.size(), bits);
        EXPECT_EQ(got.main, want.main) << text;
        EXPECT_EQ(got.aux, want.aux) << text;
        EXPECT_EQ(got.seconds, want.seconds) << text;
        ++lines;
    }
    EXPECT_GT(lines, 0) << path;
}

INSTANTIATE_TEST_SUITE_P(Files, PanelVectors,
                         ::testing::Values("worked_examples.txt", "segment_patterns.txt", "short_frames.txt"),
                         [](const auto& info) {
                             std::string name = info.param;
                             return name.substr(0, name.find('.'));
                         });

}  // namespace
