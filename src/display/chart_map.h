// The chart's geometry: where program time and temperature land in client
// pixels, the grid, and the program curve's dots. Values in, values out.
#pragma once

#include <cstdint>
#include <vector>

#include "control/program.h"

namespace display {

// Client pixels, bounds inclusive: a redraw clears x 58..672, y 23..418;
// points may also land on column 673, which a redraw does not clear.
inline constexpr int kPlotLeft = 58, kPlotRight = 673, kClearRight = 672;
inline constexpr int kPlotTop = 23, kPlotBottom = 418;

// The ranges the chart draws with: seconds at the left edge (column 58) and
// the right edge (674, just outside), whole degrees at the bottom (row 419)
// and the top (row 22), both just outside.
struct ChartRanges {
    int timeMin, timeMax, tempMin, tempMax;
};

// Column of program second t and row of a temperature in whole degrees.
int ChartX(const ChartRanges& r, int t);
int ChartY(const ChartRanges& r, int degrees);

inline bool InColumns(int x) {
    return x >= kPlotLeft && x <= kPlotRight;
}
inline bool InRows(int y) {
    return y >= kPlotTop && y <= kPlotBottom;
}

// The grid follows pixel spacing: every 40th column and every 50th row.
inline bool IsGridRow(int y) {
    return (y - 22) % 50 == 0;
}
inline bool IsGridColumn(int x) {
    return (x - 57) % 40 == 0;
}

// The program curve: a dot at (x(i), y(target(i))) for every second i from
// 0 up to the time maximum that lands inside the plot.
struct Dot {
    int x, y;
};
std::vector<Dot> ProgramDots(const ChartRanges& r, const control::Program& program);

// The seconds t that map onto column offset o (0 <= o < 616) of the time
// axis, as an inclusive span (empty when lo > hi): the inverse of ChartX.
struct Span {
    std::int64_t lo, hi;
};
Span SecondsOnColumn(int o, int timeMin, int timeMax);

}  // namespace display
