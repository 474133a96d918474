// Benchmark entry: the platform without a display, on the virtual clock.
#include <benchmark/benchmark.h>

#include "automation/testing.h"

int main(int argc, char** argv) {
    platform::testing::Init(argc, argv);
    ::benchmark::Initialize(&argc, argv);
    if (::benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    ::benchmark::RunSpecifiedBenchmarks();
    ::benchmark::Shutdown();
    return 0;
}
