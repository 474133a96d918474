// RedrawChart, PlotProgram and the plotting of a measured sample: the chart
// map's pixels drawn through the dialog's device context.
#include <algorithm>

#include "app/pyrelle_dlg.h"
#include "control/duty.h"
#include "display/chart_map.h"

namespace {

constexpr COLORREF kBackground = RGB(250, 12, 220);
constexpr COLORREF kGrid = RGB(200, 200, 200);
constexpr COLORREF kProgram = RGB(30, 0, 255);
constexpr COLORREF kFirstPoint = RGB(0, 0, 0);
constexpr COLORREF kAux = RGB(0, 0, 255);

}  // namespace

display::ChartRanges CPyrelleDlg::PlotRanges() const {
    return display::ChartRanges{m_nPlotTimeMin, m_nPlotTimeMax, m_nPlotTempMin, m_nPlotTempMax};
}

void CPyrelleDlg::RedrawChart() {
    UpdateData(TRUE);
    m_nPlotTimeMin = m_nAxisTimeMin;
    m_nPlotTimeMax = m_nAxisTimeMax;
    m_nPlotTempMin = m_nAxisTempMin;
    m_nPlotTempMax = m_nAxisTempMax;

    // Background and grid, each pixel set once to its final colour; row by
    // row, the order in which the surface is stored.
    for (int y = display::kPlotTop; y <= display::kPlotBottom; ++y) {
        const bool gridRow = display::IsGridRow(y);
        for (int x = display::kPlotLeft; x <= display::kClearRight; ++x)
            m_pChartDC->SetPixel(x, y, gridRow || display::IsGridColumn(x) ? kGrid : kBackground);
    }

    PlotProgram();
    m_bFirstPoint = 1;
    const int n = std::clamp(m_nTickCount, 0, kHistorySize);
    for (int i = 0; i < n; ++i) PlotSample(m_aHistory[i].nMain, m_aHistory[i].nAux, control::ProgramTime(i));
}

void CPyrelleDlg::PlotProgram() {
    for (const display::Dot& dot : display::ProgramDots(PlotRanges(), CurrentProgram()))
        m_pChartDC->SetPixel(dot.x, dot.y, kProgram);
}

void CPyrelleDlg::PlotSample(int nMain, int nAux, int t) {
    const display::ChartRanges ranges = PlotRanges();
    const int x = display::ChartX(ranges, t);
    if (!display::InColumns(x)) return;
    const int yMain = display::ChartY(ranges, control::WholeDegrees(nMain));
    const int yAux = display::ChartY(ranges, control::WholeDegrees(nAux));
    // A main point outside the rows is skipped without lifting the pen: the
    // next visible one is joined to the last.
    if (display::InRows(yMain)) {
        if (m_bFirstPoint == 1) {
            m_pChartDC->SetPixel(x, yMain, kFirstPoint);
            m_pChartDC->MoveTo(x, yMain);
            m_bFirstPoint = 0;
        } else {
            m_pChartDC->LineTo(x, yMain);
        }
    }
    if (display::InRows(yAux)) m_pChartDC->SetPixel(x, yAux, kAux);
}
