#include "hardware/panel_signal.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

namespace hw {
namespace {

// Segment offsets within a digit group.
enum : int { kA = 0, kF = 1, kE = 2, kD = 3, kB = 4, kG = 5, kC = 6, kPoint = 7 };

constexpr unsigned Seg(int offset) {
    return 1u << offset;
}

// The usual seven-segment shapes, as group masks.
constexpr unsigned kShapes[10] = {
    Seg(kA) | Seg(kB) | Seg(kC) | Seg(kD) | Seg(kE) | Seg(kF),            // 0
    Seg(kB) | Seg(kC),                                                    // 1
    Seg(kA) | Seg(kB) | Seg(kD) | Seg(kE) | Seg(kG),                      // 2
    Seg(kA) | Seg(kB) | Seg(kC) | Seg(kD) | Seg(kG),                      // 3
    Seg(kB) | Seg(kC) | Seg(kF) | Seg(kG),                                // 4
    Seg(kA) | Seg(kC) | Seg(kD) | Seg(kF) | Seg(kG),                      // 5
    Seg(kA) | Seg(kC) | Seg(kD) | Seg(kE) | Seg(kF) | Seg(kG),            // 6
    Seg(kA) | Seg(kB) | Seg(kC),                                          // 7
    Seg(kA) | Seg(kB) | Seg(kC) | Seg(kD) | Seg(kE) | Seg(kF) | Seg(kG),  // 8
    Seg(kA) | Seg(kB) | Seg(kC) | Seg(kD) | Seg(kF) | Seg(kG),            // 9
};
constexpr unsigned kGlyphC = Seg(kA) | Seg(kD) | Seg(kE) | Seg(kF);

constexpr unsigned char kStart[8] = {1, 0, 1, 1, 0, 0, 1, 0};

void PutGroup(Frame& frame, int base, unsigned mask) {
    for (int k = 0; k < 8; ++k) frame[base + k] = (mask >> k) & 1u;
}

// Digit `place` (0 = tenths) of a temperature, blank when it is a leading zero
// above the units digit.
unsigned TempDigit(int tenths, int place) {
    int div = 1;
    for (int k = 0; k < place; ++k) div *= 10;
    if (place >= 2 && tenths < div) return 0;
    return kShapes[(tenths / div) % 10];
}

// Writes `count` samples of value `v` at `pos`. Short runs, the common case,
// are one unaligned 8-byte store that the next run overwrites in part.
inline void Put(unsigned char* out, std::size_t size, std::size_t& pos, unsigned char v, std::size_t count) {
    count = std::min(count, size - pos);
    if (count <= 8 && size - pos >= 8) {
        const std::uint64_t lanes = 0x0101010101010101ull * v;
        std::memcpy(out + pos, &lanes, 8);
    } else {
        std::memset(out + pos, v, count);
    }
    pos += count;
}

}  // namespace

void BuildFrame(const Readings& readings, bool outputOn, Frame& frame) {
    const int main = std::clamp(readings.main, 0, 99999);
    const int aux = std::clamp(readings.aux, 0, 99999);
    const int seconds = std::clamp(readings.seconds, 0, 5999);

    frame.fill(0);
    std::copy(std::begin(kStart), std::end(kStart), frame.begin());
    frame[8] = 1;
    frame[9] = outputOn ? 1 : 0;

    PutGroup(frame, 45, TempDigit(aux, 1) | Seg(kPoint));
    PutGroup(frame, 53, TempDigit(aux, 0));
    PutGroup(frame, 61, kShapes[seconds / 600]);
    PutGroup(frame, 69, kShapes[seconds / 60 % 10] | Seg(kPoint));
    PutGroup(frame, 77, kShapes[seconds % 60 / 10]);
    PutGroup(frame, 85, kShapes[seconds % 10]);
    PutGroup(frame, 93, kGlyphC);
    PutGroup(frame, 101, TempDigit(main, 0));
    PutGroup(frame, 109, TempDigit(main, 1) | Seg(kPoint));
    PutGroup(frame, 117, TempDigit(main, 2));
    PutGroup(frame, 125, TempDigit(main, 3));
    PutGroup(frame, 133, TempDigit(main, 4));
    PutGroup(frame, 141, kGlyphC);
    PutGroup(frame, 149, TempDigit(aux, 4));
    PutGroup(frame, 157, TempDigit(aux, 3));
    PutGroup(frame, 165, TempDigit(aux, 2));
}

bool ReadFrame(const unsigned char* bits, Readings& readings) {
    bool ok = true;
    auto digit = [&](int base) {
        unsigned mask = 0;
        for (int k = 0; k < 7; ++k) mask |= (bits[base + k] ? 1u : 0u) << k;
        if (mask == 0) return 0;
        for (int d = 0; d < 10; ++d)
            if (kShapes[d] == mask) return d;
        ok = false;
        return 0;
    };
    auto number = [&](std::initializer_list<int> bases) {
        int n = 0;
        for (int base : bases) n = n * 10 + digit(base);
        return n;
    };
    readings.main = number({133, 125, 117, 109, 101});
    readings.aux = number({149, 157, 165, 45, 53});
    readings.seconds = 60 * number({61, 69}) + number({77, 85});
    return ok;
}

void FillWindow(const Frame& frame, const StreamFaults& faults, Rng& rng, unsigned char* window,
                std::size_t size) {
    const int bits = faults.truncate < 0 ? kFrameBits : std::min(faults.truncate, kFrameBits);
    const unsigned char idle = kClockBit | kDataBit;
    std::size_t pos = 0;
    // Without flips every frame is sent alike: the first is repeated.
    std::size_t period = 0;
    while (pos < size) {
        if (period != 0 && faults.flip <= 0.0) {
            const std::size_t count = std::min(period, size - pos);
            std::memcpy(window + pos, window, count);
            pos += count;
            continue;
        }
        std::uint64_t jitter = 0;
        for (int k = 0; k < bits && pos < size; ++k) {
            // Two bits of jitter per phase: one draw lasts sixteen bits.
            if (k % 16 == 0) jitter = rng.Next();
            unsigned char data = frame[k] ? kDataBit : 0;
            if (faults.flip > 0.0 && rng.Chance(faults.flip)) data ^= kDataBit;
            Put(window, size, pos, data, kMinSamplesPerPhase + (jitter & 3));
            Put(window, size, pos, data | kClockBit, kMinSamplesPerPhase + ((jitter >> 2) & 3));
            jitter >>= 4;
        }
        const bool truncated = bits < kFrameBits;
        Put(window, size, pos, idle, truncated ? size - pos : kGapSamples);
        period = pos;
    }

    // The port's other lines change freely; a stuck clock keeps one level.
    unsigned char keep = kClockBit | kDataBit;
    unsigned char force = 0;
    if (faults.clock != ClockLine::kRunning) {
        keep = kDataBit;
        force = faults.clock == ClockLine::kStuckHigh ? kClockBit : 0;
    }
    const std::uint64_t keepLanes = 0x0101010101010101ull * keep;
    const std::uint64_t forceLanes = 0x0101010101010101ull * force;
    const std::uint64_t noiseLanes =
        0x0101010101010101ull * static_cast<unsigned char>(~(kClockBit | kDataBit));
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, window + i, 8);
        w = (w & keepLanes) | forceLanes | (rng.Next() & noiseLanes);
        std::memcpy(window + i, &w, 8);
    }
    const std::uint64_t tail = rng.Next();
    for (int k = 0; i < size; ++i, ++k) {
        const unsigned char noise = static_cast<unsigned char>(tail >> (8 * k)) & ~(kClockBit | kDataBit);
        window[i] = static_cast<unsigned char>((window[i] & keep) | force | noise);
    }
}

void FillIdleWindow(Rng& rng, unsigned char* window, std::size_t size) {
    StreamFaults faults;
    faults.truncate = 0;
    faults.clock = ClockLine::kStuckHigh;
    FillWindow(Frame{}, faults, rng, window, size);
}

}  // namespace hw
