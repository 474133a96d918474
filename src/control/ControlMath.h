// The controller's small arithmetic: program time, whole degrees, the
// element pulse. Kept apart so that it can be checked value by value.
#pragma once

#include <algorithm>

namespace control {

// Program time of tick n, seconds: trunc(n × 1.185). The integer form equals
// the double one for every tick count the history can hold.
constexpr int ProgramTime(int nTick) {
    return static_cast<int>(static_cast<long long>(nTick) * 1185 / 1000);
}

// Whole degrees from tenths, halves up for readings from -5 tenths on.
// Done in double so that no reading can overflow.
inline int WholeDegrees(int nTenths) {
    return static_cast<int>((nTenths + 5.0) * 0.1);
}

// One period of the element: the level written at the tick, and the pulse
// length L in 10 ms units after which the level flips.
struct Pulse {
    unsigned char level;
    int length;
};

// Duties up to 49 switch on early in the period and off after L; zero and
// duties from 50 keep the element off for L and then switch it on.
constexpr Pulse DecidePulse(unsigned char d) {
    if (d >= 1 && d <= 49) return Pulse{1, d + d / 10};
    const int e = (d - 13) + 18 * (d - 13) / 100;
    return Pulse{0, 100 - std::min(e, 98)};
}

}  // namespace control
