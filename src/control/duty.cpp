#include "control/duty.h"

#include <cstdio>

namespace control {

double Duty(int measured, int target, int dutyPercent) {
    const int percent = std::clamp(dutyPercent, 0, 100);
    const double factor = static_cast<long long>(measured) < 10LL * target ? 999.0 : 0.0;
    return factor * percent * 0.01 * 0.1;
}

std::string DutyText(double duty) {
    char text[32];
    std::snprintf(text, sizeof text, "%4.1f %%", duty);
    return text;
}

bool IsLastTick(const Program& program, int t, int ticks, int historySize) {
    return program.PastTheEnd(static_cast<long long>(t) + 1) || ticks >= historySize - 1;
}

}  // namespace control
