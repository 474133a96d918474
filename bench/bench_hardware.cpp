// The simulator filling one sample window.
#include <benchmark/benchmark.h>

#include <vector>

#include "hardware/sim_port.h"

namespace {

// One sample request a controller tick: the furnace catches up 1.185 s, then
// the instrument's frames fill the window.
void BM_SimSample(benchmark::State& state) {
    std::int64_t now = 0;
    hw::SimPort port(1, [&now] { return now; });
    port.Write(1);
    std::vector<unsigned char> window(8192);
    for (auto _ : state) {
        now += 1185;
        port.Sample(window.data(), window.size());
        benchmark::DoNotOptimize(window.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SimSample);

}  // namespace
