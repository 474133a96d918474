// The program binary, unmodified, driving a furnace through a parallel-port
// node that a FUSE file system provides (tests/support/ppdev_fs.cpp): the
// readings it decodes, the element level over time, and the element off
// after Exit and after SIGTERM. Skipped, with the reason, where FUSE cannot be mounted.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/fixture.h"

namespace {

#ifndef PYRELLE_PPDEV_FS

TEST(ParportFuse, ProgramDrivesTheFurnaceThroughAFakeNode) {
    GTEST_SKIP() << "built without libfuse3: bash scripts/deps.sh installs libfuse3-dev and fuse3";
}
TEST(ParportFuse, ASignalMidRunLeavesTheElementOff) {
    GTEST_SKIP() << "built without libfuse3: bash scripts/deps.sh installs libfuse3-dev and fuse3";
}

#else

namespace fs = std::filesystem;

// The display's clock phase, µs. Every status read is a round trip through
// FUSE, several times slower under the sanitizers: there fewer captures
// succeed, so less of the run is read and heated (what is read must still
// be right, and the element must still be off at the end).
constexpr const char* kPhaseUs = "250";
#if defined(__SANITIZE_ADDRESS__)
constexpr int kReadShare = 4, kWarming = 1;
#else
constexpr int kReadShare = 2, kWarming = 20;
#endif

// The file system's log: "MS WHAT ARGS...".
struct FsEvent {
    double ms;
    std::string what;
    std::vector<int> args;
};

std::vector<FsEvent> ReadLog(const std::string& path) {
    std::vector<FsEvent> events;
    std::istringstream in(test::ReadFile(path));
    for (std::string line; std::getline(in, line);) {
        std::istringstream l(line);
        FsEvent e;
        l >> e.ms >> e.what;
        for (int v; l >> v;) e.args.push_back(v);
        events.push_back(e);
    }
    return events;
}

// The CPU the file system and the program share: a request then passes
// between them without waking another CPU, which keeps a status read near
// 10 µs instead of 50.
int SharedCpu() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) != 0) return 0;
    int last = 0;
    for (int c = 0; c < CPU_SETSIZE; ++c)
        if (CPU_ISSET(c, &set)) last = c;
    return last;
}

class FuseNode {
public:
    // Mounts the file system at DIR/mnt; `why` says why not.
    bool Mount(const std::string& dir, int cpu, std::string& why) {
        m_mnt = dir + "/mnt";
        fs::create_directories(m_mnt);
        const int fd = open("/dev/fuse", O_RDWR);
        if (fd < 0) {
            why = std::string("/dev/fuse cannot be opened: ") + std::strerror(errno);
            return false;
        }
        close(fd);
        const std::string log = dir + "/fs.log", err = dir + "/fs.err";
        m_pid = fork();
        if (m_pid == 0) {
            cpu_set_t set;
            CPU_ZERO(&set);
            CPU_SET(cpu, &set);
            sched_setaffinity(0, sizeof set, &set);
            const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(e, 2);
            execl(PYRELLE_PPDEV_FS, "ppdev_fs", m_mnt.c_str(), log.c_str(), kPhaseUs, "60",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int k = 0; k < 500; ++k) {
            struct stat st;
            if (stat((m_mnt + "/parport0").c_str(), &st) == 0) return true;
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                why = "the FUSE file system could not be mounted: " + test::ReadFile(err);
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        why = "the FUSE file system did not appear within 5 s";
        return false;
    }
    const std::string& Node() const { return m_mnt; }

    // Unmounts: the file system does so itself on SIGTERM.
    ~FuseNode() {
        if (m_pid <= 0) return;
        kill(m_pid, SIGTERM);
        for (int k = 0; k < 500; ++k) {
            if (waitpid(m_pid, nullptr, WNOHANG) == m_pid) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
        std::system(("umount -l '" + m_mnt + "' 2>/dev/null").c_str());
    }

private:
    std::string m_mnt;
    pid_t m_pid = -1;
};

// A fresh folder for the test with the node mounted in it, or the test skipped.
class ParportFuse : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        dir = fs::current_path().string() + "/test-work/parport_e2e_" + name;
        // A mount left by an interrupted run would stop the folder's removal.
        std::system(("umount -l '" + dir + "/mnt' 2>/dev/null").c_str());
        test::FreshDir("parport_e2e_" + name);
        cpu = SharedCpu();
        std::string why;
        if (!node.Mount(dir, cpu, why)) GTEST_SKIP() << why;
    }
    std::string dir;
    int cpu = 0;
    FuseNode node;
};

TEST_F(ParportFuse, ProgramDrivesTheFurnaceThroughAFakeNode) {
    // In real time, as a user would: start 30 degrees, duty 50 % (the
    // element on for 530 ms of each tick), about nine ticks, Abort, Exit.
    {
        std::ofstream script(dir + "/script.txt");
        script << "type 1028 30\ntype 1070 50\nclick 1029\nwait 9000\nclick 1006\n";
    }
    const std::string cmd =
        "cd '" + dir + "' && QT_QPA_PLATFORM=offscreen timeout 60 taskset -c " + std::to_string(cpu) +
        " '" PYRELLE_BINARY "' --port parport:" + node.Node() +
        "/parport0,heartbeat --script script.txt --trace trace.txt >stdout.txt 2>stderr.txt";
    const int rc = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(rc));
    ASSERT_EQ(WEXITSTATUS(rc), 0) << test::ReadFile(dir + "/stderr.txt");
    // Opened at once: no line about the port, no box.
    const std::string err = test::ReadFile(dir + "/stderr.txt");
    EXPECT_EQ(err.find("pyrelle:"), std::string::npos) << err;
    EXPECT_EQ(err.find("box:"), std::string::npos) << err;

    const std::vector<FsEvent> log = ReadLog(dir + "/fs.log");
    std::vector<std::string> trace;
    {
        std::istringstream in(test::ReadFile(dir + "/trace.txt"));
        for (std::string l; std::getline(in, l);) trace.push_back(l.substr(l.find(' ') + 1));
    }
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace.front(), "OPEN ok");
    EXPECT_EQ(trace.back(), "CLOSE");

    // Every reading is one the display showed, or the failed request's 8888.8.
    std::set<std::pair<int, int> > shown;
    for (const FsEvent& e : log)
        if (e.what == "SHOW") shown.insert({e.args.at(0), e.args.at(1)});
    std::istringstream runLog(test::ReadFile(dir + "/Tdata1.txt"));
    int ticks = 0, decoded = 0, first = -1, last = -1;
    std::string line;
    std::getline(runLog, line);  // the count
    std::getline(runLog, line);  // empty
    for (int main, aux; runLog >> main >> aux;) {
        ++ticks;
        if (main == 88888 && aux == 88888) continue;
        ++decoded;
        EXPECT_TRUE(shown.count({main, aux})) << main << " " << aux;
        if (first < 0) first = main;
        last = main;
    }
    EXPECT_GE(ticks, 7);
    EXPECT_GE(decoded * kReadShare, ticks) << decoded << " of " << ticks << " ticks read\n"
                                           << test::ReadFile(dir + "/trace.txt");

    // The data register: 0 at the open, then the program's levels on pin 2
    // with pin 3 toggling at every write, then 0 when the port is let go.
    std::vector<int> programLevels;
    for (const std::string& t : trace)
        if (t.starts_with("WRITE ")) programLevels.push_back(t[6] - '0');
    std::vector<std::pair<double, int> > writes;
    std::vector<std::string> order;
    for (const FsEvent& e : log) {
        if (e.what == "W") writes.push_back({e.ms, e.args.at(0)});
        if (e.what != "SHOW") order.push_back(e.what);
    }
    ASSERT_EQ(writes.size(), programLevels.size() + 2);
    EXPECT_EQ(writes.front().second, 0);
    for (std::size_t k = 0; k < programLevels.size(); ++k) {
        EXPECT_EQ(writes[k + 1].second & 1, programLevels[k]) << k;
        EXPECT_EQ(writes[k + 1].second >> 1, static_cast<int>(k % 2 == 0)) << k;
    }
    EXPECT_EQ(writes.back().second, 0);
    ASSERT_GE(order.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(order.end() - 3, order.end()),
              (std::vector<std::string>{"W", "RELEASE", "CLOSE"}));

    // Over time: the element heats during the run, each time for no longer
    // than the 530 ms pulse (less the time the tick spent reading).
    double onMs = 0;
    for (std::size_t k = 1; k < writes.size(); ++k) {
        if (!(writes[k - 1].second & 1)) continue;
        const double span = writes[k].first - writes[k - 1].first;
        EXPECT_LE(span, 530 + 60) << "write " << k;
        onMs += span;
    }
    EXPECT_GT(onMs, 300);
    // The furnace, sixty times faster, has warmed by a few degrees.
    EXPECT_GE(last - first, kWarming) << first << " to " << last;
}

// SIGTERM in the middle of a run: the element is written off, then the port
// released and closed, before the program ends.
TEST_F(ParportFuse, ASignalMidRunLeavesTheElementOff) {
    std::ofstream(dir + "/script.txt") << "type 1070 50\nclick 1029\nwait 60000\n";
    const std::string cmd = "cd '" + dir + "' && XDG_STATE_HOME='" + dir +
                            ".state' QT_QPA_PLATFORM=offscreen exec taskset -c " + std::to_string(cpu) +
                            " '" + PYRELLE_BINARY "' --port parport:" + node.Node() +
                            "/parport0 --script script.txt --trace trace.txt >stdout.txt 2>stderr.txt";
    const pid_t pid = fork();
    if (pid == 0) {
        execl("/bin/sh", "sh", "-c", cmd.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(4500));  // some ticks, some of them heating
    kill(pid, SIGTERM);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + SIGTERM) << status;

    std::vector<std::string> trace;
    std::istringstream in(test::ReadFile(dir + "/trace.txt"));
    for (std::string l; std::getline(in, l);) trace.push_back(l.substr(l.find(' ') + 1));
    ASSERT_GE(trace.size(), 3u);
    EXPECT_EQ(trace[trace.size() - 2], "WRITE 0");
    EXPECT_EQ(trace.back(), "CLOSE");
    EXPECT_NE(std::count(trace.begin(), trace.end(), "WRITE 1"), 0) << "it heated before";
    std::vector<std::string> order;
    int lastLevel = -1;
    for (const FsEvent& e : ReadLog(dir + "/fs.log")) {
        if (e.what == "SHOW") continue;
        order.push_back(e.what);
        if (e.what == "W") lastLevel = e.args.at(0);
    }
    EXPECT_EQ(lastLevel & 1, 0) << "the element was left on";
    ASSERT_GE(order.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(order.end() - 3, order.end()),
              (std::vector<std::string>{"W", "RELEASE", "CLOSE"}));
}

#endif

}  // namespace
