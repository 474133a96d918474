// What watches a run: a form that fails its check starts nothing, an
// instrument that stops answering, a port that takes no writes, the runaway
// guard, and the end of a run.
#include <algorithm>

#include "control/run_fixture.h"

namespace {

using RunWatchTest = RunControllerTest;

bool Starts(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

TEST_F(RunWatchTest, AFormThatFailsItsCheckStartsNoRunAndLeavesOneInProgressAsItWas) {
    dev->Show(2000, 250);
    Type(IDC_SEG1_TEMP, "25O");
    Run();
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Please enter an integer."});
    EXPECT_EQ(dlg->m_nRunState, kRunIdle);
    ExpectQuietFor(3000);

    // During a run: a new target before the bad field is not taken either.
    Type(IDC_SEG1_TEMP, "380");
    const std::int64_t run = Run();
    Wait(3000);
    platform::testing::ClearBoxes();
    Type(IDC_SEG1_TEMP, "400");
    Type(IDC_SEG2_TEMP, "x");
    Run();
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Please enter an integer."});
    EXPECT_EQ(dlg->m_nSeg1Temp, 380);
    Wait(2000);
    EXPECT_EQ(dlg->m_nTickCount, 5) << "the run goes on, not restarted";
    EXPECT_EQ(WritesFrom(run).size(), 9u) << "five ticks and four pulses, as before";
}

TEST_F(RunWatchTest, AnInstrumentThatStopsAnsweringIsToldOnceAndTheElementStaysOff) {
    dev->Show(2000, 250);  // below the target: every tick heats
    Run();
    Wait(3000);
    dev->failSamples = true;
    const std::int64_t lost = platform::NowMs();
    Wait(9000);
    EXPECT_TRUE(Boxes().empty()) << "nine seconds: not yet";
    Wait(6000);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_TRUE(Starts(Boxes()[0], "The instrument has not answered for 10 seconds")) << Boxes()[0];
    // From the first tick without a reading on, the element is off.
    for (auto [ms, level] : WritesFrom(lost + 500)) EXPECT_EQ(level, 0) << ms;
    EXPECT_EQ(dlg->m_nTickCount, 18) << "the run goes on";

    dev->failSamples = false;
    const std::int64_t back = platform::NowMs() + 500;
    Wait(2500);
    ASSERT_EQ(Boxes().size(), 2u);
    EXPECT_TRUE(Starts(Boxes()[1], "Readings from the instrument have returned")) << Boxes()[1];
    EXPECT_EQ(WritesFrom(back), (std::vector<Write>{{500, 0}, {520, 1}, {1500, 0}, {1520, 1}}));
}

TEST_F(RunWatchTest, AFailedWriteIsToldAtOnceAndEveryWriteAfterItAsksForOff) {
    dev->Show(2000, 250);
    const std::int64_t run = Run();
    Wait(2500);
    dev->failWrites = true;
    Wait(1000);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_TRUE(Starts(Boxes()[0], "Writing to the port failed")) << Boxes()[0];
    dev->failWrites = false;  // the port answers again: the element stays off all the same
    Wait(3000);
    EXPECT_EQ(Boxes().size(), 1u) << "told once";
    const auto writes = WritesFrom(run + 3000);
    ASSERT_FALSE(writes.empty());
    EXPECT_TRUE(std::all_of(writes.begin(), writes.end(), [](const Write& w) { return w.second == 0; }));
    EXPECT_EQ(dlg->m_nTickCount, 6) << "the run goes on";

    // A new run controls again.
    const std::int64_t again = Run();
    Wait(1500);
    EXPECT_EQ(WritesFrom(again), (std::vector<Write>{{1000, 0}, {1020, 1}}));
}

TEST_F(RunWatchTest, AFrozenDisplayTripsTheGuardWhichHaltsWithTheElementOff) {
    dev->Show(2000, 250, 0);  // nothing moves, the panel clock included
    const std::int64_t run = Run();
    Wait(300 * 1000);
    EXPECT_TRUE(Boxes().empty());
    Wait(1000);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_TRUE(Starts(Boxes()[0], "Nothing on the instrument's display has changed for 5 minutes"))
        << Boxes()[0];
    EXPECT_EQ(dlg->m_nRunState, kRunHalted);
    EXPECT_NE(dlg->m_btnHalt.GetState() & BST_PUSHED, 0u);
    EXPECT_EQ(WritesFrom(run).back(), Write(301000, 0)) << "the tick that trips writes off, not on";
    EXPECT_EQ(dlg->m_nTickCount, 301) << "its sample is kept for Abort";
    ExpectQuietFor(5000);
}

}  // namespace
