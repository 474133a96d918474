#include "display/chart_map.h"

#include <algorithm>

namespace display {
namespace {

constexpr int kTimeSpan = 616;  // from column 58 to column 674, the time maximum
constexpr int kTempSpan = 397;  // from row 419 (temperature minimum) up to row 22 (maximum)

// trunc((v - lo) * span / (hi - lo)), in double as the mapping is defined,
// 0 for an empty range. The differences are exact in double for any ints;
// the result is held far outside the plot so that it converts safely.
int Offset(int v, int lo, int hi, int span) {
    if (hi == lo) return 0;
    const double q = (static_cast<double>(v) - lo) * span / (static_cast<double>(hi) - lo);
    return static_cast<int>(std::clamp(q, -1e6, 1e6));
}

// a / b rounded down and up, b > 0.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    return a / b - (a % b != 0 && a < 0 ? 1 : 0);
}
std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {
    return -FloorDiv(-a, b);
}

}  // namespace

int ChartX(const ChartRanges& r, int t) {
    return kPlotLeft + Offset(t, r.timeMin, r.timeMax, kTimeSpan);
}

int ChartY(const ChartRanges& r, int degrees) {
    return 419 - Offset(degrees, r.tempMin, r.tempMax, kTempSpan);
}

Span SecondsOnColumn(int o, int lo, int hi) {
    constexpr std::int64_t kAll = INT64_C(1) << 40;  // beyond any int
    const std::int64_t d = static_cast<std::int64_t>(hi) - lo;
    if (d == 0) return o == 0 ? Span{-kAll, kAll} : Span{1, 0};
    const std::int64_t n = d < 0 ? -d : d;
    // u = |t - lo| in the direction of the axis; trunc(u * span / n) == o.
    Span u = o == 0 ? Span{FloorDiv(-n, kTimeSpan) + 1, CeilDiv(n, kTimeSpan) - 1}
                    : Span{CeilDiv(o * n, kTimeSpan), CeilDiv((o + 1) * n, kTimeSpan) - 1};
    return d > 0 ? Span{lo + u.lo, lo + u.hi} : Span{lo - u.hi, lo - u.lo};
}

// The target is constant over at most five pieces of time, so the work goes
// by columns and pieces, whatever the time range: a column gets a piece's
// dot when one of the piece's seconds maps onto it.
std::vector<Dot> ProgramDots(const ChartRanges& r, const control::Program& program) {
    std::vector<Dot> dots;
    if (r.timeMax <= 0) return dots;
    // Seconds 0 .. time maximum - 1.
    const std::int64_t first = 0, last = static_cast<std::int64_t>(r.timeMax) - 1;
    for (int o = 0; o <= kPlotRight - kPlotLeft; ++o) {
        const Span col = SecondsOnColumn(o, r.timeMin, r.timeMax);
        const std::int64_t lo = std::max(col.lo, first), hi = std::min(col.hi, last);
        if (lo > hi) continue;
        for (const control::Program::Piece& p : program.Pieces()) {
            if (std::max(lo, p.from) >= std::min(hi + 1, p.to)) continue;
            const int y = ChartY(r, p.temp);
            if (InRows(y)) dots.push_back(Dot{kPlotLeft + o, y});
        }
    }
    return dots;
}

}  // namespace display
