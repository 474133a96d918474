// Every end the program can see switches the element off first: a signal
// asking it to end, the window destroyed by another program, the display
// connection lost. And the trace never holds control up or ends it.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "support/fixture.h"

namespace {

using namespace std::chrono_literals;

struct Child {
    pid_t pid = -1;
    std::string dir;
};

// Starts the program in `dir` in real time (no --headless) with `args`, its
// output in out.txt and err.txt, the trace in trace.txt.
Child Start(const std::string& dir, const std::string& args, const std::string& display = "") {
    std::ofstream(dir + "/run.txt") << "click 1029\nwait 100000000\n";
    Child c{-1, dir};
    c.pid = fork();
    if (c.pid == 0) {
        if (chdir(dir.c_str()) != 0) _exit(127);
        setenv("XDG_STATE_HOME", (dir + ".state").c_str(), 1);
        if (display.empty())
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        else
            setenv("DISPLAY", display.c_str(), 1), unsetenv("QT_QPA_PLATFORM");
        const std::string cmd = "exec '" PYRELLE_BINARY "' --speed 50 --script run.txt --trace trace.txt " +
                                args + " >out.txt 2>err.txt";
        execl("/bin/sh", "sh", "-c", cmd.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return c;
}

// Waits until the run has read `samples` times, at most 20 s.
bool Running(const Child& c, int samples) {
    for (auto end = std::chrono::steady_clock::now() + 20s; std::chrono::steady_clock::now() < end;) {
        const std::string trace = test::ReadFile(c.dir + "/trace.txt");
        int n = 0;
        for (std::size_t at = 0; (at = trace.find("SAMPLE", at)) != std::string::npos; ++at) ++n;
        if (n >= samples) return true;
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

int Status(const Child& c) {
    int status = 0;
    for (auto end = std::chrono::steady_clock::now() + 20s; std::chrono::steady_clock::now() < end;) {
        if (waitpid(c.pid, &status, WNOHANG) == c.pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::this_thread::sleep_for(20ms);
    }
    kill(c.pid, SIGKILL);
    waitpid(c.pid, &status, 0);
    return -2;  // it did not end
}

// The trace ends with the element off, then the device closed, and the run's
// samples were saved and told.
void ExpectLetGo(const Child& c, const char* what) {
    const auto lines = test::RunResult{0, "", "", test::ReadFile(c.dir + "/trace.txt")}.TraceLines();
    ASSERT_GE(lines.size(), 2u) << what;
    EXPECT_NE(lines[lines.size() - 2].find(" WRITE 0"), std::string::npos)
        << what << ": " << lines[lines.size() - 2];
    EXPECT_NE(lines.back().find(" CLOSE"), std::string::npos) << what << ": " << lines.back();
    const std::string err = test::ReadFile(c.dir + "/err.txt");
    EXPECT_NE(err.find("samples were not saved by Abort. They are saved in"), std::string::npos)
        << what << ": " << err;
}

TEST(ExitPaths, ASignalAskingTheProgramToEndSwitchesTheElementOffFirst) {
    for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGQUIT}) {
        const Child c = Start(test::FreshDir("exit-signal-" + std::to_string(sig)), "");
        ASSERT_TRUE(Running(c, 20)) << sig;
        kill(c.pid, sig);
        EXPECT_EQ(Status(c), 128 + sig);
        ExpectLetGo(c, strsignal(sig));
    }
}

// An X server of the test's own, and xdotool, where the machine has them.
class X11Test : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::system("command -v Xvfb >/dev/null && command -v xdotool >/dev/null") != 0)
            GTEST_SKIP() << "needs Xvfb and xdotool (scripts/deps.sh installs them)";
        // A display number nobody holds; the server is up when its socket is.
        for (int n = 90; n < 130 && display.empty(); ++n) {
            const std::string number = std::to_string(n);
            if (access(std::string("/tmp/.X").append(number).append("-lock").c_str(), F_OK) == 0) continue;
            const std::string name = std::string(":").append(number);
            m_server = fork();
            if (m_server == 0) {
                const int null = open("/dev/null", O_WRONLY);
                dup2(null, 1), dup2(null, 2);
                execlp("Xvfb", "Xvfb", name.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                       static_cast<char*>(nullptr));
                _exit(127);
            }
            const std::string socket = std::string("/tmp/.X11-unix/X").append(number);
            for (int k = 0; k < 100 && display.empty(); ++k) {
                std::this_thread::sleep_for(50ms);
                if (access(socket.c_str(), F_OK) == 0) display = name;
                if (waitpid(m_server, nullptr, WNOHANG) == m_server) break;  // it gave up
            }
            if (display.empty()) {
                kill(m_server, SIGKILL);
                waitpid(m_server, nullptr, 0);
                m_server = -1;
            }
        }
        if (display.empty()) GTEST_SKIP() << "no Xvfb display could be started here";
    }
    void TearDown() override {
        if (m_server > 0) {
            kill(m_server, SIGTERM);
            waitpid(m_server, nullptr, 0);
        }
    }
    // The program's window on the display.
    std::string Window() const {
        const std::string cmd =
            "DISPLAY=" + display + " xdotool search --onlyvisible --name '^Pyrelle$' | head -1";
        std::string id;
        if (FILE* p = popen(cmd.c_str(), "r")) {
            char buf[64] = {};
            if (fgets(buf, sizeof buf, p)) id = buf;
            pclose(p);
        }
        return id.substr(0, id.find('\n'));
    }
    std::string display;

private:
    pid_t m_server = -1;
};

TEST_F(X11Test, TheWindowDestroyedOrTheDisplayLostEndsAsExit) {
    struct Case {
        const char* how;
        int status;
    } cases[] = {{"windowclose", 0}, {"windowkill", 1}};
    for (const Case& k : cases) {
        const Child c = Start(test::FreshDir(std::string("exit-") + k.how), "", display);
        ASSERT_TRUE(Running(c, 20)) << k.how;
        const std::string id = Window();
        ASSERT_FALSE(id.empty()) << k.how;
        ASSERT_EQ(std::system(("DISPLAY=" + display + " xdotool " + k.how + " " + id).c_str()), 0);
        EXPECT_EQ(Status(c), k.status) << k.how;
        ExpectLetGo(c, k.how);
    }
}

// A trace whose reader stalls drops lines and says so; one whose reader goes
// away is given up; neither holds up nor ends the run. Nobody reading is
// refused before anything starts, as is a trace that cannot be written.
TEST(ExitPaths, TheTraceNeverHoldsUpOrEndsControl) {
    for (bool readerExits : {false, true}) {
        const std::string dir = test::FreshDir(readerExits ? "trace-gone" : "trace-stalled");
        ASSERT_EQ(mkfifo((dir + "/fifo").c_str(), 0600), 0);
        const int reader = open((dir + "/fifo").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        ASSERT_GE(reader, 0);
        // The reader that goes away takes a few lines first.
        std::thread taker([&] {
            if (!readerExits) return;
            char buf[256];
            for (int got = 0; got < 1000;) {
                const ssize_t n = read(reader, buf, sizeof buf);
                if (n > 0) got += static_cast<int>(n);
                std::this_thread::sleep_for(1ms);
            }
            close(reader);
        });
        const auto start = std::chrono::steady_clock::now();
        const test::RunResult r =
            test::RunPyrelle(dir, "click 1029\nwait 42880000\nclick 1006\n", "--trace fifo");
        const auto took = std::chrono::steady_clock::now() - start;
        taker.join();
        if (!readerExits) close(reader);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_LT(took, 30s);
        EXPECT_NE(r.err.find(readerExits ? "its reader went away" : "its reader did not keep up"),
                  std::string::npos)
            << r.err;
        EXPECT_EQ(test::ReadFile(dir + "/Tdata1.txt").rfind("42870\r\n", 0), 0u) << "the whole run";
    }
    const std::string dir = test::FreshDir("trace-unread");
    ASSERT_EQ(mkfifo((dir + "/fifo").c_str(), 0600), 0);
    test::RunResult r = test::RunPyrelle(dir, "click 2\n", "--trace fifo");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("no program reads that pipe"), std::string::npos) << r.err;
    r = test::RunPyrelle(test::FreshDir("trace-nowhere"), "click 2\n", "--trace /nonexistent/t");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("cannot write the trace '/nonexistent/t'"), std::string::npos) << r.err;
}

}  // namespace
