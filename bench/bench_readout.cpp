// The display decoder on a full window, against a plain copy of the same size.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "app/pyrelle_dlg.h"
#include "hardware/panel_signal.h"
#include "support/fake_port.h"
#include "support/port.h"

namespace {

constexpr std::size_t kWindow = 8192;

// The port hands out a prepared window, so that what is measured is the
// decoder's own work.
void RunReadDisplay(benchmark::State& state, std::vector<unsigned char> window) {
    auto port = std::make_unique<test::FakePort>();
    port->window = std::move(window);
    test::InstallPort(std::move(port));
    auto dlg = std::make_unique<CPyrelleDlg>();
    dlg->m_hDevice = CreateFileA(driver::kDevicePath, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    for (auto _ : state) {
        dlg->ReadDisplay();
        benchmark::DoNotOptimize(dlg->m_nTemperature);
        benchmark::ClobberMemory();
    }
    CloseHandle(dlg->m_hDevice);
    test::InstallPort(nullptr);
}

// A window from the instrument: frames from sample 0, as the driver delivers them.
void BM_ReadDisplay(benchmark::State& state) {
    hw::Frame frame;
    hw::BuildFrame({3804, 3512, 1234}, true, frame);
    hw::Rng rng(1);
    std::vector<unsigned char> window(kWindow);
    hw::FillWindow(frame, {}, rng, window.data(), window.size());
    RunReadDisplay(state, std::move(window));
}
BENCHMARK(BM_ReadDisplay);

// The slowest window: the one edge comes last, so every pair is examined.
void BM_ReadDisplayEdgeAtEnd(benchmark::State& state) {
    std::vector<unsigned char> window(kWindow, 0xCF);
    window.back() = 0x30;
    RunReadDisplay(state, std::move(window));
}
BENCHMARK(BM_ReadDisplayEdgeAtEnd);

// The yardstick: a plain copy of one window.
void BM_Memcpy8KiB(benchmark::State& state) {
    std::vector<unsigned char> from(kWindow, 0x5A), to(kWindow);
    for (auto _ : state) {
        benchmark::DoNotOptimize(from.data());
        std::memcpy(to.data(), from.data(), kWindow);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Memcpy8KiB);

}  // namespace
