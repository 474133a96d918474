// The run controller on the virtual clock: what each tick reads and writes,
// when the pulse flips the element, and that every way of stopping control
// leaves the element off.
#include <array>
#include <utility>
#include <vector>

#include "control/duty.h"
#include "control/run_fixture.h"

namespace {

TEST_F(RunControllerTest, EachTickWritesItsLevelAndThePulseFlipsIt) {
    struct Case {
        const char* duty;
        int reading;             // main, tenths; the target is 380 degrees
        int level;               // written at the tick
        std::int64_t flipAfter;  // ms after the tick; -1: the next tick comes first
    };
    const Case cases[] = {
        {"98", 2000, 0, 20},  {"50", 2000, 1, 530}, {"51", 2000, 0, 570}, {"11", 2000, 1, 110},
        {"2", 2000, 1, 10},   {"1", 2000, 0, -1},   {"98", 3800, 0, -1},  {"98", 3799, 0, 20},
        {"91", 2000, 0, 100}, {"0", 2000, 0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "duty " << c.duty << ", reading " << c.reading);
        Type(IDC_DUTY_PERCENT, c.duty);
        dev->Show(c.reading, 250);
        const std::int64_t run = Run();
        EXPECT_TRUE(WritesFrom(run).empty()) << "Run itself switches nothing";
        Wait(2999);
        std::vector<Write> expected;
        for (std::int64_t tick : {1000, 2000}) {
            expected.emplace_back(tick, c.level);
            if (c.flipAfter >= 0) expected.emplace_back(tick + c.flipAfter, 1 - c.level);
        }
        EXPECT_EQ(WritesFrom(run), expected);
        Click(IDC_ABORT);  // ends the case with the element off
        EXPECT_EQ(dev->Level(), 0);
        ExpectQuietFor(3000);
    }
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(RunControllerTest, TicksAdvanceProgramTimeAndFillTheHistory) {
    const int readings[][2] = {{250, 251}, {252, 251}, {255, 252}, {261, 250}, {270, 249},
                               {282, 249}, {297, 248}, {315, 248}, {336, 247}};
    for (auto& r : readings) dev->Queue(r[0], r[1]);
    Run();
    EXPECT_EQ(dlg->m_nTickCount, 0);
    for (int k = 1; k <= 9; ++k) {
        Wait(1000);
        ASSERT_EQ(dev->samples, k);
        EXPECT_EQ(dlg->m_nTickCount, k);
        EXPECT_EQ(dlg->m_nElapsedSeconds, control::ProgramTime(k));
        EXPECT_EQ(dlg->m_aHistory[k - 1].nMain, readings[k - 1][0]) << k;
        EXPECT_EQ(dlg->m_aHistory[k - 1].nAux, readings[k - 1][1]) << k;
    }
    EXPECT_EQ(dlg->m_nElapsedSeconds, 10);
    EXPECT_EQ(dlg->m_strDuty.str(), "97.9 %");
}

TEST_F(RunControllerTest, RunEndsByItselfWithTheElementOff) {
    struct Case {
        std::array<int, 4> durations;
        const char* duty;
        int ticks;    // the last tick of the run
        int elapsed;  // program time after it
    };
    const Case cases[] = {
        {{0, 0, 0, 0}, "98", 1, 1},
        {{1, 0, 0, 0}, "98", 1, 1},
        {{0, 0, 1, 0}, "50", 1, 1},
        {{2, 0, 0, 0}, "98", 2, 2},
        {{0, 2, 0, 0}, "50", 2, 2},
        {{5, 0, 0, 0}, "98", 5, 5},
        // One-second segments end nothing early: every segment runs, the run
        // ends when the next second lies past the program's end.
        {{8, 1, 5, 0}, "50", 12, 14},
        {{7, 1, 5, 0}, "50", 12, 14},
        {{8, 1, 5, 5}, "50", 17, 20},
        {{1, 1, 1, 1}, "50", 4, 4},
    };
    dev->Show(0, 0);  // always below the target: every control step wants heat
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "durations " << c.durations[0] << ", " << c.durations[1] << ", "
                                          << c.durations[2] << ", " << c.durations[3]);
        SetDurations(c.durations);
        Type(IDC_DUTY_PERCENT, c.duty);
        const int samples = dev->samples;
        const std::int64_t run = Run();
        Wait(1000LL * c.ticks);
        EXPECT_EQ(dev->samples - samples, c.ticks);
        EXPECT_EQ(dlg->m_nTickCount, c.ticks);
        EXPECT_EQ(dlg->m_nElapsedSeconds, c.elapsed);
        EXPECT_EQ(dlg->m_nRunState, kRunRunning) << "the state stays as it was";
        const auto writes = WritesFrom(run);
        ASSERT_FALSE(writes.empty());
        EXPECT_EQ(writes.back(), Write(1000LL * c.ticks, 0)) << "the last tick leaves the element off";
        ExpectQuietFor(5000);
    }
}

TEST_F(RunControllerTest, DefaultProgramRuns42870Ticks) {
    g_guardSettings.stallSeconds = 0;  // a reading that never rises would stall the guard
    dev->Show(3500, 250);
    const std::int64_t run = Run();
    Wait(42870LL * 1000);
    EXPECT_EQ(dev->samples, 42870);
    EXPECT_EQ(dlg->m_nTickCount, 42870);
    EXPECT_EQ(dlg->m_nElapsedSeconds, 50800);
    EXPECT_EQ(dlg->m_strTime.str(), "50799 s") << "the last sample's time on the status line";
    ASSERT_FALSE(dev->writes.empty());
    EXPECT_EQ(WritesFrom(run).back(), Write(42870LL * 1000, 0));
    ExpectQuietFor(10000);
}

TEST_F(RunControllerTest, HaltSwitchesOffAndIdleTicksOnlyRead) {
    dev->Show(2000, 250);  // duty 98: off at the tick, on 20 ms later
    const std::int64_t run = Run();
    Wait(1010);  // inside the off-phase of the first period
    Click(IDC_HALT);
    EXPECT_EQ(dlg->m_nRunState, kRunHalted);
    EXPECT_NE(dlg->m_btnHalt.GetState() & BST_PUSHED, 0u);
    EXPECT_EQ(WritesFrom(run), (std::vector<Write>{{1000, 0}, {1010, 0}})) << "the pending pulse is dropped";
    ExpectQuietFor(3000);  // halted ticks do nothing at all
    EXPECT_EQ(dlg->m_nTickCount, 1);

    // Halt again: idle, the instrument is read every second and nothing switched.
    Click(IDC_HALT);
    EXPECT_EQ(dlg->m_nRunState, kRunIdle);
    EXPECT_EQ(dlg->m_btnHalt.GetState() & BST_PUSHED, 0u);
    const auto writes = dev->writes.size();
    for (int main : {2100, 2200, 2300}) {
        dev->Show(main, 260);
        const int samples = dev->samples;
        Wait(1000);
        EXPECT_EQ(dev->samples, samples + 1);
        EXPECT_EQ(dlg->m_aHistory[1].nMain, main) << "idle ticks overwrite the entry past the run";
    }
    EXPECT_EQ(dev->writes.size(), writes);
    EXPECT_EQ(dlg->m_nTickCount, 1);
    EXPECT_EQ(dlg->m_nElapsedSeconds, 1);
    EXPECT_EQ(dlg->m_aHistory[0].nMain, 2000);
}

TEST_F(RunControllerTest, HaltInsideAPulseOnPhaseSwitchesOff) {
    const std::pair<const char*, std::int64_t> cases[] = {{"98", 500}, {"50", 100}};  // late, early pulse
    dev->Show(2000, 250);
    for (auto [duty, at] : cases) {
        SCOPED_TRACE(duty);
        Type(IDC_DUTY_PERCENT, duty);
        const std::int64_t run = Run();
        Wait(1000 + at);
        ASSERT_EQ(dev->Level(), 1);
        Click(IDC_HALT);
        EXPECT_EQ(WritesFrom(run).back(), Write(1000 + at, 0));
        ExpectQuietFor(2000);
    }
}

TEST_F(RunControllerTest, RunWhileHaltedStartsANewRunWithTheButtonStillPushed) {
    dev->Show(2000, 250);
    Run();
    Wait(3000);
    Click(IDC_HALT);
    Wait(2000);
    const std::int64_t run = Run();
    EXPECT_EQ(dlg->m_nRunState, kRunRunning);
    EXPECT_EQ(dlg->m_nTickCount, 0);
    EXPECT_EQ(dlg->m_nElapsedSeconds, 0);
    EXPECT_NE(dlg->m_btnHalt.GetState() & BST_PUSHED, 0u);
    Wait(1000);
    EXPECT_EQ(WritesFrom(run), (std::vector<Write>{{1000, 0}}));
    EXPECT_EQ(dlg->m_nTickCount, 1);
    Click(IDC_HALT);
    EXPECT_EQ(dlg->m_nRunState, kRunHalted);
}

TEST_F(RunControllerTest, RunDuringARunRestartsTheCountAndTheTickPeriod) {
    dev->Show(2000, 250);
    const std::int64_t first = Run();
    Wait(3500);
    EXPECT_EQ(dlg->m_nTickCount, 3);
    const std::int64_t second = Run();
    EXPECT_EQ(dlg->m_nTickCount, 0);
    EXPECT_EQ(dlg->m_nElapsedSeconds, 0);
    const int samples = dev->samples;
    Wait(999);
    EXPECT_EQ(dev->samples, samples) << "the old cadence is gone";
    Wait(1);
    EXPECT_EQ(dev->samples, samples + 1);
    EXPECT_EQ(dlg->m_nTickCount, 1);
    EXPECT_EQ(dlg->m_nElapsedSeconds, 1);
    EXPECT_EQ(second - first, 3500);
    EXPECT_EQ(WritesFrom(second), (std::vector<Write>{{1000, 0}}));
}

TEST_F(RunControllerTest, AbortAndExitSwitchOffInsideAnyPhase) {
    struct Case {
        const char* duty;
        std::int64_t at;  // ms into the period
    };
    // Early pulse on, early pulse off, late pulse off, late pulse on.
    const Case cases[] = {{"50", 100}, {"50", 600}, {"51", 300}, {"51", 800}};
    dev->Show(2000, 250);
    for (bool exitCommand : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(::testing::Message() << (exitCommand ? "Exit" : "Abort") << ", duty " << c.duty
                                              << ", " << c.at << " ms into the period");
            if (exitCommand) {
                TearDown();
                SetUp();
                dev->Show(2000, 250);
            }
            Type(IDC_DUTY_PERCENT, c.duty);
            Run();
            Wait(2000 + c.at);
            const std::int64_t now = platform::NowMs();
            Click(exitCommand ? IDCANCEL : IDC_ABORT);
            ASSERT_FALSE(dev->writes.empty());
            EXPECT_EQ(dev->writes.back().ms, now);
            EXPECT_EQ(dev->writes.back().level, 0);
            EXPECT_EQ(dlg->m_nRunState, kRunRunning) << "stopping leaves the state alone";
            ExpectQuietFor(3000);
        }
    }
}

TEST_F(RunControllerTest, EnterStopsControlOnlyWhenTheWindowCloses) {
    dev->Show(2000, 250);
    Type(IDC_DUTY_PERCENT, "50");
    Run();
    Wait(1100);
    ASSERT_EQ(dev->Level(), 1);

    // A field that fails its check keeps the window open and the run going.
    Type(IDC_TEMP_MAX, "900");
    dlg->SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_FALSE(dlg->IsEnded());
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0], "Please enter an integer between -100 and 800.");
    EXPECT_EQ(dev->Level(), 1);
    Wait(1000);
    EXPECT_EQ(dlg->m_nTickCount, 2);
    EXPECT_EQ(dev->Level(), 1);

    Type(IDC_TEMP_MAX, "390");
    const std::int64_t now = platform::NowMs();
    dlg->SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(dlg->IsEnded());
    EXPECT_EQ(dev->writes.back().ms, now);
    EXPECT_EQ(dev->writes.back().level, 0);
    ExpectQuietFor(3000);
}

TEST_F(RunControllerTest, DutyLeftOutOfRangeByTheFormIsBounded) {
    struct Case {
        const char* typed;
        int field;
        std::vector<Write> writes;  // over two periods
    };
    // Unbounded, -2 would drive the element as d = 254 (on after 20 ms) and
    // 300 as d = 43 (on at the tick, off after 470 ms).
    const Case cases[] = {
        {"-2", -2, {{1000, 0}, {2000, 0}}},
        {"300", 300, {{1000, 0}, {1020, 1}, {2000, 0}, {2020, 1}}},
    };
    dev->Show(2000, 250);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        Type(IDC_DUTY_PERCENT, "98");
        const std::int64_t run = Run();
        // Redraw Screen during the run leaves the value in its field.
        platform::testing::ClearBoxes();
        Type(IDC_DUTY_PERCENT, c.typed);
        Click(IDC_REDRAW);
        ASSERT_FALSE(Boxes().empty());
        EXPECT_EQ(Boxes()[0], "Please enter an integer between 0 and 100.");
        EXPECT_EQ(dlg->m_nDutyPercent, c.field);
        Wait(2999);
        EXPECT_EQ(WritesFrom(run), c.writes);
        EXPECT_EQ(Text(IDC_DUTY_PERCENT), c.typed);
        Click(IDC_ABORT);
        Wait(10);
    }
}

TEST_F(RunControllerTest, TheHistoryLimitEndsTheRun) {
    SetDurations({60000, 900, 900, 20000});  // longer than the history holds
    dev->Show(2000, 250);
    const std::int64_t run = Run();
    // Jump to five ticks before the limit, as if the run had gone on that long.
    dlg->m_nTickCount = kHistorySize - 5;
    dlg->m_nElapsedSeconds = control::ProgramTime(kHistorySize - 5);
    for (int k = 0; k < 5; ++k) dev->Queue(3000 + k, 300 + k);
    const int samples = dev->samples;
    Wait(5000);
    EXPECT_EQ(dev->samples - samples, 5);
    EXPECT_EQ(dlg->m_nTickCount, kHistorySize);
    for (int k = 0; k < 5; ++k) EXPECT_EQ(dlg->m_aHistory[kHistorySize - 5 + k].nMain, 3000 + k);
    EXPECT_EQ(WritesFrom(run).back(), Write(5000, 0));
    ExpectQuietFor(5000);
    EXPECT_EQ(dlg->m_nTickCount, kHistorySize);
}

TEST_F(RunControllerTest, TicksWithAFullHistoryWriteNothingOutsideIt) {
    dev->Show(2000, 250);
    Run();
    Click(IDC_HALT);
    Click(IDC_HALT);
    dlg->m_nTickCount = kHistorySize;  // idle with every entry in use
    const HistoryEntry last = dlg->m_aHistory[kHistorySize - 1];
    Wait(2000);
    EXPECT_EQ(dev->samples, 2);
    EXPECT_EQ(dlg->m_nRunState, kRunIdle);
    EXPECT_EQ(dlg->m_aHistory[kHistorySize - 1].nMain, last.nMain);

    // Running again from a full history: this tick is the last.
    Run();
    dlg->m_nTickCount = kHistorySize;
    const std::int64_t now = platform::NowMs();
    Wait(1000);
    EXPECT_EQ(dlg->m_nTickCount, kHistorySize);
    EXPECT_EQ(WritesFrom(now), (std::vector<Write>{{1000, 0}}));
    ExpectQuietFor(3000);
}

TEST_F(RunControllerTest, MeasureRoundsTheReadingIntoTheAmbientField) {
    const std::pair<int, const char*> cases[] = {
        {234, "23"}, {235, "24"}, {4, "0"}, {5, "1"}, {99999, "10000"}};
    for (auto [reading, shown] : cases) {
        dev->Show(reading, 0);
        Type(IDC_SEG1_TEMP, "999");  // typed, not taken: Measure puts the record back
        const int samples = dev->samples;
        Click(IDC_MEASURE);
        EXPECT_EQ(dev->samples, samples + 1);
        EXPECT_EQ(Text(IDC_START_TEMP), shown) << reading;
        EXPECT_EQ(Text(IDC_SEG1_TEMP), "380");
    }
    EXPECT_TRUE(dev->writes.empty());
}

TEST_F(RunControllerTest, RunShowsTheDutyOfTheLastReading) {
    dev->Show(2000, 250);
    Click(IDC_MEASURE);
    Run();
    EXPECT_EQ(dlg->m_strDuty.str(), "97.9 %");
    EXPECT_EQ(dev->samples, 1) << "Run reads nothing";
    dev->Show(3900, 250);
    Click(IDC_MEASURE);
    Run();
    EXPECT_EQ(dlg->m_strDuty.str(), " 0.0 %");
}

}  // namespace
