// The display decoder: a window of port samples to display bits, digits and readings.
#include <bit>
#include <cstdint>
#include <cstring>
#include <initializer_list>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "app/PyrelleDlg.h"
#include "driver/port_requests.h"

namespace {

using driver::kWindowSize;
constexpr unsigned char kUnreached = 9;

// Clock is bit 5 of a sample, data bit 4.
constexpr unsigned kClock = 0x20;
constexpr unsigned kData = 0x10;

// Stores the data bit of every rising clock edge in `bits`, in order, until
// it is full; returns how many were stored. Edges past the last position are
// dropped: the frame's readings all lie well inside it.
std::size_t ExtractBits(const unsigned char* window, unsigned char* bits, std::size_t capacity) {
    std::size_t n = 0;
    std::size_t i = 0;
#if defined(__SSE2__)
    // Sixteen sample pairs to a vector: lane j of `lo` is sample i+j, of `hi`
    // sample i+j+1. Shifting the clock bit (or the data bit) up to the lane's
    // top bit lets movemask gather one bit per pair. Most blocks hold no edge.
    auto load = [window](std::size_t at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(window + at));
    };
    auto clockEdges = [](__m128i lo, __m128i hi) {
        return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_slli_epi16(_mm_andnot_si128(lo, hi), 2)));
    };
    auto dataBits = [](__m128i hi) {
        return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_slli_epi16(hi, 3)));
    };
    for (; i + 32 < kWindowSize; i += 32) {
        const __m128i lo0 = load(i), hi0 = load(i + 1), lo1 = load(i + 16), hi1 = load(i + 17);
        std::uint32_t edges = clockEdges(lo0, hi0) | clockEdges(lo1, hi1) << 16;
        if (edges == 0) continue;
        const std::uint32_t data = dataBits(hi0) | dataBits(hi1) << 16;
        for (; edges != 0; edges &= edges - 1) {
            bits[n++] = static_cast<unsigned char>((data >> std::countr_zero(edges)) & 1u);
            if (n == capacity) return n;
        }
    }
#endif
    for (; i + 1 < kWindowSize; ++i) {
        if (!(window[i] & kClock) && (window[i + 1] & kClock)) {
            bits[n++] = (window[i + 1] & kData) ? 1 : 0;
            if (n == capacity) return n;
        }
    }
    return n;
}

}  // namespace

void CPyrelleDlg::ReadDisplay() {
    unsigned char abWindow[kWindowSize];
    std::memset(abWindow, 0xFF, sizeof abWindow);
    std::memset(m_abDisplayBits, kUnreached, sizeof m_abDisplayBits);
    abWindow[0] = 0;

    driver::SampleWindow(m_hDevice, abWindow);

    // Only the clock and data bits of a sample count; the edge test reads them
    // in place rather than reducing each sample to its line state first.
    ExtractBits(abWindow, m_abDisplayBits, sizeof m_abDisplayBits);

    int nMain = 0;
    for (int base : {133, 125, 117, 109, 101}) nMain = nMain * 10 + DecodeDigit(base);
    m_nTemperature = nMain;

    int nAux = 0;
    for (int base : {149, 157, 165, 45, 53}) nAux = nAux * 10 + DecodeDigit(base);
    m_nAuxTemperature = nAux;

    const int nMinutes = 10 * DecodeDigit(61) + DecodeDigit(69);
    m_nDisplaySeconds = 60 * nMinutes + 10 * DecodeDigit(77) + DecodeDigit(85);
}

int CPyrelleDlg::DecodeDigit(int base) {
    // A position outside the display bits was never reached by an edge: lit.
    auto lit = [this, base](int offset) {
        const std::int64_t pos = std::int64_t{base} + offset;
        return pos < 0 || pos >= std::int64_t{sizeof m_abDisplayBits} || m_abDisplayBits[pos] != 0;
    };
    const bool a = lit(0);  // top
    const bool f = lit(1);  // upper left
    const bool e = lit(2);  // lower left
    const bool b = lit(4);  // upper right
    const bool g = lit(5);  // middle
    const bool c = lit(6);  // lower right

    if (!g) {
        if (f) return 0;
        if (a) return 7;
        return b ? 1 : 0;
    }
    if (!a) return f ? 4 : 0;
    if (!c) return 2;
    if (!f) return 3;
    if (!b) return e ? 6 : 5;
    return e ? 8 : 9;
}
