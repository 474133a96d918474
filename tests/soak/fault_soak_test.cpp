// The default program, start to end, on the simulated furnace whose display
// line flips bits and drops frames, behind a port device that fails for five
// minutes in the middle of the run; the same run without faults is the
// yardstick. The run must keep its timing, switch the element off whenever
// control stops, and write a log that matches what it read. What the faults
// did to the readings and to the control is printed.
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "control/duty.h"
#include "hardware/sim_port.h"
#include "support/fixture.h"

namespace {

constexpr int kTicks = 42870;  // the default program: 50800 s at 1.185 s a tick
constexpr std::int64_t kTickMs = 1000;
constexpr std::uint64_t kSeed = 11;

// The simulator behind a device that fails every request in [failFrom, failTo).
// It records what was really shown at each sample request and what reached
// the element.
class FailingPort : public hw::PortDevice {
public:
    struct SampleRecord {
        std::int64_t ms;
        hw::Readings shown;
        bool failed;
    };
    struct WriteRecord {
        std::int64_t ms;
        unsigned char level;
        bool failed;
    };

    FailingPort(const hw::SimFaults& faults, std::int64_t failFrom, std::int64_t failTo)
        : m_sim(
              kSeed, [] { return platform::NowMs(); }, faults),
          m_failFrom(failFrom),
          m_failTo(failTo) {}

    bool Sample(unsigned char* window, std::size_t size) override {
        const bool fail = Failing();
        // A failed request still lets the furnace and its noise run on, so
        // the two runs see the same instrument.
        std::vector<unsigned char> scratch;
        if (fail) scratch.resize(size);
        m_sim.Sample(fail ? scratch.data() : window, size);
        samples.push_back({platform::NowMs(), m_sim.Shown(), fail});
        return !fail;
    }
    bool Write(unsigned char level) override {
        const bool fail = Failing();
        if (!fail) m_sim.Write(level);
        writes.push_back({platform::NowMs(), level, fail});
        return !fail;
    }

    bool ElementOn() const { return m_sim.GetFurnace().ElementOn(); }
    double Chamber() const { return m_sim.GetFurnace().Chamber(); }

    std::vector<SampleRecord> samples;
    std::vector<WriteRecord> writes;

private:
    bool Failing() const { return platform::NowMs() >= m_failFrom && platform::NowMs() < m_failTo; }

    hw::SimPort m_sim;
    std::int64_t m_failFrom, m_failTo;
};

// One tick as the program saw it.
struct Tick {
    hw::Readings shown;  // what the instrument really showed
    int main, aux;       // what the program read
    int target;          // whole degrees
    bool heat;           // the program's decision: the reading below the target
    double chamber;      // the furnace, degrees
};

struct Outcome {
    std::vector<Tick> ticks;
    std::vector<FailingPort::SampleRecord> samples;
    std::vector<FailingPort::WriteRecord> writes;
    std::int64_t runMs = 0;
    int tickCount = 0, elapsed = 0;
    std::string log;
    std::vector<HistoryEntry> history;
    // Seconds at whose end the element was on while the program meant it
    // off, inside and outside the device's failure.
    int onWhileOffFailing = 0, onWhileOffOtherwise = 0;
    // Seconds in whose middle the element was on with the chamber above the target.
    int heatAboveTarget = 0;
    double worstHeatAbove = 0;  // degrees
    std::int64_t lastRunWriteMs = -1;
    unsigned char levelAtEnd = 0, levelAfterAbort = 0;
    bool elementOnAtEnd = false;
    std::vector<std::string> boxes;
};

class FaultSoakTest : public ::testing::Test {
protected:
    // Runs the default program to its end on `faults`, the device failing in
    // [failFromTick, failToTick) seconds after Run (half a second past those ticks).
    Outcome RunProgram(const hw::SimFaults& faults, int failFromTick, int failToTick,
                       const std::string& dir) {
        platform::testing::ClearUser();
        platform::testing::ClearBoxes();
        const std::int64_t t0 = platform::NowMs();
        auto device = std::make_unique<FailingPort>(faults, t0 + failFromTick * kTickMs + 500,
                                                    t0 + failToTick * kTickMs + 500);
        FailingPort* port = device.get();
        test::InstallPort(std::move(device));
        auto dlg = std::make_unique<CPyrelleDlg>();
        AfxGetApp()->m_pMainWnd = dlg.get();
        dlg->Create(IDD_PYRELLE_DIALOG);

        Outcome out;
        out.runMs = platform::NowMs();
        dlg->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_RUN_PC_MODE, BN_CLICKED), 0);
        out.ticks.reserve(kTicks);
        std::size_t seen = 0;
        // Two seconds past the end: no tick may come after the last.
        for (int s = 1; s <= kTicks + 2; ++s) {
            // Half-way through the second the element shows what the tick decided.
            platform::AdvanceClock(kTickMs / 2);
            if (const double above = port->Chamber() - dlg->SegmentTargetTemp(dlg->m_nElapsedSeconds);
                port->ElementOn() && above > 0) {
                ++out.heatAboveTarget;
                out.worstHeatAbove = std::max(out.worstHeatAbove, above);
            }
            platform::AdvanceClock(kTickMs / 2);
            if (port->samples.size() > seen) {
                seen = port->samples.size();
                const int target = dlg->SegmentTargetTemp(dlg->m_nElapsedSeconds);
                out.ticks.push_back(
                    Tick{port->samples.back().shown, dlg->m_nTemperature, dlg->m_nAuxTemperature, target,
                         static_cast<long long>(dlg->m_nTemperature) < 10LL * target, port->Chamber()});
            }
            if (port->ElementOn() && dlg->m_bElementOn == 0) {
                // The device fails from half a second past tick failFromTick: the
                // ends of the seconds failFromTick+1 .. failToTick lie inside.
                const bool failing = s > failFromTick && s <= failToTick;
                ++(failing ? out.onWhileOffFailing : out.onWhileOffOtherwise);
            }
        }
        out.tickCount = dlg->m_nTickCount;
        out.elapsed = dlg->m_nElapsedSeconds;
        out.levelAtEnd = port->writes.empty() ? 0 : port->writes.back().level;
        out.lastRunWriteMs = port->writes.empty() ? -1 : port->writes.back().ms;
        out.elementOnAtEnd = port->ElementOn();

        // Abort writes the log in the current folder.
        char here[4096];
        EXPECT_NE(getcwd(here, sizeof here), nullptr);
        EXPECT_EQ(chdir(dir.c_str()), 0);
        dlg->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_ABORT, BN_CLICKED), 0);
        EXPECT_EQ(chdir(here), 0);
        out.levelAfterAbort = port->writes.empty() ? 0 : port->writes.back().level;
        out.log = test::ReadFile(dir + "/Tdata1.txt");
        out.history.assign(dlg->m_aHistory, dlg->m_aHistory + kHistorySize);
        out.samples = port->samples;
        out.writes = port->writes;

        AfxGetApp()->m_pMainWnd = nullptr;
        dlg.reset();
        test::InstallPort(nullptr);
        out.boxes = platform::testing::Boxes();
        return out;
    }

    // What every run must do, faults or not.
    static void ExpectSoundRun(const Outcome& o, const char* name) {
        SCOPED_TRACE(name);
        EXPECT_EQ(o.tickCount, kTicks);
        EXPECT_EQ(o.elapsed, control::ProgramTime(kTicks));
        // One sample request a tick, exactly a second apart from Run on, and none after the last.
        ASSERT_EQ(o.samples.size(), static_cast<std::size_t>(kTicks));
        ASSERT_EQ(o.ticks.size(), static_cast<std::size_t>(kTicks));
        for (int k = 0; k < kTicks; ++k)
            if (o.samples[k].ms != o.runMs + (k + 1) * kTickMs) {
                ADD_FAILURE() << "tick " << k + 1 << " at " << o.samples[k].ms - o.runMs << " ms after Run";
                break;
            }
        // The writes come in time order; the last one of the run, at the last tick, is the off.
        EXPECT_TRUE(std::is_sorted(o.writes.begin(), o.writes.end(),
                                   [](const auto& a, const auto& b) { return a.ms < b.ms; }));
        EXPECT_EQ(o.levelAtEnd, 0);
        EXPECT_FALSE(o.elementOnAtEnd) << "the element is on after the run ended";
        EXPECT_EQ(o.levelAfterAbort, 0);
        EXPECT_EQ(o.lastRunWriteMs, o.runMs + kTicks * kTickMs);
        EXPECT_EQ(o.onWhileOffOtherwise, 0) << "the element on against the program, the device working";

        // The log: the count, an empty line, then one line per tick as read.
        std::string want = std::to_string(kTicks) + "\r\n\r\n";
        for (int k = 0; k < kTicks; ++k) {
            EXPECT_EQ(o.history[k].nMain, o.ticks[k].main) << "history entry " << k;
            want += std::to_string(o.history[k].nMain) + " " + std::to_string(o.history[k].nAux) + "\r\n";
        }
        EXPECT_EQ(o.log.size(), want.size());
        EXPECT_TRUE(o.log == want) << "the run log differs from the history";
    }
};

TEST_F(FaultSoakTest, DefaultProgramThroughFlipsDropsAndAFailingDevice) {
    // Faults: one data bit in a thousand sent inverted, one sample request in
    // twenty catching no frame, and the device failing from tick 20000 to
    // tick 20300 (five minutes, in the hold of the first segment).
    hw::SimFaults faults;
    std::string error;
    ASSERT_TRUE(hw::ParseSimFaults("flip=0.001,drop=0.05", faults, error)) << error;
    constexpr int kFailFrom = 20000, kFailTo = 20300;

    const Outcome clean = RunProgram(hw::SimFaults{}, 0, 0, test::FreshDir("soak-clean"));
    const Outcome faulty = RunProgram(faults, kFailFrom, kFailTo, test::FreshDir("soak-faults"));
    ExpectSoundRun(clean, "clean");
    ExpectSoundRun(faulty, "faults");
    EXPECT_TRUE(clean.boxes.empty()) << clean.boxes.front();
    // The failing device: its first failed write is told at once, and the
    // element is kept off from then on; the missing readings after ten
    // seconds, and their return.
    ASSERT_EQ(faulty.boxes.size(), 3u);
    EXPECT_EQ(faulty.boxes[0].rfind("Writing to the port failed", 0), 0u) << faulty.boxes[0];
    EXPECT_EQ(faulty.boxes[1].rfind("The instrument has not answered for 10 seconds", 0), 0u)
        << faulty.boxes[1];
    EXPECT_EQ(faulty.boxes[2].rfind("Readings from the instrument have returned", 0), 0u) << faulty.boxes[2];
    for (const auto& w : faulty.writes) {
        if (w.ms >= faulty.runMs + kFailFrom * kTickMs + 500) {
            ASSERT_EQ(w.level, 0) << "a write after the failure";
        }
    }
    ASSERT_EQ(clean.ticks.size(), faulty.ticks.size());

    // Without faults every reading is what the instrument showed.
    for (const Tick& t : clean.ticks) {
        ASSERT_EQ(t.main, t.shown.main);
        ASSERT_EQ(t.aux, t.shown.aux);
    }

    // With faults: how many readings were wrong, how far, and what that did.
    // A request that caught no frame (dropped, or failed) reads every digit
    // as 8; anything else wrong was garbled by flipped bits.
    constexpr int kNoFrame = 88888;
    int noFrame = 0, garbled = 0, garbledLow = 0, toHeat = 0, toOff = 0;
    std::vector<long long> garbledError;
    for (std::size_t k = 0; k < faulty.ticks.size(); ++k) {
        const Tick& t = faulty.ticks[k];
        if (t.main == kNoFrame && t.shown.main != kNoFrame) {
            ++noFrame;
            // A lost reading reads far above any target: it never heats.
            EXPECT_FALSE(t.heat) << "tick " << k + 1 << " heats on a reading of 8888.8";
        } else if (t.main != t.shown.main) {
            ++garbled;
            garbledLow += t.main < t.shown.main;
            garbledError.push_back(std::llabs(static_cast<long long>(t.main) - t.shown.main));
        }
        const bool trueHeat = static_cast<long long>(t.shown.main) < 10LL * t.target;
        if (t.heat != trueHeat) ++(t.heat ? toHeat : toOff);
    }
    std::sort(garbledError.begin(), garbledError.end());
    auto quantile = [&](double q) {
        return garbledError.empty() ? 0LL
                                    : garbledError[static_cast<std::size_t>(q * (garbledError.size() - 1))];
    };
    int failedSamples = 0;
    for (const auto& smp : faulty.samples) failedSamples += smp.failed;
    int heatClean = 0, heatFaulty = 0;
    double worstGap = 0, sumGap = 0;
    for (std::size_t k = 0; k < faulty.ticks.size(); ++k) {
        heatClean += clean.ticks[k].heat;
        heatFaulty += faulty.ticks[k].heat;
        const double gap = std::fabs(faulty.ticks[k].chamber - clean.ticks[k].chamber);
        worstGap = std::max(worstGap, gap);
        sumGap += gap;
    }

    std::printf(
        "soak: faults flip=0.001 drop=0.05, device failing for ticks %d to %d; %d ticks, "
        "the last %lld ms after Run, element %s at the end\n",
        kFailFrom, kFailTo, kTicks, static_cast<long long>(faulty.lastRunWriteMs - faulty.runMs),
        faulty.elementOnAtEnd ? "ON" : "off");
    std::printf(
        "soak: wrong main readings %d of %d: %d caught no frame (%d of them the failing device) and "
        "read 8888.8; %d garbled by flips (%d low), error median %lld, 90%% %lld, worst %lld tenths\n",
        noFrame + garbled, kTicks, noFrame, failedSamples, garbled, garbledLow, quantile(0.5), quantile(0.9),
        quantile(1.0));
    std::printf(
        "soak: duty decisions against the true reading: %d changed (%d heat instead of off, %d off "
        "instead of heat); heating ticks %d clean, %d with faults\n",
        toHeat + toOff, toHeat, toOff, heatClean, heatFaulty);
    std::printf(
        "soak: chamber against the clean run: worst %.1f degrees, mean %.2f; element on while the "
        "program meant it off: %d s, all while the device failed\n",
        worstGap, sumGap / static_cast<double>(kTicks), faulty.onWhileOffFailing);

    // Ten times the flips, and what the guard made of them.
    ASSERT_TRUE(hw::ParseSimFaults("flip=0.01", faults, error)) << error;
    const Outcome flips = RunProgram(faults, 0, 0, test::FreshDir("soak-flips"));
    std::string guard;
    for (const auto& b : flips.boxes) guard += " [" + b.substr(0, 60) + "...]";
    std::printf(
        "soak: element on with the chamber above target: %d s clean (at most %.1f degrees above), %d s at "
        "flip=0.001 (%.1f), %d s at flip=0.01 (%.1f; %d ticks); boxes at flip=0.01:%s\n",
        clean.heatAboveTarget, clean.worstHeatAbove, faulty.heatAboveTarget, faulty.worstHeatAbove,
        flips.heatAboveTarget, flips.worstHeatAbove, flips.tickCount,
        guard.empty() ? " none" : guard.c_str());

    // The faults were really there, and each kind did what it does.
    EXPECT_EQ(failedSamples, kFailTo - kFailFrom);
    EXPECT_GT(garbled, 0);
    EXPECT_GT(noFrame, failedSamples) << "dropped frames besides the failing device";
}

}  // namespace
