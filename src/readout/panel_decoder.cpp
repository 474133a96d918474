#include "readout/panel_decoder.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <initializer_list>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "driver/port_lines.h"

namespace readout {

using driver::kClockBit;
using driver::kDataBit;

std::size_t ExtractBits(const unsigned char* window, std::size_t size, unsigned char* bits,
                        std::size_t capacity) {
    std::size_t n = 0;
    if (capacity == 0) return 0;
    std::size_t i = 0;
#if defined(__SSE2__)
    // Sixteen sample pairs to a vector: lane j of `lo` is sample i+j, of `hi`
    // sample i+j+1. Shifting the clock bit (or the data bit) up to the lane's
    // top bit lets movemask gather one bit per pair. Most blocks hold no edge.
    static_assert(kClockBit == 0x20 && kDataBit == 0x10, "the shifts below move bits 5 and 4 to bit 7");
    auto load = [window](std::size_t at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(window + at));
    };
    auto clockEdges = [](__m128i lo, __m128i hi) {
        return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_slli_epi16(_mm_andnot_si128(lo, hi), 2)));
    };
    auto dataBits = [](__m128i hi) {
        return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_slli_epi16(hi, 3)));
    };
    for (; i + 32 < size; i += 32) {
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
    for (; i + 1 < size; ++i) {
        if (!(window[i] & kClockBit) && (window[i + 1] & kClockBit)) {
            bits[n++] = (window[i + 1] & kDataBit) ? 1 : 0;
            if (n == capacity) return n;
        }
    }
    return n;
}

int DecodeDigit(const unsigned char (&bits)[kPanelBits], int base) {
    auto lit = [&bits, base](int offset) {
        const std::int64_t pos = std::int64_t{base} + offset;
        return pos < 0 || pos >= kPanelBits || bits[pos] != 0;
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

PanelReading ReadPanel(const unsigned char (&bits)[kPanelBits]) {
    PanelReading r;
    // The main temperature lies lowest digit first; the auxiliary one is split,
    // its two low digits ahead of the clock.
    for (int base : {133, 125, 117, 109, 101}) r.main = r.main * 10 + DecodeDigit(bits, base);
    for (int base : {149, 157, 165, 45, 53}) r.aux = r.aux * 10 + DecodeDigit(bits, base);
    const int minutes = 10 * DecodeDigit(bits, 61) + DecodeDigit(bits, 69);
    r.seconds = 60 * minutes + 10 * DecodeDigit(bits, 77) + DecodeDigit(bits, 85);
    return r;
}

PanelReading Decode(const unsigned char* window, std::size_t size, unsigned char (&bits)[kPanelBits]) {
    std::memset(bits, kUnreached, sizeof bits);
    ExtractBits(window, size, bits, sizeof bits);
    return ReadPanel(bits);
}

}  // namespace readout
