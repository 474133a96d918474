// The instrument panel's decoder: a window of port samples to panel bits,
// seven-segment digits and the three readings. Values in, values out.
#pragma once

#include <cstddef>

namespace readout {

// Room for the data bits of the first 256 rising clock edges of a window.
inline constexpr int kPanelBits = 256;
// A position that no edge reached; it counts as a lit segment.
inline constexpr unsigned char kUnreached = 9;

struct PanelReading {
    int main = 0;     // tenths of a degree
    int aux = 0;      // tenths of a degree
    int seconds = 0;  // the panel's clock, minutes and seconds as seconds
};

// Stores the data bit of each rising clock edge of window[0..size) in
// `bits`, in order, until `capacity` are stored; returns how many were.
std::size_t ExtractBits(const unsigned char* window, std::size_t size, unsigned char* bits,
                        std::size_t capacity);

// The digit of the group at `base`, from its segments at +0, +1, +2, +4, +5
// and +6. A position outside the bits counts as lit.
int DecodeDigit(const unsigned char (&bits)[kPanelBits], int base);

// The three readings the digits of `bits` spell.
PanelReading ReadPanel(const unsigned char (&bits)[kPanelBits]);

// The whole decoder: `bits` is filled afresh from the window, then read.
PanelReading Decode(const unsigned char* window, std::size_t size, unsigned char (&bits)[kPanelBits]);

}  // namespace readout
