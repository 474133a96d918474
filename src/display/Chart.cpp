// The chart: grid, program curve and measured curves, drawn straight onto the client area.
#include <algorithm>
#include <cstdint>

#include "app/PyrelleDlg.h"
#include "control/ControlMath.h"

namespace {

// Client pixels: the cleared area is x 58..672, y 23..418; points may also
// land on column 673, which a redraw does not clear.
constexpr int kLeft = 58, kRight = 673, kClearRight = 672, kTop = 23, kBottom = 418;
constexpr int kTimeSpan = 616;  // from column 58 to column 674, the time maximum
constexpr int kTempSpan = 397;  // from row 419 (temperature minimum) up to row 22 (maximum)

constexpr COLORREF kBackground = RGB(250, 12, 220);
constexpr COLORREF kGrid = RGB(200, 200, 200);
constexpr COLORREF kProgram = RGB(30, 0, 255);
constexpr COLORREF kFirstPoint = RGB(0, 0, 0);
constexpr COLORREF kAux = RGB(0, 0, 255);

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

struct Span {
    std::int64_t lo, hi;  // inclusive; empty when lo > hi
};

// The seconds t with trunc((t - lo) * kTimeSpan / (hi - lo)) == o, for
// 0 <= o < kTimeSpan: the inverse of the time mapping, exact in 64 bits.
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

// Column of program second t and row of a temperature in whole degrees, by
// the latched ranges.
int ChartX(const CPyrelleDlg& d, int t) {
    return kLeft + Offset(t, d.m_nPlotTimeMin, d.m_nPlotTimeMax, kTimeSpan);
}
int ChartY(const CPyrelleDlg& d, int degrees) {
    return 419 - Offset(degrees, d.m_nPlotTempMin, d.m_nPlotTempMax, kTempSpan);
}

}  // namespace

void CPyrelleDlg::RedrawChart() {
    UpdateData(TRUE);
    m_nPlotTimeMin = m_nAxisTimeMin;
    m_nPlotTimeMax = m_nAxisTimeMax;
    m_nPlotTempMin = m_nAxisTempMin;
    m_nPlotTempMax = m_nAxisTempMax;

    // Background and grid, pixel by pixel; row by row, the order in which the
    // surface is stored. The grid follows pixel spacing: every 40th column
    // and every 50th row.
    for (int y = kTop; y <= kBottom; ++y) {
        const bool gridRow = (y - 22) % 50 == 0;
        for (int x = kLeft; x <= kClearRight; ++x)
            m_pChartDC->SetPixel(x, y, gridRow || (x - 57) % 40 == 0 ? kGrid : kBackground);
    }

    PlotProgram();
    m_bFirstPoint = 1;
    const int n = std::clamp(m_nTickCount, 0, kHistorySize);
    for (int i = 0; i < n; ++i) PlotSample(m_aHistory[i].nMain, m_aHistory[i].nAux, control::ProgramTime(i));
}

// One dot per program second from 0 to the time maximum, at the segment's
// target. The target is constant over at most five pieces of time (four
// segments, then 0 past the end), so the work goes by columns and pieces:
// a column gets a piece's dot when one of the piece's seconds maps onto it.
void CPyrelleDlg::PlotProgram() {
    if (m_nPlotTimeMax <= 0) return;

    // The lookup's first-test rule: segment k holds the seconds below its
    // boundary D_k that no earlier segment took, i.e. from the largest earlier
    // boundary on. Sums in 64 bits.
    struct Piece {
        std::int64_t from, to;  // seconds [from, to)
        int temp;
    };
    constexpr std::int64_t kNever = INT64_MIN / 2;
    const int times[4] = {m_nSeg1Time, m_nSeg2Time, m_nSeg3Time, m_nSeg4Time};
    const int temps[4] = {m_nSeg1Temp, m_nSeg2Temp, m_nSeg3Temp, m_nSeg4Temp};
    Piece pieces[5];
    std::int64_t boundary = 0, taken = kNever;
    for (int k = 0; k < 4; ++k) {
        boundary += times[k];
        pieces[k] = Piece{taken, boundary, temps[k]};
        taken = std::max(taken, boundary);
    }
    pieces[4] = Piece{taken, -kNever, 0};

    // Seconds 0 .. time maximum - 1.
    const std::int64_t first = 0, last = static_cast<std::int64_t>(m_nPlotTimeMax) - 1;
    for (int o = 0; o <= kRight - kLeft; ++o) {
        const Span col = SecondsOnColumn(o, m_nPlotTimeMin, m_nPlotTimeMax);
        const std::int64_t lo = std::max(col.lo, first), hi = std::min(col.hi, last);
        if (lo > hi) continue;
        for (const Piece& p : pieces) {
            if (std::max(lo, p.from) >= std::min(hi + 1, p.to)) continue;
            const int y = ChartY(*this, p.temp);
            if (y >= kTop && y <= kBottom) m_pChartDC->SetPixel(kLeft + o, y, kProgram);
        }
    }
}

void CPyrelleDlg::PlotSample(int nMain, int nAux, int t) {
    const int x = ChartX(*this, t);
    if (x < kLeft || x > kRight) return;
    const int yMain = ChartY(*this, control::WholeDegrees(nMain));
    const int yAux = ChartY(*this, control::WholeDegrees(nAux));
    if (yMain >= kTop && yMain <= kBottom) {
        if (m_bFirstPoint == 1) {
            m_pChartDC->SetPixel(x, yMain, kFirstPoint);
            m_pChartDC->MoveTo(x, yMain);
            m_bFirstPoint = 0;
        } else {
            m_pChartDC->LineTo(x, yMain);
        }
    }
    if (yAux >= kTop && yAux <= kBottom) m_pChartDC->SetPixel(x, yAux, kAux);
}
