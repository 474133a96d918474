// What the port driver's requests carry: the sample window's size and the
// two port lines in each sample. Plain values, for every side of the port.
#pragma once

#include <cstddef>

namespace driver {

// One buffer serves as input (its first half) and output of each request.
inline constexpr std::size_t kRequestInSize = 4096;
inline constexpr std::size_t kWindowSize = 8192;

// A sample of the input port: bit 5 is the instrument's panel clock, bit 4
// its data; the other bits mean nothing here.
inline constexpr unsigned char kClockBit = 0x20;
inline constexpr unsigned char kDataBit = 0x10;

}  // namespace driver
