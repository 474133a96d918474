// Whole runs of the program, headless: the port driver's trace shows each
// tick's reading and write, and the pulse's flip at its time.
#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/fixture.h"

namespace {

struct Event {
    long long ms;
    std::string what;
    bool operator==(const Event&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Event& e) {
    return os << e.ms << ' ' << e.what;
}

std::vector<Event> Events(const test::RunResult& r) {
    std::vector<Event> events;
    for (const std::string& line : r.TraceLines()) {
        std::istringstream in(line);
        Event e;
        in >> e.ms;
        std::getline(in >> std::ws, e.what);
        events.push_back(e);
    }
    return events;
}

TEST(HeadlessRun, ReplayedReadingsGiveTheTablesWritesAndPulses) {
    const std::string dir = test::FreshDir("control_replay");
    // Measure takes the first line, each tick the next; the target is 380 degrees.
    std::ofstream(dir + "/readings.txt") << "235 100\n3000 100\n3800 100\n3799 100\n4000 100\n";
    const test::RunResult r = test::RunPyrelle(dir,
                                               "click 1014\n"
                                               "expect 1028 24\n"
                                               "type 1070 50\n"  // d = 49: on at the tick, off 530 ms later
                                               "click 1029\n"
                                               "wait 4500\n"
                                               "click 1006\n",
                                               "--port replay:readings.txt");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<Event> events = Events(r);
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[0].what, "OPEN ok");
    const long long run = events[1].ms;  // Measure and Run at the same moment
    const std::vector<Event> expected = {
        {0, "OPEN ok"},          {run, "SAMPLE"},
        {run + 1000, "SAMPLE"},  {run + 1000, "WRITE 1"},  // below the target
        {run + 1530, "WRITE 0"}, {run + 2000, "SAMPLE"},
        {run + 2000, "WRITE 0"},  // at the target: off, and the pulse is re-armed before it fires
        {run + 3000, "SAMPLE"},  {run + 3000, "WRITE 1"},
        {run + 3530, "WRITE 0"}, {run + 4000, "SAMPLE"},
        {run + 4000, "WRITE 0"}, {run + 4500, "WRITE 0"},  // Abort
        {run + 4500, "WRITE 0"},                           // Exit, before the device closes
        {run + 4500, "CLOSE"},
    };
    EXPECT_EQ(events, expected);
    EXPECT_EQ(r.err.find("box:"), std::string::npos) << r.err;
    EXPECT_EQ(test::ReadFile(dir + "/Tdata1.txt"),
              "4\r\n\r\n3000 100\r\n3800 100\r\n3799 100\r\n4000 100\r\n");
}

// A display that shows nothing new, and a reading stuck low while the
// display's clock runs (a dislodged thermocouple), each trip the runaway
// guard: the element off, a box, the trip in the trace, no heat after it.
TEST(HeadlessRun, FrozenDisplayAndStuckLowReadingTripTheGuard) {
    struct Case {
        const char* name;
        const char* readings;
        const char* guard;  // the trace's mark
        long long afterMs;  // from Run to the trip
        const char* box;
    } cases[] = {
        {"frozen", "200 201 0\n", "GUARD frozen display", 301000, "box: Nothing on the instrument's display"},
        {"stuck-low", "200 201\n", "GUARD stalled", 1801000, "box: The element heated for 30 minutes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string dir = test::FreshDir(std::string("control_guard_") + c.name);
        std::ofstream(dir + "/readings.txt") << c.readings;
        const test::RunResult r =
            test::RunPyrelle(dir, "click 1029\nwait 2000000\n", "--port replay:readings.txt");
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.err.find(c.box), std::string::npos) << r.err;
        const std::vector<Event> events = Events(r);
        const auto trip =
            std::find_if(events.begin(), events.end(), [&](const Event& e) { return e.what == c.guard; });
        ASSERT_NE(trip, events.end());
        const long long run = events[1].ms - 1000;  // the first tick, a second after Run
        EXPECT_EQ(trip->ms - run, c.afterMs);
        ASSERT_NE(trip + 1, events.end());
        EXPECT_EQ(*(trip + 1), (Event{trip->ms, "WRITE 0"})) << "the element goes off at once";
        for (auto e = trip; e != events.end(); ++e) EXPECT_NE(e->what, "WRITE 1") << e->ms;
        EXPECT_EQ(
            std::count_if(events.begin(), events.end(), [](const Event& e) { return e.what == "SAMPLE"; }),
            c.afterMs / 1000)
            << "halted: no tick reads after the trip";
    }
}

TEST(HeadlessRun, DefaultProgramOnTheSimulatorEndsByItself) {
    const std::string dir = test::FreshDir("control_default_program");
    const test::RunResult r = test::RunPyrelle(dir, "click 1029\nwait 42880000\n");
    ASSERT_EQ(r.status, 0) << r.err;
    // Nothing trips on a furnace that heats; the run, ended without Abort, is
    // saved under a new name at Exit.
    const std::string saved =
        "box: The last run's 42870 samples were not saved by Abort. They are saved in " + dir;
    ASSERT_EQ(r.err.rfind(saved, 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    const std::string log = test::ReadFile(
        r.err.substr(saved.size() - dir.size(), r.err.find(".txt") + 4 - (saved.size() - dir.size())));
    EXPECT_EQ(log.rfind("42870\r\n\r\n", 0), 0u);
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 42872);
    const std::vector<Event> events = Events(r);
    std::vector<long long> samples;
    for (const Event& e : events)
        if (e.what == "SAMPLE") samples.push_back(e.ms);
    ASSERT_EQ(samples.size(), 42870u);
    for (std::size_t k = 1; k < samples.size(); ++k) ASSERT_EQ(samples[k] - samples[k - 1], 1000) << k;
    // After the last tick: its own writes, ending with the element off, and
    // nothing more until Exit switches off again and closes.
    const long long last = samples.back();
    std::vector<Event> tail;
    for (const Event& e : events)
        if (e.ms >= last && e.what != "SAMPLE") tail.push_back(e);
    const long long exit = samples.front() - 1000 + 42880000;
    const std::vector<Event> expected = {
        {last, "WRITE 0"}, {last, "WRITE 0"}, {exit, "WRITE 0"}, {exit, "CLOSE"}};
    EXPECT_EQ(tail, expected);
}

}  // namespace
