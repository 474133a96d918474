// Fuzz target: any sample window through ReadDisplay. The device copies the
// input into the window (bytes past its end keep the request's own fill), and
// the result is checked against a plain, sample-by-sample reading of the
// decoding rules: the display bits, the three readings and their ranges, and
// that nothing next to the display bits changed.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "app/PyrelleDlg.h"
#include "automation/testing.h"
#include "leaks.h"
#include "support/port.h"

namespace {

constexpr std::size_t kWindow = 8192;
constexpr int kBits = 256;

class CopyDevice : public hw::PortDevice {
public:
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;

    bool Sample(unsigned char* window, std::size_t n) override {
        if (size > 0) std::memcpy(window, data, std::min(n, size));
        return true;
    }
    bool Write(unsigned char) override { return true; }
};

[[noreturn]] void Broken(const char* what, long long got, long long want) {
    std::fprintf(stderr, "readout invariant broken: %s (got %lld, want %lld)\n", what, got, want);
    std::abort();
}

// The decoding rules, one sample pair at a time.
struct Expected {
    unsigned char bits[kBits];
    int main = 0, aux = 0, seconds = 0;
};

int Digit(const unsigned char* bits, int base) {
    auto lit = [&](int k) { return bits[base + k] != 0; };
    if (!lit(5)) {
        if (lit(1)) return 0;
        if (lit(0)) return 7;
        return lit(4) ? 1 : 0;
    }
    if (!lit(0)) return lit(1) ? 4 : 0;
    if (!lit(6)) return 2;
    if (!lit(1)) return 3;
    if (!lit(4)) return lit(2) ? 6 : 5;
    return lit(2) ? 8 : 9;
}

void Decode(const unsigned char* window, Expected& e) {
    std::memset(e.bits, 9, sizeof e.bits);
    int n = 0;
    for (std::size_t i = 0; i + 1 < kWindow; ++i) {
        const int low = (window[i] >> 4) & 3, high = (window[i + 1] >> 4) & 3;
        if (low < 2 && high > 1 && n < kBits) e.bits[n++] = static_cast<unsigned char>(high & 1);
    }
    for (int base : {133, 125, 117, 109, 101}) e.main = e.main * 10 + Digit(e.bits, base);
    for (int base : {149, 157, 165, 45, 53}) e.aux = e.aux * 10 + Digit(e.bits, base);
    e.seconds =
        60 * (10 * Digit(e.bits, 61) + Digit(e.bits, 69)) + 10 * Digit(e.bits, 77) + Digit(e.bits, 85);
}

CopyDevice* g_device = nullptr;
CPyrelleDlg* g_dlg = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    platform::testing::Init(*argc, *argv);
    auto device = std::make_unique<CopyDevice>();
    g_device = device.get();
    test::InstallPort(std::move(device));
    g_dlg = new CPyrelleDlg();  // lives as long as the process
    g_dlg->m_hDevice = CreateFileA(driver::kDevicePath, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    if (g_dlg->m_hDevice == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "cannot open the port device\n");
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    g_device->data = data;
    g_device->size = size;

    // The window as the decoder prepares it, then as the device leaves it.
    static unsigned char window[kWindow];
    std::memset(window, 0xFF, sizeof window);
    window[0] = 0;
    std::memcpy(window, data, std::min(size, kWindow));
    Expected want;
    Decode(window, want);

    // Marks in the fields around the display bits: the decoder must not touch them.
    CPyrelleDlg& d = *g_dlg;
    d.m_bElementOn = 0xA5;
    d.m_aHistory[0] = HistoryEntry{-7, 7};
    d.m_nRunState = 0x5A5A;
    const HANDLE device = d.m_hDevice;

    d.ReadDisplay();

    for (int i = 0; i < kBits; ++i)
        if (d.m_abDisplayBits[i] != want.bits[i]) Broken("display bit", d.m_abDisplayBits[i], want.bits[i]);
    if (d.m_nTemperature != want.main) Broken("main temperature", d.m_nTemperature, want.main);
    if (d.m_nAuxTemperature != want.aux) Broken("aux temperature", d.m_nAuxTemperature, want.aux);
    if (d.m_nDisplaySeconds != want.seconds) Broken("display seconds", d.m_nDisplaySeconds, want.seconds);
    if (d.m_nTemperature < 0 || d.m_nTemperature > 99999) Broken("main range", d.m_nTemperature, 0);
    if (d.m_nAuxTemperature < 0 || d.m_nAuxTemperature > 99999) Broken("aux range", d.m_nAuxTemperature, 0);
    if (d.m_nDisplaySeconds < 0 || d.m_nDisplaySeconds > 6039)
        Broken("seconds range", d.m_nDisplaySeconds, 0);
    if (d.m_bElementOn != 0xA5) Broken("element byte after the bits", d.m_bElementOn, 0xA5);
    if (d.m_aHistory[0].nMain != -7 || d.m_aHistory[0].nAux != 7) Broken("history entry 0", 0, 0);
    if (d.m_nRunState != 0x5A5A) Broken("run state", d.m_nRunState, 0x5A5A);
    if (d.m_hDevice != device) Broken("device handle", 0, 0);
    return 0;
}
