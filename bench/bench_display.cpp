// The chart's full redraw with a full history, and one tick's drawing.
#include <benchmark/benchmark.h>

#include <memory>

#include "app/pyrelle_dlg.h"
#include "support/fake_port.h"
#include "support/port.h"

namespace {

// The main window as at start-up, the time range 0 to 60000 s in its form.
std::unique_ptr<CPyrelleDlg> OpenWindow() {
    test::InstallPort(std::make_unique<test::FakePort>());
    auto dlg = std::make_unique<CPyrelleDlg>();
    dlg->Create(IDD_PYRELLE_DIALOG);
    dlg->m_nAxisTimeMax = 60000;
    dlg->UpdateData(FALSE);
    return dlg;
}

// A run's readings: heating up to about 380 degrees, the second reading lagging.
int MainAt(int i) {
    return 200 + (i < 36000 ? i / 10 : 3600 + (i % 7) - 3);
}
int AuxAt(int i) {
    return MainAt(i) * 9 / 10 - 40;
}

void BM_RedrawChartFullHistory(benchmark::State& state) {
    auto dlg = OpenWindow();
    for (int i = 0; i < kHistorySize; ++i) dlg->m_aHistory[i] = HistoryEntry{MainAt(i), AuxAt(i)};
    dlg->m_nTickCount = kHistorySize;
    for (auto _ : state) {
        dlg->RedrawChart();
        benchmark::ClobberMemory();
    }
    dlg.reset();
    test::InstallPort(nullptr);
}
BENCHMARK(BM_RedrawChartFullHistory)->Unit(benchmark::kMillisecond);

// Temperatures text, the sample's plot and the time text, as a tick draws them.
void BM_TickDrawing(benchmark::State& state) {
    auto dlg = OpenWindow();
    dlg->RedrawChart();
    int tick = 0;
    for (auto _ : state) {
        dlg->m_nTemperature = MainAt(tick);
        dlg->m_nAuxTemperature = AuxAt(tick);
        dlg->m_nElapsedSeconds = tick * 1185 / 1000;
        dlg->DrawTemps();
        dlg->PlotSample(dlg->m_nTemperature, dlg->m_nAuxTemperature, dlg->m_nElapsedSeconds);
        dlg->DrawTime();
        benchmark::ClobberMemory();
        if (++tick == kHistorySize) {
            tick = 0;
            dlg->m_bFirstPoint = 1;
        }
    }
    dlg.reset();
    test::InstallPort(nullptr);
}
BENCHMARK(BM_TickDrawing)->Unit(benchmark::kMicrosecond);

}  // namespace
