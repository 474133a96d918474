// The temperature program's lookups and the controller's arithmetic, value
// by value.
#include "control/program.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "control/duty.h"

namespace {

struct ProgramCase {
    int durations[4];
    int t;
    int target;  // expected SegmentTargetTemp(t)
    int time;    // expected SegmentTime(t)
};

TEST(Program, LookupsFollowTheFirstBoundaryTestThatHolds) {
    const ProgramCase cases[] = {
        // The default program: a boundary belongs to the segment starting there.
        {{29000, 900, 900, 20000}, 0, 380, 0},
        {{29000, 900, 900, 20000}, 28999, 380, 28999},
        {{29000, 900, 900, 20000}, 29000, 200, 0},
        {{29000, 900, 900, 20000}, 29899, 200, 899},
        {{29000, 900, 900, 20000}, 30799, 300, 899},
        {{29000, 900, 900, 20000}, 30800, 360, 0},
        {{29000, 900, 900, 20000}, 50799, 360, 19999},
        {{29000, 900, 900, 20000}, 50800, 0, 0},
        {{29000, 900, 900, 20000}, INT_MAX, 0, 0},
        {{29000, 900, 900, 20000}, -7, 380, -7},
        // Zero durations are never selected.
        {{0, 5, 0, 3}, 0, 200, 0},
        {{0, 5, 0, 3}, 4, 200, 4},
        {{0, 5, 0, 3}, 5, 360, 0},
        {{0, 5, 0, 3}, 7, 360, 2},
        {{0, 5, 0, 3}, 8, 0, 0},
        {{0, 0, 0, 0}, 0, 0, 0},
        {{0, 0, 0, 0}, 1, 0, 0},
        {{0, 0, 0, 0}, -1, 380, -1},
        // A negative duration moves the later boundaries back (D = 10, 5, 25, 35).
        {{10, -5, 20, 10}, 4, 380, 4},
        {{10, -5, 20, 10}, 10, 300, 5},
        {{10, -5, 20, 10}, 12, 300, 7},
        {{10, -5, 20, 10}, 34, 360, 9},
        {{10, -5, 20, 10}, 35, 0, 0},
        // Sums beyond the int range still compare as the true sums.
        {{INT_MAX, INT_MAX, 0, 0}, INT_MAX - 1, 380, INT_MAX - 1},
        {{INT_MAX, INT_MAX, 0, 0}, INT_MAX, 200, 0},
        {{INT_MAX, 1, 0, 0}, INT_MAX, 200, 0},
        {{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, INT_MIN, 360, 1},
        {{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, -3, 360, INT_MAX - 1},
        {{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, -2, 0, 0},
        {{INT_MIN, INT_MAX, 0, 0}, -2, 200, INT_MAX - 1},
        {{INT_MIN, INT_MAX, 0, 0}, -1, 0, 0},
    };
    for (const ProgramCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << "durations " << c.durations[0] << ", " << c.durations[1] << ", "
                                          << c.durations[2] << ", " << c.durations[3] << "; t = " << c.t);
        const control::Program program({380, 200, 300, 360},
                                       {c.durations[0], c.durations[1], c.durations[2], c.durations[3]});
        EXPECT_EQ(program.TargetTemp(c.t), c.target);
        EXPECT_EQ(program.SegmentTime(c.t), c.time);
    }
}

TEST(ControlMath, ProgramTimeIsTheTruncatedProduct) {
    const int start[] = {0, 1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 13, 14};
    for (int n = 0; n < 13; ++n) EXPECT_EQ(control::ProgramTime(n), start[n]) << n;
    for (int n = 0; n <= 60000; ++n)
        ASSERT_EQ(control::ProgramTime(n), static_cast<int>(std::trunc(n * 1.185))) << n;
    EXPECT_EQ(control::ProgramTime(42869), 50799);
    EXPECT_EQ(control::ProgramTime(42870), 50800);
}

TEST(ControlMath, WholeDegreesRoundHalvesUp) {
    const std::pair<int, int> cases[] = {
        {234, 23},
        {235, 24},
        {-5, 0},
        {-14, 0},
        {-15, -1},
        {2444, 244},
        {2445, 245},
        {99999, 10000},
        {INT_MAX, 214748365},
        {INT_MIN, -214748364},
    };
    for (auto [tenths, degrees] : cases) EXPECT_EQ(control::WholeDegrees(tenths), degrees) << tenths;
}

TEST(ControlMath, PulseTable) {
    struct Row {
        unsigned char d, level;
        int length;
    };
    const Row rows[] = {
        {0, 0, 115}, {1, 1, 1},   {9, 1, 9},   {10, 1, 11}, {12, 1, 13}, {13, 1, 14}, {20, 1, 22},
        {49, 1, 53}, {50, 0, 57}, {60, 0, 45}, {70, 0, 33}, {80, 0, 21}, {90, 0, 10}, {95, 0, 4},
        {96, 0, 3},  {97, 0, 2},  {98, 0, 2},  {99, 0, 2},  {200, 0, 2}, {255, 0, 2},
    };
    for (const Row& r : rows) {
        const control::Pulse p = control::DecidePulse(r.d);
        EXPECT_EQ(p.level, r.level) << int(r.d);
        EXPECT_EQ(p.length, r.length) << int(r.d);
    }
    // Every level gets a pulse that fires; only d = 0 outlasts the tick period.
    for (int d = 0; d < 256; ++d) {
        const control::Pulse p = control::DecidePulse(static_cast<unsigned char>(d));
        EXPECT_GE(p.length, 1) << d;
        EXPECT_LE(p.length, d == 0 ? 115 : 57) << d;
    }
}

// A slow sample request leaves less of the period: the pulse never gives
// more heat than asked, and never outlasts the period.
TEST(ControlMath, PulsesFitWhatIsLeftOfThePeriod) {
    struct Row {
        unsigned char d;
        int left;
        unsigned char level;
        int ms;
    };
    const Row rows[] = {
        {49, 990, 1, 530}, {49, 400, 1, 400}, {49, 0, 0, -1},   // on, then off at the end at the latest
        {50, 990, 0, 570}, {50, 569, 0, -1},  {98, 19, 0, -1},  // off, then on only within the period
        {98, 990, 0, 20},  {0, 990, 0, -1},   {1, 990, 1, 10},  // zero duty: no pulse at all
    };
    for (const Row& r : rows) {
        const control::PulseTimer t = control::FitPulse(control::DecidePulse(r.d), r.left);
        EXPECT_EQ(t.level, r.level) << int(r.d) << " with " << r.left << " ms left";
        EXPECT_EQ(t.ms, r.ms) << int(r.d) << " with " << r.left << " ms left";
    }
}

TEST(Duty, SetDutyBelowTargetAndZeroAtOrAbove) {
    struct Case {
        int percent, measured, target;
        const char* text;
        int result;
    };
    const Case cases[] = {
        {0, 3799, 380, " 0.0 %", 0},
        {1, 3799, 380, " 1.0 %", 0},
        {2, 3799, 380, " 2.0 %", 1},
        {50, 3799, 380, "50.0 %", 49},
        {51, 3799, 380, "50.9 %", 50},
        {98, 3799, 380, "97.9 %", 97},
        {100, 3799, 380, "99.9 %", 99},
        {98, 3800, 380, " 0.0 %", 0},
        {98, 3801, 380, " 0.0 %", 0},
        {98, -1, 0, "97.9 %", 97},
        {98, 0, 0, " 0.0 %", 0},
        // Targets far out of range compare without overflow.
        {98, INT_MAX, INT_MAX, "97.9 %", 97},
        {98, INT_MIN, INT_MIN, " 0.0 %", 0},
        // A setting left out of range by a failed check is bounded, never wrapped.
        {-2, 0, 380, " 0.0 %", 0},
        {-1000, 0, 380, " 0.0 %", 0},
        {101, 0, 380, "99.9 %", 99},
        {INT_MIN, 0, 380, " 0.0 %", 0},
        {INT_MAX, 0, 380, "99.9 %", 99},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.percent << " %, " << c.measured << " against " << c.target);
        const double duty = control::Duty(c.measured, c.target, c.percent);
        EXPECT_EQ(static_cast<int>(duty), c.result);
        EXPECT_EQ(control::DutyText(duty), c.text);
    }
}

}  // namespace
