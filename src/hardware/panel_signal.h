// The instrument panel's serial line as the port sees it: readings to a frame
// of panel bits, and frames to port samples.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "driver/port_lines.h"
#include "hardware/rng.h"

namespace hw {

// What the instrument shows.
struct Readings {
    int main = 0;     // tenths of a degree, 0 to 99999
    int aux = 0;      // tenths of a degree, 0 to 99999
    int seconds = 0;  // the panel's clock, 0 to 5999 (99:59)
};

// One frame, one bit per position, first sent first:
//   0..7     start pattern
//   8..15    annunciators: 8 degrees C, 9 output on, the rest dark
//   16..44   filler
//   45..172  sixteen digit groups of eight positions
//   173..175 filler
// A group holds the segments a, f, e, d, b, g, c and the decimal point, in
// that order. Its base position and meaning:
//   45 aux units (point lit)   53 aux tenths
//   61 minutes tens            69 minutes (point lit: the colon)
//   77 seconds tens            85 seconds
//   93 unit glyph "C"
//  101 main tenths            109 main units (point lit)
//  117 main tens              125 main hundreds      133 main thousands
//  141 unit glyph "C"
//  149 aux thousands          157 aux hundreds       165 aux tens
// Leading zeros of a temperature are blanked down to its units digit.
inline constexpr int kFrameBits = 176;
using Frame = std::array<unsigned char, kFrameBits>;

// Out-of-range readings are clamped.
void BuildFrame(const Readings& readings, bool outputOn, Frame& frame);

// Reads the readings back from the bits of one frame (position 0 first, at
// least 172 positions): false when a digit group holds no usual shape. A
// blank group reads 0.
bool ReadFrame(const unsigned char* bits, Readings& readings);

// Port sample bits of the panel's lines.
using driver::kClockBit;
using driver::kDataBit;

// Each clock phase lasts 3 to 6 samples; frames are parted by an idle gap
// with the clock high.
inline constexpr int kMinSamplesPerPhase = 3;
inline constexpr int kMaxSamplesPerPhase = 6;
inline constexpr int kGapSamples = 160;

// The instrument's clock: minutes and seconds since power-on, wrapping from
// 99:59 to 00:00.
inline int PanelSeconds(std::int64_t msSincePowerOn) {
    return msSincePowerOn < 0 ? 0 : static_cast<int>(msSincePowerOn / 1000 % 6000);
}

enum class ClockLine { kRunning, kStuckHigh, kStuckLow };

struct StreamFaults {
    double flip = 0.0;  // chance that a data bit is sent inverted
    int truncate = -1;  // bits sent before the frame breaks off; -1: all
    ClockLine clock = ClockLine::kRunning;
};

// Fills window[0..size) with repeats of `frame`, the first bit of a frame at
// sample 0 with the clock low. A truncated frame is followed by idle line to
// the end of the window. The six other bits of every sample are random.
void FillWindow(const Frame& frame, const StreamFaults& faults, Rng& rng, unsigned char* window,
                std::size_t size);

// A window in which the panel sends nothing: clock idle high, no edges.
void FillIdleWindow(Rng& rng, unsigned char* window, std::size_t size);

}  // namespace hw
