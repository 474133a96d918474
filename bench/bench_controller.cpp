// The default program, start to end, on the simulated furnace: Run, then
// 42870 ticks with their readings, chart points, status texts and pulses.
#include <benchmark/benchmark.h>

#include <memory>

#include "app/pyrelle_dlg.h"
#include "hardware/sim_port.h"
#include "platform/clock.h"
#include "support/port.h"

namespace {

void BM_DefaultProgramOnTheSimulator(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        test::InstallPort(std::make_unique<hw::SimPort>(1, [] { return platform::NowMs(); }));
        auto dlg = std::make_unique<CPyrelleDlg>();
        AfxGetApp()->m_pMainWnd = dlg.get();
        dlg->Create(IDD_PYRELLE_DIALOG);
        state.ResumeTiming();

        dlg->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_RUN_PC_MODE, BN_CLICKED), 0);
        platform::AdvanceClock(42871LL * 1000);

        state.PauseTiming();
        if (dlg->m_nTickCount != 42870 || dlg->m_nElapsedSeconds != 50800)
            state.SkipWithError("the program did not end after 42870 ticks");
        AfxGetApp()->m_pMainWnd = nullptr;
        dlg.reset();
        test::InstallPort(nullptr);
        state.ResumeTiming();
    }
    state.counters["ticks"] = 42870;
}
BENCHMARK(BM_DefaultProgramOnTheSimulator)->Unit(benchmark::kSecond)->Iterations(3);

}  // namespace
