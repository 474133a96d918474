// The parallel-port backend's sample requests on the fake port in virtual
// time: how many succeed within the deadline on a busy machine, that none
// hands a wrong frame to the decoder, and what a tick costs.
//
// Reads cost 1.3 µs. A busy machine holds the reader up before one read in
// 130 for more than 4 µs, with a Pareto tail such that one read in 1540 waits
// more than 50 µs; with SCHED_FIFO one read in 140 waits more than 4 µs and
// one in 100,000 more than 50 µs. Clock phases last P to 2P.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "hardware/parport.h"
#include "support/fake_parport.h"
#include "support/panel_reader.h"

namespace {

constexpr std::int64_t kReadNs = 1'300;

struct HoldModel {
    double chance;
    double alpha;
};
constexpr HoldModel kBusy{1.0 / 130, 0.98};
constexpr HoldModel kBusyFifo{1.0 / 140, 2.6};

// A fresh fake and backend for each run, opened on a quiet line.
struct Bench {
    Bench(std::int64_t phaseNs, std::uint64_t seed)
        : fake(phaseNs, seed), device(hw::ParportOptions{}, fake.Ref()) {
        fake.readNs = kReadNs;
        fake.line.Show({3804, 3512, 1234}, false);
        std::string error;
        open = device.Open(error);
    }
    test::FakeParport fake;
    hw::ParportDevice device;
    bool open = false;
};

// Args: shortest phase in µs, 0 busy / 1 busy with SCHED_FIFO. One request
// an iteration; counters: the share read, the mean frames begun.
void BM_ParportRequests(benchmark::State& state) {
    Bench b(state.range(0) * 1000, 5);
    const HoldModel m = state.range(1) ? kBusyFifo : kBusy;
    b.fake.holdChance = m.chance;
    b.fake.holdNs = test::FakeParport::Pareto(4'000, m.alpha);
    std::vector<unsigned char> window(8192);
    long read = 0, attempts = 0, requests = 0;
    for (auto _ : state) {
        read += b.device.Sample(window.data(), window.size()) ? 1 : 0;
        attempts += b.device.LastRequest().attempts;
        ++requests;
    }
    state.counters["refused"] = b.open ? 0 : 1;
    state.counters["share"] = static_cast<double>(read) / static_cast<double>(requests);
    state.counters["attempts"] = static_cast<double>(attempts) / static_cast<double>(requests);
}
BENCHMARK(BM_ParportRequests)
    ->ArgsProduct({{5, 10, 20, 50}, {0, 1}})
    ->Iterations(200)
    ->Repetitions(1)
    ->Unit(benchmark::kMillisecond);

// 100,000 requests through the program's decoder, each showing new random
// readings, with the reader held up at random (one read in 10,000, for up to
// three clock phases: most such holes could hide an edge, and about one frame
// in three has one). Counters: windows handed on, those that decoded wrong,
// frames begun a request.
void BM_ParportNoWrongReadings(benchmark::State& state) {
    constexpr std::int64_t kPhase = 10'000;
    auto fake = std::make_unique<test::FakeParport>(kPhase, 9);
    fake->readNs = kReadNs;
    test::PanelReader reader(std::make_unique<hw::ParportDevice>(hw::ParportOptions{}, fake->Ref()));
    auto& device = reader.Device<hw::ParportDevice>();
    fake->holdChance = 1.0 / 10'000;
    fake->holdNs = [](hw::Rng& r) { return static_cast<std::int64_t>(r.Uniform() * 3 * kPhase); };
    hw::Rng rng(17);
    long handed = 0, wrong = 0, attempts = 0, requests = 0;
    for (auto _ : state) {
        const hw::Readings shown{static_cast<int>(rng.Next() % 100000), static_cast<int>(rng.Next() % 100000),
                                 static_cast<int>(rng.Next() % 6000)};
        fake->line.Show(shown, false);
        reader.Read();
        ++requests;
        attempts += device.LastRequest().attempts;
        if (!device.LastRequest().ok) continue;
        ++handed;
        const readout::PanelReading& r = reader.reading;
        if (r.main != shown.main || r.aux != shown.aux || r.seconds != shown.seconds) ++wrong;
    }
    state.counters["handed"] = static_cast<double>(handed);
    state.counters["wrong"] = static_cast<double>(wrong);
    state.counters["attempts"] = static_cast<double>(attempts) / static_cast<double>(requests);
}
BENCHMARK(BM_ParportNoWrongReadings)->Iterations(100'000)->Repetitions(1)->Unit(benchmark::kMillisecond);

// One tick's request on a quiet line: the time of the backend's own work
// (with the fake's) per request, and the reads it makes, each of which costs
// 1.3 µs of processor time in the kernel on a real port.
void BM_ParportTick(benchmark::State& state) {
    Bench b(state.range(0) * 1000, 3);
    std::vector<unsigned char> window(8192);
    long reads = 0, requests = 0;
    for (auto _ : state) {
        b.device.Sample(window.data(), window.size());
        reads += b.device.LastRequest().reads;
        ++requests;
    }
    state.counters["reads"] = static_cast<double>(reads) / static_cast<double>(requests);
}
BENCHMARK(BM_ParportTick)->Arg(10)->Arg(20)->Arg(50)->Unit(benchmark::kMillisecond);

}  // namespace
