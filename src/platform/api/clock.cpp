// The platform clock and the window timers it serves.
#include "platform/clock.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
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
} g_clock;

void Changed() {
    if (g_clock.changed) g_clock.changed();
}

auto FindTimer(HWND hwnd, UINT_PTR id) {
    return std::find_if(g_clock.timers.begin(), g_clock.timers.end(),
                        [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
}

}  // namespace

UINT_PTR ClockSetTimer(HWND hwnd, UINT_PTR id, UINT elapse) {
    if (id == 0) id = 0x7FFF;  // no timer has id 0
    // The period is at least one millisecond, as the window system's minimum.
    const std::int64_t period = std::max<std::int64_t>(1, elapse);
    // A timer counts from when it is set, as the window system's do: in real
    // time that is later than the due time of the timer being served.
    const Timer timer{hwnd, id, std::max(NowMs(), ActualMs()) + period, period, ++g_clock.seq};
    if (auto it = FindTimer(hwnd, id); it != g_clock.timers.end())
        *it = timer;
    else
        g_clock.timers.push_back(timer);
    Changed();
    return id;
}

bool ClockKillTimer(HWND hwnd, UINT_PTR id) {
    auto it = FindTimer(hwnd, id);
    if (it == g_clock.timers.end()) return false;
    g_clock.timers.erase(it);
    Changed();
    return true;
}

void ClockKillTimers(HWND hwnd) {
    std::erase_if(g_clock.timers, [&](const Timer& t) { return t.hwnd == hwnd; });
    Changed();
}

void ClockUseRealTime(double speed) {
    g_clock.real = true;
    g_clock.speed = speed;
    g_clock.wallStart = std::chrono::steady_clock::now();
    g_clock.wallBase = g_clock.now;
}

void ClockOnTimersChanged(TimersChanged fn) {
    g_clock.changed = fn;
}

std::int64_t ClockNextDue() {
    std::int64_t best = -1;
    for (const auto& t : g_clock.timers)
        if (best < 0 || t.due < best) best = t.due;
    return best;
}

void ClockAdvanceTo(std::int64_t target) {
    auto& s = g_clock;
    ++s.delivering;
    while (!QuitRequested()) {
        auto next = s.timers.end();
        for (auto it = s.timers.begin(); it != s.timers.end(); ++it) {
            if (it->due > target) continue;
            if (next == s.timers.end() || it->due < next->due ||
                (it->due == next->due && it->seq < next->seq))
                next = it;
        }
        if (next == s.timers.end()) break;
        s.now = std::max(s.now, next->due);
        const HWND hwnd = next->hwnd;
        const UINT_PTR id = next->id;
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

std::int64_t ActualMs() {
    auto& s = g_clock;
    if (!s.real) return s.now;
    auto elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - s.wallStart);
    return s.wallBase + static_cast<std::int64_t>(elapsed.count() * s.speed);
}

std::int64_t NowMs() {
    auto& s = g_clock;
    if (s.real && s.delivering == 0) s.now = std::max(s.now, ActualMs());
    return s.now;
}

namespace {
volatile std::sig_atomic_t g_quit = 0;
int g_quitWake = -1;
}  // namespace

void RequestQuit() {
    g_quit = 1;
    if (g_quitWake >= 0) {
        const char byte = 'q';
        [[maybe_unused]] const ssize_t n = ::write(g_quitWake, &byte, 1);
    }
}

bool QuitRequested() {
    return g_quit != 0;
}

void ClockOnQuitWake(int fd) {
    g_quitWake = fd;
}

void AdvanceClock(std::int64_t ms) {
    ClockAdvanceTo(NowMs() + std::max<std::int64_t>(0, ms));
}

}  // namespace platform
