// Sample windows to panel bits: the edge rule at every place, against the
// rule done step by step, and what a request that brings nothing reads as.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <vector>

#include "app/pyrelle_dlg.h"
#include "hardware/rng.h"
#include "readout/panel_decoder.h"
#include "support/fake_port.h"
#include "support/port.h"

namespace {

constexpr std::size_t kWindow = 8192;

TEST(ReadDisplay, NothingSampledReadsAllEights) {
    struct Case {
        const char* what;
        int fill;      // the window the device hands out; -1: the request fails, -2: no device
        int firstBit;  // what position 0 then holds
    };
    const Case cases[] = {{"no device", -2, 1},
                          {"failing request", -1, 1},
                          {"clock low throughout", 0xCF, 9},
                          {"clock high", 0x20, 9}};
    for (const Case& c : cases) {
        auto port = std::make_unique<test::FakePort>();
        port->failSamples = c.fill == -1;
        port->window.assign(kWindow, static_cast<unsigned char>(c.fill));
        test::InstallPort(c.fill == -2 ? nullptr : std::move(port));
        auto dlg = std::make_unique<CPyrelleDlg>();
        dlg->m_hDevice = CreateFileA(driver::kDevicePath, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
        dlg->ReadDisplay();
        EXPECT_EQ(dlg->m_abDisplayBits[0], c.firstBit) << c.what;
        for (int n = 1; n < 256; ++n) ASSERT_EQ(dlg->m_abDisplayBits[n], 9) << c.what;
        EXPECT_EQ(dlg->m_nTemperature, 88888) << c.what;
        EXPECT_EQ(dlg->m_nAuxTemperature, 88888) << c.what;
        EXPECT_EQ(dlg->m_nDisplaySeconds, 5368) << c.what;
        CloseHandle(dlg->m_hDevice);
    }
    test::InstallPort(nullptr);
}

// One rising edge at every place in the window, the data line changing at the
// edge: the bit is the data of the first clock-high sample.
TEST(PanelBits, SingleEdgeAnywhere) {
    std::vector<unsigned char> w(kWindow);
    hw::Rng rng(3);
    for (auto& s : w) s = static_cast<unsigned char>(rng.Next() & 0xDF);  // clock low
    unsigned char bits[readout::kPanelBits];
    for (int i = static_cast<int>(kWindow) - 2; i >= 0; --i) {
        const unsigned char data = i % 3 ? 0 : 0x10;
        w[i + 1] = static_cast<unsigned char>((w[i + 1] & 0xCF) | 0x20 | data);
        w[i] = static_cast<unsigned char>((w[i] & 0xCF) | (data ^ 0x10));
        readout::Decode(w.data(), w.size(), bits);
        ASSERT_EQ(bits[0], data ? 1 : 0) << "edge after sample " << i;
        ASSERT_EQ(bits[1], 9) << "edge after sample " << i;
    }
}

// Against the bit rule done step by step as written, on windows from a handful
// of edges to 4096, with all other bits random. Edges past the last position
// are dropped; nothing past the bits is written.
TEST(PanelBits, AgreeWithTheStepByStepRule) {
    std::vector<unsigned char> w(kWindow);
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

        struct {
            unsigned char bits[readout::kPanelBits];
            unsigned char guard = 0x5A;
        } out;
        readout::Decode(w.data(), w.size(), out.bits);
        ASSERT_EQ(std::memcmp(out.bits, want, 256), 0) << "round " << round;
        ASSERT_EQ(out.guard, 0x5A);
    }
}

// Positions outside the panel bits were reached by no edge: lit.
TEST(PanelDigit, PositionsOutsideTheBitsCountAsLit) {
    unsigned char bits[readout::kPanelBits] = {};
    const std::pair<int, int> cases[] = {
        {-7, 8},  {256, 8}, {INT_MIN, 8}, {INT_MAX, 8},  // wholly outside
        {-1, 7},                                         // the top only
        {255, 4},                                        // all but the top
        {249, 0},                                        // wholly inside
    };
    for (auto [base, digit] : cases) EXPECT_EQ(readout::DecodeDigit(bits, base), digit) << base;
}

}  // namespace
