// Digit groups to digits.
#include <gtest/gtest.h>

#include <climits>
#include <map>

#include "readout/reader.h"

namespace {

// The read offsets, in the order of the rows below.
constexpr int kOffsets[6] = {0, 1, 2, 4, 5, 6};

// The rule table as data: per read offset 1 lit, 0 dark, -1 either; the first
// matching row gives the digit.
struct Rule {
    int want[6];
    int digit;
};
constexpr Rule kRules[] = {
    {{-1, 1, -1, -1, 0, -1}, 0}, {{1, 0, -1, -1, 0, -1}, 7}, {{0, 0, -1, 1, 0, -1}, 1},
    {{0, 0, -1, 0, 0, -1}, 0},   {{0, 1, -1, -1, 1, -1}, 4}, {{0, 0, -1, -1, 1, -1}, 0},
    {{1, -1, -1, -1, 1, 0}, 2},  {{1, 0, -1, -1, 1, 1}, 3},  {{1, 1, 0, 0, 1, 1}, 5},
    {{1, 1, 1, 0, 1, 1}, 6},     {{1, 1, 1, 1, 1, 1}, 8},    {{1, 1, 0, 1, 1, 1}, 9},
};

int ByRules(unsigned pattern) {
    for (const Rule& r : kRules) {
        bool match = true;
        for (int k = 0; k < 6; ++k)
            match &= r.want[k] < 0 || r.want[k] == static_cast<int>((pattern >> k) & 1u);
        if (match) return r.digit;
    }
    return -1;
}

TEST(DecodeDigit, AllSixtyFourPatterns) {
    readout_test::Reader reader(nullptr);
    CPyrelleDlg& dlg = *reader.dlg;
    std::map<int, int> count;
    for (unsigned pattern = 0; pattern < 64; ++pattern) {
        const int want = ByRules(pattern);
        ++count[want];
        // Any nonzero byte is lit, and the offsets +3 and +7 never matter.
        for (unsigned char lit : {1, 9, 0xFF})
            for (unsigned char unread : {0, 1, 9}) {
                for (int k = 0; k < 6; ++k)
                    dlg.m_abDisplayBits[101 + kOffsets[k]] = (pattern >> k) & 1u ? lit : 0;
                dlg.m_abDisplayBits[104] = dlg.m_abDisplayBits[108] = unread;
                ASSERT_EQ(dlg.DecodeDigit(101), want) << "pattern " << pattern << " lit " << int{lit};
            }
    }
    const std::map<int, int> expected{{0, 28}, {1, 4}, {2, 8}, {3, 4}, {4, 8},
                                      {5, 1},  {6, 1}, {7, 8}, {8, 1}, {9, 1}};
    EXPECT_EQ(count, expected);
}

// Positions outside the display bits were reached by no edge: lit.
TEST(DecodeDigit, PositionsOutsideTheBitsCountAsLit) {
    readout_test::Reader reader(nullptr);
    std::memset(reader.dlg->m_abDisplayBits, 0, 256);
    const std::pair<int, int> cases[] = {
        {-7, 8},  {256, 8}, {INT_MIN, 8}, {INT_MAX, 8},  // wholly outside
        {-1, 7},                                         // the top only
        {255, 4},                                        // all but the top
        {249, 0},                                        // wholly inside
    };
    for (auto [base, digit] : cases) EXPECT_EQ(reader.dlg->DecodeDigit(base), digit) << base;
}

}  // namespace
