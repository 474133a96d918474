// Where the chart puts program time and temperature, and the program curve's
// dots, value by value.
#include "display/chart_map.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <set>
#include <utility>

namespace {

using display::ChartRanges;
using display::ChartX;
using display::ChartY;

TEST(ChartMap, DefaultRangesPutTheExamplesOnTheirPixels) {
    const ChartRanges r{0, 3600, 10, 390};
    const std::pair<int, int> columns[] = {{0, 58},     {1800, 366}, {3599, 673},
                                           {3600, 674}, {-1, 58},    {-6, 57}};
    for (auto [t, x] : columns) EXPECT_EQ(ChartX(r, t), x) << "t " << t;
    const std::pair<int, int> rows[] = {{10, 419}, {11, 418}, {200, 221}, {389, 24}, {390, 22}};
    for (auto [degrees, y] : rows) EXPECT_EQ(ChartY(r, degrees), y) << degrees << " degrees";
    EXPECT_TRUE(display::InColumns(673));
    EXPECT_FALSE(display::InColumns(674));
    EXPECT_FALSE(display::InRows(419));
    EXPECT_FALSE(display::InRows(22));
}

TEST(ChartMap, MatchesIntegerArithmeticAcrossTheValidatedRanges) {
    const int timeRanges[][2] = {{0, 3600}, {1000, 60000}, {60000, 0}, {0, 300}, {59999, 60000}, {7, 1}};
    for (const auto& tr : timeRanges) {
        const ChartRanges r{tr[0], tr[1], -100, 800};
        const int lo = std::min(tr[0], tr[1]), hi = std::max(tr[0], tr[1]);
        for (int t = lo - 50; t <= hi + 50; ++t) {
            const long long off = (static_cast<long long>(t) - tr[0]) * 616 / (tr[1] - tr[0]);
            ASSERT_EQ(ChartX(r, t), 58 + off) << "range " << tr[0] << ".." << tr[1] << ", t " << t;
        }
        for (int degrees = -150; degrees <= 850; ++degrees)
            ASSERT_EQ(ChartY(r, degrees), 419 - (degrees + 100) * 397 / 900) << degrees;
    }
    // Second 999 shares column 58 with second 1000 in the range 1000 to 60000.
    EXPECT_EQ(ChartX(ChartRanges{1000, 60000, 10, 390}, 999), 58);
    // An empty range puts every point at the axis' start; the widest an int
    // allows has 0 half-way.
    EXPECT_EQ(ChartX(ChartRanges{500, 500, 0, 0}, 100000), 58);
    EXPECT_EQ(ChartY(ChartRanges{0, 0, 200, 200}, 300), 419);
    EXPECT_EQ(ChartX(ChartRanges{INT_MIN, INT_MAX, INT_MIN, INT_MAX}, 0), 58 + 308);
    EXPECT_EQ(ChartY(ChartRanges{INT_MIN, INT_MAX, INT_MIN, INT_MAX}, 0), 419 - 198);
}

// The dots go by columns and pieces; second by second with the program's own
// lookup they must come out the same.
TEST(ChartMap, ProgramDotsMatchTheLookupSecondBySecond) {
    struct Case {
        std::array<int, 4> temps, durations;
        ChartRanges r;
    } cases[] = {
        {{380, 200, 300, 360}, {29000, 900, 900, 20000}, {0, 3600, 10, 390}},  // every column
        {{380, 200, 300, 360}, {29000, 900, 900, 20000}, {0, 300, 10, 390}},   // dots apart
        {{380, 200, 300, 360}, {29000, 900, 900, 20000}, {0, 60000, 10, 390}},
        {{380, 200, 300, 360}, {29000, 900, 900, 20000}, {28000, 31000, -100, 800}},
        {{380, 200, 300, 360}, {29000, 900, 900, 20000}, {60000, 30000, 10, 390}},  // reversed: off the right
        {{380, 200, 300, 360}, {29000, 900, 900, 20000}, {50000, 51000, -100, 800}},  // 0 after the end
        {{100, 200, 300, 400}, {10, -5, 20, 10}, {0, 40, 0, 500}},                    // negative duration
        {{100, 200, 300, 400}, {0, 5, 0, 3}, {0, 12, 0, 500}},                        // zero durations
        {{100, 200, 300, 400}, {0, 0, 0, 0}, {0, 100, -100, 800}},                    // empty program
        {{120, 250, 90, 300}, {100, 50, 30, 20}, {37, 37, 0, 400}},                   // empty time range
        {{120, 250, 90, 300}, {100, 50, 30, 20}, {0, 300, 200, 200}},  // empty temperature range
        {{120, 250, 90, 300}, {100, 50, 30, 20}, {500, 100, 400, 0}},  // both reversed
        {{120, 250, 90, 300}, {100, 50, 30, 20}, {0, 0, 0, 400}},      // no seconds
    };
    for (const Case& c : cases) {
        const control::Program program(c.temps, c.durations);
        std::set<std::pair<int, int>> expected, got;
        for (int t = 0; t < c.r.timeMax; ++t) {
            const int x = ChartX(c.r, t), y = ChartY(c.r, program.TargetTemp(t));
            if (display::InColumns(x) && display::InRows(y)) expected.insert({x, y});
        }
        for (const display::Dot& d : display::ProgramDots(c.r, program)) got.insert({d.x, d.y});
        EXPECT_EQ(got, expected) << "range " << c.r.timeMin << ".." << c.r.timeMax << " x " << c.r.tempMin
                                 << ".." << c.r.tempMax << ", first segment " << c.durations[0];
    }
    // However wide the time range, the work is by columns: the whole default
    // program on column 58 gives its four targets.
    const control::Program program({380, 200, 300, 360}, {29000, 900, 900, 20000});
    std::set<std::pair<int, int>> got;
    for (const display::Dot& d : display::ProgramDots(ChartRanges{0, 2000000000, 10, 390}, program))
        got.insert({d.x, d.y});
    EXPECT_EQ(got, (std::set<std::pair<int, int>>{{58, 33}, {58, 33 + 188}, {58, 33 + 84}, {58, 33 + 21}}));
}

}  // namespace
