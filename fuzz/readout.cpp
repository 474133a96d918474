// Fuzz target: any sample window through the panel decoder (bytes past the
// input keep the request's own fill: one edge, data 1). The result is checked
// against an independent reading of the rules: the edge rule sample by
// sample, and each digit by the first matching row of the digit table held
// as data. Nothing next to the panel bits may change.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "leaks.h"
#include "readout/panel_decoder.h"

namespace {

constexpr std::size_t kWindow = 8192;
constexpr int kBits = readout::kPanelBits;

[[noreturn]] void Broken(const char* what, long long got, long long want) {
    std::fprintf(stderr, "readout invariant broken: %s (got %lld, want %lld)\n", what, got, want);
    std::abort();
}

// The digit table: per read offset (+0, +1, +2, +4, +5, +6) 1 lit, 0 dark,
// -1 either; the first matching row gives the digit.
struct Row {
    int want[6];
    int digit;
};
constexpr Row kRows[] = {
    {{-1, 1, -1, -1, 0, -1}, 0}, {{1, 0, -1, -1, 0, -1}, 7}, {{0, 0, -1, 1, 0, -1}, 1},
    {{0, 0, -1, 0, 0, -1}, 0},   {{0, 1, -1, -1, 1, -1}, 4}, {{0, 0, -1, -1, 1, -1}, 0},
    {{1, -1, -1, -1, 1, 0}, 2},  {{1, 0, -1, -1, 1, 1}, 3},  {{1, 1, 0, 0, 1, 1}, 5},
    {{1, 1, 1, 0, 1, 1}, 6},     {{1, 1, 1, 1, 1, 1}, 8},    {{1, 1, 0, 1, 1, 1}, 9},
};

int Digit(const unsigned char* bits, int base) {
    constexpr int kOffsets[6] = {0, 1, 2, 4, 5, 6};
    for (const Row& r : kRows) {
        bool match = true;
        for (int k = 0; k < 6; ++k) match &= r.want[k] < 0 || r.want[k] == (bits[base + kOffsets[k]] != 0);
        if (match) return r.digit;
    }
    Broken("no row of the digit table matches", base, 0);
}

struct Expected {
    unsigned char bits[kBits];
    int main = 0, aux = 0, seconds = 0;
};

void Expect(const unsigned char* window, Expected& e) {
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static unsigned char window[kWindow];
    std::memset(window, 0xFF, sizeof window);
    window[0] = 0;
    std::memcpy(window, data, std::min(size, kWindow));
    Expected want;
    Expect(window, want);

    struct {
        unsigned char before = 0xA5;
        unsigned char bits[kBits];
        unsigned char after = 0x5A;
    } out;
    const readout::PanelReading got = readout::Decode(window, kWindow, out.bits);

    for (int i = 0; i < kBits; ++i)
        if (out.bits[i] != want.bits[i]) Broken("panel bit", out.bits[i], want.bits[i]);
    if (got.main != want.main) Broken("main temperature", got.main, want.main);
    if (got.aux != want.aux) Broken("aux temperature", got.aux, want.aux);
    if (got.seconds != want.seconds) Broken("panel seconds", got.seconds, want.seconds);
    if (got.main < 0 || got.main > 99999) Broken("main range", got.main, 0);
    if (got.aux < 0 || got.aux > 99999) Broken("aux range", got.aux, 0);
    if (got.seconds < 0 || got.seconds > 6039) Broken("seconds range", got.seconds, 0);
    if (out.before != 0xA5 || out.after != 0x5A) Broken("bytes next to the panel bits", 0, 0);
    return 0;
}
