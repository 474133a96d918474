// The runaway guard: watches a run's ticks for a furnace that heats without
// getting warmer, a panel that shows nothing new while the element heats, and
// readings above a hard limit. Values in, values out.
#pragma once

#include <string>

namespace control {

struct GuardSettings {
    // A stall: this long heating on every tick with the main reading never
    // rising this much above where the stretch began. 0 seconds: off.
    int stallSeconds = 30 * 60;
    int stallTenths = 20;
    // A frozen panel: this long heating with both readings and the panel's
    // clock all unchanged. 0: off.
    int frozenSeconds = 5 * 60;
    // Readings above this limit (tenths) on `overTicks` ticks in a row; below
    // 0: off.
    int maxTenths = -1;
    int overTicks = 3;
};

// What the panel showed at a tick.
struct Shown {
    int main, aux, seconds;
    bool operator==(const Shown&) const = default;
};

enum class Trip { kNone, kStalled, kFrozen, kOverLimit };

class RunawayGuard {
public:
    explicit RunawayGuard(const GuardSettings& settings = {}) : m_settings(settings) {}

    // A new run begins.
    void Reset();
    // One running tick, one second after the last: what the panel showed and
    // whether the tick switches the element on for part of its period.
    Trip Tick(const Shown& shown, bool heating);

    // What a trip saw and what to check, for the user.
    std::string Explain(Trip trip) const;

private:
    GuardSettings m_settings;
    int m_heatingTicks = 0;  // ticks of the stretch of heating so far
    int m_stallStart = 0;    // the main reading when the stall stretch began
    int m_stallTicks = 0;
    Shown m_last{};
    int m_frozenTicks = 0;
    int m_overTicks = 0;
    Shown m_tripShown{};
};

}  // namespace control
