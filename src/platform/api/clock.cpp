// The platform clock and the window timers it serves.
#include "platform/clock.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <vector>

#include "platform/api/internal.h"

namespace platform {
namespace {

struct Timer {
    HWND hwnd;
    UINT_PTR id;
    std::int64_t due;
    std::int64_t period;
    std::uint64_t seq;  // arming order breaks ties between equal due times
};

struct ClockState {
    std::int64_t now = 0;
    std::vector<Timer> timers;
    std::uint64_t seq = 0;
    bool real = false;
    double speed = 1.0;
    std::chrono::steady_clock::time_point wallStart;
    std::int64_t wallBase = 0;
    int delivering = 0;
    TimersChanged changed = nullptr;
};

ClockState& S() {
    static ClockState s;
    return s;
}

std::int64_t WallNow() {
    auto& s = S();
    auto elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - s.wallStart);
    return s.wallBase + static_cast<std::int64_t>(elapsed.count() * s.speed);
}

void Changed() {
    if (S().changed) S().changed();
}

}  // namespace

UINT_PTR ClockSetTimer(HWND hwnd, UINT_PTR id, UINT elapse) {
    auto& s = S();
    if (id == 0) id = 0x7FFF;  // no timer has id 0
    // The period is at least one millisecond, as the window system's minimum.
    std::int64_t period = std::max<std::int64_t>(1, elapse);
    std::int64_t now = NowMs();
    auto it = std::find_if(s.timers.begin(), s.timers.end(),
                           [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    if (it != s.timers.end()) {
        *it = Timer{hwnd, id, now + period, period, ++s.seq};
    } else {
        s.timers.push_back(Timer{hwnd, id, now + period, period, ++s.seq});
    }
    Changed();
    return id;
}

bool ClockKillTimer(HWND hwnd, UINT_PTR id) {
    auto& s = S();
    auto it = std::find_if(s.timers.begin(), s.timers.end(),
                           [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    if (it == s.timers.end()) return false;
    s.timers.erase(it);
    Changed();
    return true;
}

void ClockKillTimers(HWND hwnd) {
    auto& s = S();
    std::erase_if(s.timers, [&](const Timer& t) { return t.hwnd == hwnd; });
    Changed();
}

void ClockUseRealTime(double speed) {
    auto& s = S();
    s.real = true;
    s.speed = speed;
    s.wallStart = std::chrono::steady_clock::now();
    s.wallBase = s.now;
}

void ClockOnTimersChanged(TimersChanged fn) {
    S().changed = fn;
}

std::int64_t ClockNextDue() {
    auto& s = S();
    std::int64_t best = -1;
    for (const auto& t : s.timers)
        if (best < 0 || t.due < best) best = t.due;
    return best;
}

void ClockAdvanceTo(std::int64_t target) {
    auto& s = S();
    ++s.delivering;
    for (;;) {
        auto next = s.timers.end();
        for (auto it = s.timers.begin(); it != s.timers.end(); ++it) {
            if (it->due > target) continue;
            if (next == s.timers.end() || it->due < next->due ||
                (it->due == next->due && it->seq < next->seq))
                next = it;
        }
        if (next == s.timers.end()) break;
        s.now = std::max(s.now, next->due);
        HWND hwnd = next->hwnd;
        UINT_PTR id = next->id;
        // A window timer repeats until it is killed; the next expiry counts
        // from this one, so a late delivery does not pile up expiries.
        next->due = std::max(next->due + next->period, s.now);
        next->seq = ++s.seq;
        SendTo(hwnd, WM_TIMER, id, 0);
    }
    s.now = std::max(s.now, target);
    --s.delivering;
    Changed();
}

std::int64_t NowMs() {
    auto& s = S();
    if (s.real && s.delivering == 0) s.now = std::max(s.now, WallNow());
    return s.now;
}

void AdvanceClock(std::int64_t ms) {
    ClockAdvanceTo(NowMs() + std::max<std::int64_t>(0, ms));
}

}  // namespace platform
