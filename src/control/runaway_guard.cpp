#include "control/runaway_guard.h"

#include <cstdio>

namespace control {
namespace {

// The value a sample request that brought nothing decodes to: no reading.
constexpr int kNoReading = 88888;

std::string Degrees(int tenths) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", tenths / 10.0);
    return text;
}

std::string Minutes(int seconds) {
    char text[32];
    if (seconds % 60 == 0)
        std::snprintf(text, sizeof text, "%d minute%s", seconds / 60, seconds == 60 ? "" : "s");
    else
        std::snprintf(text, sizeof text, "%d seconds", seconds);
    return text;
}

}  // namespace

void RunawayGuard::Reset() {
    *this = RunawayGuard(m_settings);
}

Trip RunawayGuard::Tick(const Shown& shown, bool heating) {
    const GuardSettings& s = m_settings;
    // Readings above the hard limit, whatever the element does.
    const bool over = s.maxTenths >= 0 && shown.main != kNoReading && shown.main > s.maxTenths;
    m_overTicks = over ? m_overTicks + 1 : 0;
    if (over && m_overTicks >= s.overTicks) {
        m_tripShown = shown;
        return Trip::kOverLimit;
    }

    if (!heating) {
        m_stallTicks = m_frozenTicks = 0;
        m_last = shown;
        return Trip::kNone;
    }
    // A stall stretch begins at the first heating tick and again whenever the
    // reading has risen far enough above its start.
    if (m_stallTicks == 0 || shown.main - m_stallStart >= s.stallTenths) {
        m_stallStart = shown.main;
        m_stallTicks = 0;
    }
    ++m_stallTicks;
    m_frozenTicks = m_frozenTicks > 0 && shown == m_last ? m_frozenTicks + 1 : 1;
    m_last = shown;
    m_tripShown = shown;
    // A stretch of n heating ticks spans n - 1 seconds between its readings.
    if (s.frozenSeconds > 0 && m_frozenTicks - 1 >= s.frozenSeconds) return Trip::kFrozen;
    if (s.stallSeconds > 0 && m_stallTicks - 1 >= s.stallSeconds) return Trip::kStalled;
    return Trip::kNone;
}

std::string RunawayGuard::Explain(Trip trip) const {
    const GuardSettings& s = m_settings;
    const std::string off =
        " The element is off and control is halted; the run's samples are kept for Abort.";
    switch (trip) {
        case Trip::kStalled:
            return "The element heated for " + Minutes(s.stallSeconds) + " without the main reading rising " +
                   Degrees(s.stallTenths) + " degrees (it reads " + Degrees(m_tripShown.main) + ")." + off +
                   " Check that the thermocouple is in the furnace and not shorted, and that the element "
                   "heats.";
        case Trip::kFrozen:
            return "Nothing on the instrument's display has changed for " + Minutes(s.frozenSeconds) +
                   " while the element heated (it shows " + Degrees(m_tripShown.main) + " and " +
                   Degrees(m_tripShown.aux) + ")." + off + " Check the instrument and its cable to the port.";
        case Trip::kOverLimit:
            return "The main reading was above the limit of " + Degrees(s.maxTenths) + " degrees on " +
                   std::to_string(s.overTicks) + " ticks in a row (it reads " + Degrees(m_tripShown.main) +
                   ")." + off + " Check the furnace and the program before going on.";
        case Trip::kNone:
            break;
    }
    return {};
}

}  // namespace control
