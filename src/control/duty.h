// The controller's arithmetic: program time, whole degrees, the duty and the
// element pulse, and when a run ends. Values in, values out.
#pragma once

#include <algorithm>
#include <string>

#include "control/program.h"

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

// The set duty below the target (a measured reading in tenths against a
// target in whole degrees), 0 at or above it, as a percentage: 0.999 of the
// setting. A setting outside 0 to 100 (left by a failed check) is bounded.
double Duty(int measured, int target, int dutyPercent);
// The duty as shown: "%4.1f" and " %".
std::string DutyText(double duty);

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

// A pulse as it is armed: the level the tick writes, and after how many ms
// the pulse flips it; ms < 0: no pulse, the level holds for the period.
struct PulseTimer {
    unsigned char level;
    int ms;
};

// The pulse within what is left of the period after the tick's write
// (`msLeft`; a slow sample request leaves less than a second): one that
// switches off comes by the period's end at the latest, and one that would
// switch on after it is not armed, so the element stays off. A pulse may
// thus give less heat than asked, never more. (Zero duty's pulse outlasts any
// period: the element stays off, as the next tick would re-arm it anyway.)
constexpr PulseTimer FitPulse(Pulse pulse, int msLeft) {
    const int ms = 10 * pulse.length;
    if (pulse.level == 1) return msLeft <= 0 ? PulseTimer{0, -1} : PulseTimer{1, std::min(ms, msLeft)};
    return ms <= msLeft ? PulseTimer{0, ms} : PulseTimer{0, -1};
}

// Whether the running tick after program time t, with `ticks` ticks done, is
// the run's last: when the next second lies past the end of the program, or
// when the tick fills the history's last entry, so that the log holds every
// tick. (Asking whether the next two seconds both lie at the start of a
// segment would also stop at a one-second segment and skip the rest.)
bool IsLastTick(const Program& program, int t, int ticks, int historySize);

}  // namespace control
