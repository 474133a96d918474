// Sample windows to display bits and readings.
#include <gtest/gtest.h>

#include "hardware/panel_signal.h"
#include "readout/reader.h"

namespace {

using readout_test::Reader;
using readout_test::WindowDevice;

constexpr std::size_t kWindow = 8192;

void ExpectReads(const CPyrelleDlg& dlg, int main, int aux, int seconds, const std::string& where) {
    EXPECT_EQ(dlg.m_nTemperature, main) << where;
    EXPECT_EQ(dlg.m_nAuxTemperature, aux) << where;
    EXPECT_EQ(dlg.m_nDisplaySeconds, seconds) << where;
}

TEST(ReadDisplay, NothingSampledReadsAllEights) {
    struct Case {
        const char* what;
        int fill;      // the window the device hands out; -1: the request fails
        int firstBit;  // what position 0 then holds
    };
    const Case cases[] = {{"no device", -2, 1},
                          {"failing request", -1, 1},
                          {"clock low throughout", 0xCF, 9},
                          {"clock high", 0x20, 9}};
    for (const Case& c : cases) {
        auto device = std::make_unique<WindowDevice>();
        device->fail = c.fill == -1;
        device->window.assign(kWindow, static_cast<unsigned char>(c.fill));
        Reader reader(c.fill == -2 ? nullptr : std::move(device));
        reader.Read();
        EXPECT_EQ(reader.dlg->m_abDisplayBits[0], c.firstBit) << c.what;
        for (int n = 1; n < 256; ++n) ASSERT_EQ(reader.dlg->m_abDisplayBits[n], 9) << c.what;
        ExpectReads(*reader.dlg, 88888, 88888, 5368, c.what);
    }
}

// One rising edge at every place in the window, the data line changing at the
// edge: the bit is the data of the first clock-high sample.
TEST(ReadDisplay, SingleEdgeAnywhere) {
    Reader reader(std::make_unique<WindowDevice>());
    auto& w = reader.Device<WindowDevice>().window;
    hw::Rng rng(3);
    w.resize(kWindow);
    for (auto& s : w) s = static_cast<unsigned char>(rng.Next() & 0xDF);  // clock low
    for (int i = static_cast<int>(kWindow) - 2; i >= 0; --i) {
        const unsigned char data = i % 3 ? 0 : 0x10;
        w[i + 1] = static_cast<unsigned char>((w[i + 1] & 0xCF) | 0x20 | data);
        w[i] = static_cast<unsigned char>((w[i] & 0xCF) | (data ^ 0x10));
        reader.Read();
        ASSERT_EQ(reader.dlg->m_abDisplayBits[0], data ? 1 : 0) << "edge after sample " << i;
        ASSERT_EQ(reader.dlg->m_abDisplayBits[1], 9) << "edge after sample " << i;
    }
}

// Against the bit rule done step by step as written, on windows from a handful
// of edges to 4096, with all other bits random. Edges past the last position
// are dropped; the field that follows the display bits stays as it was.
TEST(ReadDisplay, AgreesWithTheStepByStepRule) {
    Reader reader(std::make_unique<WindowDevice>());
    auto& w = reader.Device<WindowDevice>().window;
    w.resize(kWindow);
    hw::Rng rng(17);
    for (int round = 0; round < 400; ++round) {
        const unsigned maxRun = 1u << (round % 9);
        bool clock = rng.Next() & 1;
        for (std::size_t i = 0, left = 0; i < kWindow; ++i, --left) {
            if (left == 0) {
                clock = !clock;
                left = 1 + rng.Next() % maxRun;
            }
            w[i] = static_cast<unsigned char>((rng.Next() & 0xDF) | (clock ? 0x20 : 0));
        }
        unsigned char want[256];
        std::memset(want, 9, 256);
        std::vector<int> line(kWindow);
        for (std::size_t i = 0; i < kWindow; ++i) line[i] = (w[i] >> 4) & 3;
        for (std::size_t i = 0, n = 0; i + 1 < kWindow; ++i)
            if (line[i] < 2 && line[i + 1] > 1 && n < 256) want[n++] = line[i + 1] & 1;

        reader.dlg->m_bElementOn = 0x5A;
        reader.Read();
        ASSERT_EQ(std::memcmp(reader.dlg->m_abDisplayBits, want, 256), 0) << "round " << round;
        ASSERT_EQ(reader.dlg->m_bElementOn, 0x5A);
    }
}

// One frame cut short: groups reaching past its end see the missing positions lit.
TEST(ReadDisplay, ShortFrames) {
    struct Case {
        int bits, main, aux, seconds;
    };
    const Case cases[] = {
        {176, 1234, 567, 754},    {172, 1234, 567, 754},    {168, 1234, 967, 754},    {150, 1234, 48867, 754},
        {130, 80234, 88867, 754}, {101, 88888, 88867, 754}, {60, 88888, 88867, 5368}, {0, 88888, 88888, 5368},
    };
    hw::Frame frame;
    hw::BuildFrame({1234, 567, 754}, false, frame);
    hw::Rng rng(8);
    Reader reader(std::make_unique<WindowDevice>());
    auto& w = reader.Device<WindowDevice>().window;
    w.resize(kWindow);
    for (const Case& c : cases) {
        hw::StreamFaults faults;
        faults.truncate = c.bits;
        hw::FillWindow(frame, faults, rng, w.data(), w.size());
        // Bits other than clock and data change nothing.
        for (int others : {-1, 0x00, 0xCF}) {
            if (others >= 0)
                for (auto& s : w) s = static_cast<unsigned char>((s & 0x30) | others);
            reader.Read();
            ExpectReads(*reader.dlg, c.main, c.aux, c.seconds, std::to_string(c.bits) + " bits");
        }
    }
}

}  // namespace
