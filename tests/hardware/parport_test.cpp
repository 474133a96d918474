// The parallel-port backend on a fake port in virtual time: opening and its
// errors, the element, and which display frames reach the decoder.
#include "hardware/parport.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "automation/trace.h"
#include "support/fake_parport.h"
#include "support/fixture.h"
#include "support/panel_reader.h"

namespace {

using test::FakeParport;

constexpr int kEights = 88888;  // what a failed request reads

// A fake port and a backend on it; the backend goes first.
struct Port {
    explicit Port(std::int64_t phaseNs, hw::ParportOptions options = {}, std::uint64_t seed = 1)
        : fake(std::make_unique<FakeParport>(phaseNs, seed)),
          device(std::make_unique<hw::ParportDevice>(options, fake->Ref())) {
        fake->line.Show({3804, 251, 754}, false);
    }
    std::unique_ptr<FakeParport> fake;
    std::unique_ptr<hw::ParportDevice> device;
};

TEST(Parport, ParsesItsName) {
    struct Case {
        const char* name;
        const char* device;  // nullptr: refused
        bool shared, heartbeat;
    };
    const Case cases[] = {
        {"parport", "/dev/parport0", false, false},
        {"parport:/dev/parport1", "/dev/parport1", false, false},
        {"parport,shared,heartbeat", "/dev/parport0", true, true},
        {"parport:/tmp/p,heartbeat", "/tmp/p", false, true},
        {"parport:", nullptr, false, false},
        {"parport/dev/parport0", nullptr, false, false},
        {"parport,bogus", nullptr, false, false},
        {"parport:/tmp/p,", nullptr, false, false},
    };
    for (const Case& c : cases) {
        hw::ParportOptions o;
        std::string error;
        const bool ok = hw::ParseParport(c.name, o, error);
        ASSERT_EQ(ok, c.device != nullptr) << c.name << ": " << error;
        if (!ok) continue;
        EXPECT_EQ(o.device, c.device) << c.name;
        EXPECT_EQ(o.shared, c.shared) << c.name;
        EXPECT_EQ(o.heartbeat, c.heartbeat) << c.name;
    }
}

TEST(Parport, EachOpenErrorSaysWhatToDoAndLeavesNothingOpen) {
    struct Case {
        const char* what;
        std::function<void(FakeParport&)> arrange;
        const char* says;
    };
    const Case cases[] = {
        {"no node", [](FakeParport& f) { f.openError = ENOENT; }, "(modprobe ppdev)"},
        {"no permission", [](FakeParport& f) { f.openError = EACCES; }, "group lp"},
        {"not ppdev", [](FakeParport& f) { f.notPpdev = true; }, "is not a parallel-port device"},
        {"second Pyrelle", [](FakeParport& f) { f.lockError = EWOULDBLOCK; }, "in use by another Pyrelle"},
        {"no port", [](FakeParport& f) { f.noPort = true; }, "no parallel port behind /dev/parport0"},
        {"shared with lp", [](FakeParport& f) { f.sharedWithLp = true; }, "add ,shared to --port"},
        {"USB adapter", [](FakeParport& f) { f.readNs = 250'000; }, "USB parallel adapters"},
        {"clock too fast", [](FakeParport& f) { f.readNs = 2'000; }, "too slow for the display"},
        {"I/O error", [](FakeParport& f) { f.failAfter = 10; }, "Input/output error"},
    };
    for (const Case& c : cases) {
        Port p(4'000);
        c.arrange(*p.fake);
        std::string error;
        EXPECT_FALSE(p.device->Open(error)) << c.what;
        EXPECT_NE(error.find(c.says), std::string::npos) << c.what << ": " << error;
        EXPECT_EQ(p.fake->openFds, 0) << c.what;
        EXPECT_FALSE(p.fake->claimed) << c.what;
        EXPECT_EQ(p.fake->Data(), 0) << c.what;
    }
    // Only with ,shared does a port that lp shares open.
    hw::ParportOptions shared;
    shared.shared = true;
    Port p(20'000, shared);
    p.fake->sharedWithLp = true;
    std::string error;
    EXPECT_TRUE(p.device->Open(error)) << error;
}

// The element is off from the open on, follows the writes on pin 2, and is
// off again whenever the port is let go; the heartbeat toggles pin 3.
TEST(Parport, ElementIsOffAtOpenAndWheneverThePortIsLetGo) {
    for (bool heartbeat : {false, true}) {
        SCOPED_TRACE(heartbeat ? "heartbeat" : "plain");
        hw::ParportOptions options;
        options.heartbeat = heartbeat;
        Port p(20'000, options);
        std::string error;
        ASSERT_TRUE(p.device->Open(error)) << error;
        EXPECT_EQ(p.fake->writes.size(), 1u);
        for (unsigned char level : {1, 1, 0, 1}) ASSERT_TRUE(p.device->Write(level));
        std::vector<unsigned char> data;
        for (const auto& w : p.fake->writes) data.push_back(w.value);
        const std::vector<unsigned char> plain{0, 1, 1, 0, 1}, beating{0, 3, 1, 2, 1};
        EXPECT_EQ(data, heartbeat ? beating : plain);

        p.device->Close();
        EXPECT_EQ(p.fake->Data(), 0);
        EXPECT_FALSE(p.fake->claimed);
        EXPECT_EQ(p.fake->openFds, 0);
        EXPECT_FALSE(p.device->Write(1));
        EXPECT_EQ(p.fake->Data(), 0);

        // Opened again and switched on, then dropped without a Close.
        ASSERT_TRUE(p.device->Open(error)) << error;
        ASSERT_TRUE(p.device->Write(1));
        EXPECT_EQ(p.fake->Data() & 1, 1);
        p.device.reset();
        EXPECT_EQ(p.fake->Data(), 0);
        EXPECT_EQ(p.fake->openFds, 0);
    }
}

TEST(Parport, MeasuresTheReadsAndTheDisplayClock) {
    Port p(20'000);
    std::string error;
    ASSERT_TRUE(p.device->Open(error)) << error;
    ASSERT_TRUE(p.device->Measured()) << p.device->NotMeasuredWhy();
    const hw::LineTiming& t = p.device->Timing();
    EXPECT_EQ(t.readNs, 1'300);
    // Phases of 20 to 40 µs, frames parted by 1067 µs of idle line: the
    // bounds hold, and each read blurs them by no more than its own length.
    EXPECT_LE(t.minPhaseNs, 20'000);
    EXPECT_GE(t.minPhaseNs, 20'000 - 4 * 1'300);
    EXPECT_GE(t.maxPhaseNs, 40'000);
    EXPECT_LE(t.maxPhaseNs, 40'000 + 4 * 1'300);
    EXPECT_LE(t.gapNs, 1'067'000 + 40'000);
    EXPECT_GE(t.gapNs, 1'067'000 - 4 * 1'300);
    EXPECT_EQ(t.frameBits, hw::kFrameBits);
    EXPECT_TRUE(t.frameBitsSure);
}

// Reads through the program's own decoder with the backend behind the
// emulated driver.
struct Decoded {
    int main, aux, seconds;
    bool operator==(const Decoded&) const = default;
};

TEST(Parport, CleanLineReadsEveryReadingAtTheFirstTwoFrames) {
    FakeParport fake(10'000);
    test::PanelReader reader(std::make_unique<hw::ParportDevice>(hw::ParportOptions{}, fake.Ref()));
    auto& device = reader.Device<hw::ParportDevice>();
    ASSERT_TRUE(device.IsOpen());
    hw::Rng rng(7);
    for (int k = 0; k < 50; ++k) {
        const hw::Readings shown{static_cast<int>(rng.Next() % 100000), static_cast<int>(rng.Next() % 1000),
                                 static_cast<int>(rng.Next() % 6000)};
        fake.line.Show(shown, false);
        reader.Read();
        ASSERT_EQ((Decoded{reader.reading.main, reader.reading.aux, reader.reading.seconds}),
                  (Decoded{shown.main, shown.aux, shown.seconds}))
            << k << ": " << device.LastNote();
        EXPECT_EQ(device.LastRequest().attempts, 2);
        EXPECT_LE(device.LastRequest().ns, 3 * 7'000'000);  // frames of about 5.5 ms
    }
}

// Reads held up at random, some long enough to hide clock edges, and data
// bits flipped on the line: what reaches the decoder is right or nothing.
TEST(Parport, NoWrongReadingUnderHoldUpsAndBitErrors) {
    struct Case {
        const char* what;
        std::int64_t phaseNs;
        double holdChance;
        double flip;
        int requests;
    };
    const Case cases[] = {
        {"hold-ups", 20'000, 1.0 / 8000, 0.0, 100},
        {"slower clock", 50'000, 1.0 / 40000, 0.0, 40},
        // Rare enough that two frames seldom share an error.
        {"bit errors", 20'000, 0.0, 0.0005, 150},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeParport fake(c.phaseNs, 11);
        test::PanelReader reader(std::make_unique<hw::ParportDevice>(hw::ParportOptions{}, fake.Ref()));
        auto& device = reader.Device<hw::ParportDevice>();
        ASSERT_TRUE(device.IsOpen());
        fake.holdChance = c.holdChance;
        // Up to three phases: many hide an edge, many do not.
        fake.holdNs = [&c](hw::Rng& r) { return static_cast<std::int64_t>(r.Uniform() * 3.0 * c.phaseNs); };
        fake.line.SetFaults({c.flip, -1, hw::ClockLine::kRunning});
        hw::Rng rng(3);
        int read = 0, failed = 0, retried = 0;
        for (int k = 0; k < c.requests; ++k) {
            const hw::Readings shown{static_cast<int>(rng.Next() % 100000),
                                     static_cast<int>(rng.Next() % 100000),
                                     static_cast<int>(rng.Next() % 6000)};
            fake.line.Show(shown, false);
            reader.Read();
            const Decoded got{reader.reading.main, reader.reading.aux, reader.reading.seconds};
            if (got == Decoded{kEights, kEights, 5368} && !device.LastRequest().ok) {
                ++failed;
                continue;
            }
            ASSERT_EQ(got, (Decoded{shown.main, shown.aux, shown.seconds})) << k;
            ++read;
            if (device.LastRequest().attempts > 2) ++retried;
        }
        // The faults bite, and most requests still succeed.
        EXPECT_GT(retried * 20, c.requests);
        EXPECT_GT(read * 3, c.requests * 2) << failed << " failed";
    }
}

// A window is not handed on when the display clock stops, frames break off or
// the port fails; the window keeps what the caller put in it.
TEST(Parport, FailedRequestsSayWhyAndLeaveTheWindow) {
    struct Case {
        const char* what;
        std::function<void(FakeParport&)> arrange;
        const char* says;
    };
    const Case cases[] = {
        {"clock stuck high",
         [](FakeParport& f) {
             f.line.SetFaults({0.0, -1, hw::ClockLine::kStuckHigh});
         },
         "display clock (pin 12) stays high"},
        {"clock stuck low",
         [](FakeParport& f) {
             f.line.SetFaults({0.0, -1, hw::ClockLine::kStuckLow});
         },
         "display clock (pin 12) stays low"},
        {"frames break off",
         [](FakeParport& f) {
             f.line.SetFaults({0.0, 120, hw::ClockLine::kRunning});
         },
         "the frame ended after 120 bits"},
        {"I/O error", [](FakeParport& f) { f.failAfter = f.reads + 5000; }, "Input/output error"},
        {"held up all the time",
         [](FakeParport& f) {
             f.holdChance = 1.0 / 400;
             f.holdNs = [](hw::Rng&) { return std::int64_t{30'000}; };
         },
         "could hide a clock edge before bit"},
    };
    for (const Case& c : cases) {
        Port p(20'000);
        std::string error;
        ASSERT_TRUE(p.device->Open(error)) << error;
        c.arrange(*p.fake);
        std::vector<unsigned char> window(8192, 0xFF);
        window[0] = 0;
        const std::int64_t start = p.fake->now;
        EXPECT_FALSE(p.device->Sample(window.data(), window.size())) << c.what;
        EXPECT_NE(p.device->LastNote().find(c.says), std::string::npos)
            << c.what << ": " << p.device->LastNote();
        EXPECT_EQ(window[0], 0) << c.what;
        for (std::size_t i = 1; i < window.size(); ++i) ASSERT_EQ(window[i], 0xFF) << c.what;
        EXPECT_LE(p.fake->now - start, hw::ParportDevice::kDeadlineNs + 1'000'000) << c.what;
    }
}

// Reads every microsecond (each read at the end of its span) of a line with
// 10 µs phases, less the reads in `holes`.
std::vector<hw::StatusRead> EvenReads(hw::DisplayLine& line, std::int64_t until,
                                      const std::vector<std::pair<std::int64_t, std::int64_t>>& holes) {
    std::vector<hw::StatusRead> reads;
    for (std::int64_t t = 1'000; t <= until; t += 1'000) {
        bool skip = false;
        for (auto [from, to] : holes) skip = skip || (t > from && t < to);
        const unsigned char s = line.StatusAt(t - 500);
        if (!skip) reads.push_back({t, s});
    }
    return reads;
}

// The checks themselves, on reads laid out by hand.
TEST(FrameCapture, TakesTwoAgreeingFramesWithoutHolesBeforeTheirLastReadBit) {
    // 176 bits of two phases of 9999 ns, then the idle line.
    constexpr std::int64_t kBit = 2 * 9'999;
    constexpr std::int64_t kPeriod = 176 * kBit + 160 * 3'333;
    hw::DisplayLine clean(10'000, 1, false);
    clean.Show({1234, 250, 754}, false);
    const std::vector<hw::StatusRead> reference = EvenReads(clean, 4 * kPeriod, {});
    hw::LineTiming timing;
    std::string why;
    ASSERT_TRUE(hw::MeasureLine(reference, 0, timing, why)) << why;

    struct Case {
        const char* what;
        std::vector<std::pair<std::int64_t, std::int64_t>> holes;  // relative to the first frame's start
        int attempts;                                              // 0: no frame handed on
        const char* why;
    };
    const Case cases[] = {
        {"no holes", {}, 2, ""},
        // 12 µs without a read can hide a phase.
        {"a hole in the first frame", {{100'000, 112'000}}, 3, "could hide a clock edge before bit 5"},
        {"a hole after bit 171", {{171 * kBit + 12'000, 171 * kBit + 24'000}}, 2, ""},
        {"a hole in every frame",
         {{50'000, 62'000},
          {kPeriod + 50'000, kPeriod + 62'000},
          {2 * kPeriod + 50'000, 2 * kPeriod + 62'000}},
         0,
         "before bit 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        hw::DisplayLine line(10'000, 1, false);
        line.Show({1234, 250, 754}, false);
        // The first frame starts at 0; the reads begin inside the idle line before the second.
        std::vector<std::pair<std::int64_t, std::int64_t>> holes;
        for (auto [from, to] : c.holes) holes.push_back({kPeriod + from, kPeriod + to});
        const std::vector<hw::StatusRead> reads = EvenReads(line, 4 * kPeriod, holes);
        hw::FrameCapture capture(timing, kPeriod - 300'000);
        bool done = false;
        for (const hw::StatusRead& r : reads)
            if (r.ns > kPeriod - 300'000 && !done) done = capture.Feed(r.ns, r.status);
        EXPECT_EQ(done, c.attempts != 0);
        if (done) {
            EXPECT_EQ(capture.Attempts(), c.attempts);
            unsigned char bits[256];
            int n = 0;
            const auto& s = capture.Samples();
            for (std::size_t i = 1; i < s.size(); ++i)
                if (!(s[i - 1] & hw::kClockBit) && (s[i] & hw::kClockBit))
                    bits[n++] = (s[i] & hw::kDataBit) ? 1 : 0;
            ASSERT_EQ(n, hw::kFrameReadBits);
            hw::Readings r;
            ASSERT_TRUE(hw::ReadFrame(bits, r));
            EXPECT_EQ((Decoded{r.main, r.aux, r.seconds}), (Decoded{1234, 250, 754}));
        }
        EXPECT_NE(capture.Why().find(c.why), std::string::npos) << capture.Why();
    }
}

// Measured on a display with 30 µs phases that then runs with 18 µs ones: a
// hole of 23 µs at the same place in every frame would pass the old measure,
// hide the same edge in each, and two wrong frames would agree.
TEST(FrameCapture, DoesNotTrustTheMeasureOnceTheClockShowsAShorterPhase) {
    hw::DisplayLine slow(30'000, 1, false);
    hw::LineTiming timing;
    std::string why;
    ASSERT_TRUE(hw::MeasureLine(EvenReads(slow, 40'000'000, {}), 0, timing, why)) << why;
    ASSERT_GT(timing.minPhaseNs, 24'000);

    constexpr std::int64_t kPeriod = 352 * 18'000 + 160 * 6'000;
    std::vector<std::pair<std::int64_t, std::int64_t>> holes;
    for (int k = 0; k < 8; ++k) holes.push_back({k * kPeriod + 50'000, k * kPeriod + 73'000});
    hw::DisplayLine fast(18'000, 1, false);
    fast.Show({1234, 250, 754}, false);
    hw::FrameCapture capture(timing, 0);
    bool done = false;
    for (const hw::StatusRead& r : EvenReads(fast, 8 * kPeriod, holes))
        done = done || capture.Feed(r.ns, r.status);
    EXPECT_FALSE(done);
    EXPECT_LT(capture.MinPhaseNs(), 18'000);
    EXPECT_NE(capture.Why().find("could hide a clock edge"), std::string::npos) << capture.Why();
}

// The trace tells why a request failed; the program's own requests do not
// change for it.
TEST(Parport, TraceShowsAFailedSample) {
    const std::string dir = test::FreshDir("parport_trace");
    std::string error;
    ASSERT_TRUE(automation::TraceOpen(dir + "/trace.txt", error)) << error;
    {
        FakeParport fake(20'000);
        test::PanelReader reader(std::make_unique<hw::ParportDevice>(hw::ParportOptions{}, fake.Ref()));
        reader.Read();
        fake.line.SetFaults({0.0, -1, hw::ClockLine::kStuckLow});
        reader.Read();
        EXPECT_EQ(reader.reading.main, kEights);
    }
    automation::TraceClose();
    std::vector<std::string> events;  // without their times
    for (const std::string& l : test::RunResult{0, "", "", test::ReadFile(dir + "/trace.txt")}.TraceLines())
        events.push_back(l.substr(l.find(' ') + 1));
    EXPECT_EQ(events, (std::vector<std::string>{
                          "OPEN ok", "SAMPLE",
                          "SAMPLE failed: no frame to vouch for in 250 ms: no clock edges: the display clock "
                          "(pin 12) stays low",
                          "CLOSE"}));
}

// The program on this machine, which has no parallel port.
TEST(Parport, MissingNodeIsToldOnceAndTheProgramGoesOn) {
    const std::string node = "/nonexistent/parport0";
    const test::RunResult r =
        test::RunPyrelle(test::FreshDir("parport_missing"), "wait 1000\n", "--port parport:" + node);
    const std::string line =
        "pyrelle: " + node +
        " does not exist: load the parallel-port driver (modprobe ppdev), enable the port in "
        "the firmware setup, and see ls /sys/class/parport\n";
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, line + "box: The Port driver is already running.\n");
    EXPECT_EQ(r.out, "PortDriver: Couldn't access PortDriver Driver, Please ensure driver is loaded.\n\n");
    const std::string failed = "OPEN failed: " + line.substr(9, line.size() - 10);
    std::vector<std::string> events;
    for (const std::string& l : r.TraceLines()) events.push_back(l.substr(l.find(' ') + 1));
    EXPECT_EQ(events, (std::vector<std::string>{failed, failed}));

    const std::string dir = test::FreshDir("parport_probe");
    const std::string probe =
        "'" PYRELLE_BINARY "' --port parport:" + node + " --probe >" + dir + "/out.txt 2>&1";
    const int status = std::system(probe.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(test::ReadFile(dir + "/out.txt"), line);
}

}  // namespace
