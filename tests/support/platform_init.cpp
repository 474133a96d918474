// Benchmark entry: the platform without a display, on the virtual clock,
// and run journals in a temporary folder.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "automation/testing.h"

int main(int argc, char** argv) {
    char state[] = "/tmp/pyrelle-bench-state.XXXXXX";
    if (mkdtemp(state)) setenv("XDG_STATE_HOME", state, 1);
    platform::testing::Init(argc, argv);
    ::benchmark::Initialize(&argc, argv);
    if (::benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    ::benchmark::RunSpecifiedBenchmarks();
    ::benchmark::Shutdown();
    return 0;
}
