// The runaway guard over runs of readings: what trips it, when, and what
// must never trip it.
#include "control/runaway_guard.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

using control::GuardSettings;
using control::RunawayGuard;
using control::Shown;
using control::Trip;

struct Result {
    Trip trip = Trip::kNone;
    int tick = 0;  // the tick that tripped, counting from 1
};

// Feeds `ticks` heating ticks of what `panel` shows at tick k (from 0).
Result Feed(
    const GuardSettings& settings, int ticks, const std::function<Shown(int)>& panel,
    const std::function<bool(int)>& heating = [](int) { return true; }) {
    RunawayGuard guard(settings);
    for (int k = 0; k < ticks; ++k) {
        const Trip trip = guard.Tick(panel(k), heating(k));
        if (trip != Trip::kNone) return Result{trip, k + 1};
    }
    return {};
}

// A tenth of a degree of noise either way, as the instrument shows.
int Noise(int k) {
    return (k * 7919) % 3 - 1;
}

TEST(RunawayGuard, TripsOnWhatItWatchesAndWhenItShould) {
    const GuardSettings defaults;
    GuardSettings limit;
    limit.maxTenths = 5000;
    struct Case {
        const char* what;
        GuardSettings settings;
        std::function<Shown(int)> panel;
        std::function<bool(int)> heating;
        Trip trip;
        int tick;
    } cases[] = {
        {"a frozen display: readings and clock stuck", defaults,
         [](int) {
             return Shown{200, 201, 0};
         },
         [](int) { return true; }, Trip::kFrozen, 301},
        {"a frozen display that only heats now and then", defaults,
         [](int) {
             return Shown{200, 201, 0};
         },
         [](int k) { return k % 100 != 99; }, Trip::kNone, 0},
        {"a stuck-low reading, the clock running", defaults,
         [](int k) {
             return Shown{200 + Noise(k), 201, k % 6000};
         },
         [](int) { return true; }, Trip::kStalled, 1801},
        {"a reading that creeps up 1.9 degrees in half an hour", defaults,
         [](int k) {
             return Shown{200 + k * 19 / 1800, 201, k % 6000};
         },
         [](int) { return true; }, Trip::kStalled, 1801},
        {"no trip with the guard off", GuardSettings{0, 20, 0, -1, 3},
         [](int) {
             return Shown{200, 201, 0};
         },
         [](int) { return true; }, Trip::kNone, 0},
        {"over the limit three ticks in a row", limit,
         [](int k) {
             return Shown{k < 10 ? 4990 : (k % 2 ? 5001 : 5002), 201, k};
         },
         [](int) { return false; }, Trip::kOverLimit, 13},
        {"no reading is no reading over the limit", limit,
         [](int k) {
             return Shown{88888, 88888, k};
         },
         [](int) { return false; }, Trip::kNone, 0},
    };
    for (const Case& c : cases) {
        const Result r = Feed(c.settings, 4000, c.panel, c.heating);
        EXPECT_EQ(r.trip, c.trip) << c.what;
        EXPECT_EQ(r.tick, c.tick) << c.what;
    }
}

// A furnace heating towards its target on every tick, as one lumped body:
// it rises toward `top` with time constant `tau`; it reaches the target and
// the heating stops there.
Result HeatUp(double start, double top, double tauSeconds, double target) {
    double t = start;
    RunawayGuard guard;
    for (int k = 0; k < 24 * 3600; ++k) {
        const int tenths = static_cast<int>(std::lround(t * 10)) + Noise(k);
        const bool heating = tenths < target * 10;
        const Trip trip = guard.Tick(Shown{tenths, tenths - 50, k % 6000}, heating);
        if (trip != Trip::kNone) return Result{trip, k + 1};
        if (!heating) return {};
        t = top - (top - t) * std::exp(-1.0 / tauSeconds);
    }
    return Result{Trip::kNone, -1};
}

TEST(RunawayGuard, FurnacesThatHeatNeverTripIt) {
    struct Case {
        const char* what;
        double start, top, tau, target;
    } cases[] = {
        {"a small kiln from cold", 20, 720, 2400, 380},
        {"a large kiln, five times slower", 20, 720, 12000, 380},
        // Near its power limit: 20 degrees of headroom, two hours' time
        // constant, it gains 4.4 degrees in the last half hour below target.
        {"a slow furnace near its power limit", 20, 400, 7200, 380},
        {"the same, starting warm", 300, 400, 7200, 380},
    };
    for (const Case& c : cases) {
        const Result r = HeatUp(c.start, c.top, c.tau, c.target);
        EXPECT_EQ(r.trip, Trip::kNone) << c.what << " tripped at tick " << r.tick;
        EXPECT_EQ(r.tick, 0) << c.what << " never reached its target";
    }
}

}  // namespace
