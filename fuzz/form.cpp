// Fuzz target: the main window and the calibration dialog under any typing,
// any command and time passing. The input is read as lines of actions:
//
//   t<ID> <TEXT>   type TEXT into the main window's edit ID (another number
//                  picks an edit by its remainder)
//   c<ID>          click 1005, 1006, 1011, 1014, 1029 or 1051 (likewise)
//   d...           after c1051, the calibration dialog's user, one line each:
//                  dt<ID> <TEXT> (1019 or 1020), ds (Set), dw<MS>, de (Enter),
//                  dx (Exit)
//   e / x          key Enter / Exit in the main window
//   a              the About box
//   w<MS>          let MS milliseconds pass
//   s<MAIN> <AUX>  the instrument shows these readings (tenths)
//
// Each input opens a fresh main window in a private folder and ends with Exit.
// Checked throughout: the tick count and program time stay in range and in
// step; timers are delivered in time order and a run's ticks come exactly a
// second apart; the element is at level 0 whenever nothing controls it (after
// Abort, Halt, Exit and the end of a run); the run log's count line matches
// its sample lines and the history.
#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "app/pyrelle_dlg.h"
#include "automation/testing.h"
#include "control/duty.h"
#include "hardware/panel_signal.h"
#include "leaks.h"
#include "platform/clock.h"
#include "records/calibration_dlg.h"
#include "support/fake_port.h"
#include "support/port.h"

namespace {

constexpr int kMainEdits[] = {IDC_SPARE,        IDC_SEG1_TEMP,  IDC_SEG1_TIME, IDC_SEG2_TEMP, IDC_SEG2_TIME,
                              IDC_SEG3_TEMP,    IDC_SEG3_TIME,  IDC_SEG4_TEMP, IDC_SEG4_TIME, IDC_START_TEMP,
                              IDC_PULSE_DUTY,   IDC_TIME_MAX,   IDC_TIME_MIN,  IDC_TEMP_MIN,  IDC_TEMP_MAX,
                              IDC_DUTY_PERCENT, IDC_FILE_NUMBER};
constexpr int kButtons[] = {IDC_REDRAW, IDC_ABORT, IDC_HALT, IDC_MEASURE, IDC_RUN_PC_MODE, IDC_CALIBRATE};
constexpr int kCalEdits[] = {IDC_CAL_SCALE, IDC_CAL_OFFSET};

// Clock time one input may let pass: half an hour, enough for short programs
// to run to their end while an input stays well under a second.
constexpr std::int64_t kMaxWaitMs = 30LL * 60 * 1000;
constexpr std::int64_t kTickMs = 1000;

[[noreturn]] void Broken(const std::string& what) {
    std::fprintf(stderr, "form invariant broken at %lld ms: %s\n", static_cast<long long>(platform::NowMs()),
                 what.c_str());
    std::abort();
}

// The instrument shows the chosen readings; the element output keeps the
// last level written. Requests must come in time order.
class Device : public test::FakePort {
public:
    Device() {
        Show(200, 200);
        onRequest = [this] {
            const std::int64_t now = platform::NowMs();
            if (now < m_lastMs) Broken("a device request went back in time");
            m_lastMs = now;
        };
    }

private:
    std::int64_t m_lastMs = -1;
};

// The main window, watched at every timer and command it receives, however
// the command came (a click, or Enter on a focused button).
class Dlg : public CPyrelleDlg {
public:
    explicit Dlg(Device* dev) : m_dev(dev) {}

    // Whatever the program does, nothing may leave the element on unwatched.
    void CheckElement(const std::string& after) {
        CheckState();
        if (m_dev->Level() != 0 && !Controlling())
            Broken("the element is on with nothing controlling it, after " + after);
    }
    void CheckOff(const std::string& after) {
        if (m_dev->Level() != 0) Broken("the element is on after " + after);
        CheckElement(after);
    }
    // Exit in the end: the window's own IDCANCEL.
    void Ended() {
        m_tickArmed = false;
        CheckOff("the window closed");
    }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_TIMER) return OnTimerSeen(wParam, lParam);
        if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED)
            return CPyrelleDlg::WindowProc(message, wParam, lParam);
        const int id = LOWORD(wParam);
        const std::size_t boxes = platform::testing::Boxes().size();
        LRESULT r = CPyrelleDlg::WindowProc(message, wParam, lParam);
        // A form that fails its check starts nothing: its message says so.
        if (id == IDC_RUN_PC_MODE && !CheckFailed(boxes)) Armed(true);
        const std::string what = "command " + std::to_string(id);
        if (id == IDC_ABORT) {
            Armed(false);
            CheckOff(what);
            CheckRunLog(boxes);
        } else if (id == IDC_HALT) {
            CheckOff(what);
        } else if ((id == IDOK || id == IDCANCEL) && IsEnded()) {
            Armed(false);
            CheckOff(what);
        } else {
            CheckElement(what);
        }
        return r;
    }

private:
    void Armed(bool armed) {
        m_tickArmed = armed;
        m_lastTickMs = platform::NowMs();
    }

    // The tick timer is armed when the user started it and it has not missed
    // a second since (the program kills it itself at the end of a run).
    bool Controlling() const {
        return m_nRunState == kRunRunning && m_tickArmed && platform::NowMs() - m_lastTickMs <= kTickMs;
    }

    void CheckState() {
        if (m_nTickCount < 0 || m_nTickCount > kHistorySize)
            Broken("tick count " + std::to_string(m_nTickCount) + " outside 0.." +
                   std::to_string(kHistorySize));
        if (m_nElapsedSeconds != control::ProgramTime(m_nTickCount))
            Broken("program time " + std::to_string(m_nElapsedSeconds) + " at tick " +
                   std::to_string(m_nTickCount));
    }

    LRESULT OnTimerSeen(WPARAM id, LPARAM lParam) {
        const std::int64_t now = platform::NowMs();
        if (now < m_lastTimerMs) Broken("a timer fired out of order");
        m_lastTimerMs = now;
        if (id == kTickTimerId) {
            if (!m_tickArmed) Broken("a tick after the tick timer was stopped");
            if (now != m_lastTickMs + kTickMs)
                Broken("a tick " + std::to_string(now - m_lastTickMs) + " ms after the one before");
            m_lastTickMs = now;
        }
        LRESULT r = CPyrelleDlg::WindowProc(WM_TIMER, id, lParam);
        CheckElement(id == kTickTimerId ? "a tick" : "a timer");
        return r;
    }

    // Whether a box since `boxesBefore` is the form's check failing.
    static bool CheckFailed(std::size_t boxesBefore) {
        const auto& boxes = platform::testing::Boxes();
        for (std::size_t i = boxesBefore; i < boxes.size(); ++i)
            if (boxes[i].rfind("Please enter", 0) == 0) return true;
        return false;
    }

    // The log Abort wrote, unless a message said it was not saved.
    void CheckRunLog(std::size_t boxesBefore) {
        const auto& boxes = platform::testing::Boxes();
        for (std::size_t i = boxesBefore; i < boxes.size(); ++i)
            if (boxes[i].find("was not saved") != std::string::npos) return;
        const std::string name = m_strLogName.str();
        std::ifstream in(name, std::ios::binary);
        if (!in) Broken("no run log " + name + " and no message about it");
        std::stringstream ss;
        ss << in.rdbuf();
        const std::string text = ss.str();
        in.close();
        std::filesystem::remove(name);

        const int count = std::clamp(m_nTickCount, 0, kHistorySize);
        const std::string head = std::to_string(count) + "\r\n\r\n";
        if (text.compare(0, head.size(), head) != 0)
            Broken("run log count line, want " + std::to_string(count));
        std::size_t at = head.size();
        for (int i = 0; i < count; ++i) {
            const std::string line =
                std::to_string(m_aHistory[i].nMain) + " " + std::to_string(m_aHistory[i].nAux) + "\r\n";
            if (text.compare(at, line.size(), line) != 0) Broken("run log line " + std::to_string(i + 3));
            at += line.size();
        }
        if (at != text.size()) Broken("run log has more lines than its count");
    }

    Device* m_dev;
    std::int64_t m_lastTimerMs = -1;
    std::int64_t m_lastTickMs = -1;  // the last tick, or Run's click
    bool m_tickArmed = false;        // as far as the commands tell
};

// The number at the start of `s` (digits only), and the rest after one space.
std::int64_t Number(std::string_view& s) {
    std::int64_t v = 0;
    std::size_t i = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
        v = std::min<std::int64_t>(v * 10 + (s[i] - '0'), 1LL << 40);
    s.remove_prefix(i);
    if (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    return v;
}

template <std::size_t N>
int Pick(const int (&ids)[N], std::int64_t n) {
    for (int id : ids)
        if (id == n) return id;
    return ids[n % static_cast<std::int64_t>(N)];
}

// A file number that keeps the log inside the private folder.
std::string HarmlessFileNumber(std::string_view text) {
    std::string out(text.substr(0, 12));
    for (char& c : out)
        if (c == '/' || c == '\0') c = '_';
    return out;
}

std::filesystem::path g_base, g_home;

std::int64_t g_waited = 0;

// Clock time left to this input, at most `ms`.
std::int64_t Budget(std::int64_t ms) {
    ms = std::clamp<std::int64_t>(ms, 0, kMaxWaitMs - g_waited);
    g_waited += ms;
    return ms;
}

void User(const std::string& lines) {
    platform::testing::PushUser(lines);
    platform::testing::RunUser();
    // Script lines that found no control are the harness's, not the program's.
    platform::testing::ClearUser();
}

// The calibration dialog's user: the d-lines from `n` on.
std::string CalibrationUser(const std::vector<std::string_view>& lines, std::size_t& n) {
    std::string user;
    while (n + 1 < lines.size() && lines[n + 1].starts_with('d')) {
        std::string_view d = lines[++n].substr(1);
        const char sub = d.empty() ? ' ' : d.front();
        if (!d.empty()) d.remove_prefix(1);
        if (sub == 't') {
            const int id = Pick(kCalEdits, Number(d));
            user += "type " + std::to_string(id) + " " + std::string(d) + "\n";
        } else if (sub == 's') {
            user += "click 1055\n";
        } else if (sub == 'w') {
            user += "wait " + std::to_string(Budget(Number(d))) + "\n";
        } else if (sub == 'e') {
            user += "key enter\n";
        } else if (sub == 'x') {
            user += "click 2\n";
            break;
        }
    }
    return user;
}

void Run(std::string_view input) {
    std::vector<std::string_view> lines;
    while (!input.empty()) {
        std::size_t nl = input.find('\n');
        lines.push_back(input.substr(0, nl));
        if (nl == std::string_view::npos) break;
        input.remove_prefix(nl + 1);
    }

    // Abort writes its log in the current folder: a private one for each input.
    std::string folder = (g_base / "pyrelle-fuzz-form.XXXXXX").string();
    if (!mkdtemp(folder.data())) {
        std::perror("private folder");
        std::abort();
    }
    std::filesystem::current_path(folder);
    // Run journals too, so that nothing of one input reaches the next.
    setenv("XDG_STATE_HOME", (folder + "/state").c_str(), 1);
    g_waited = 0;
    g_dCalScale = 0.0;
    g_nCalOffset = 0;
    platform::testing::ClearUser();
    platform::testing::ClearBoxes();
    platform::testing::ClearModalHistory();

    auto device = std::make_unique<Device>();
    Device* dev = device.get();
    test::InstallPort(std::move(device));
    auto dlg = std::make_unique<Dlg>(dev);
    AfxGetApp()->m_pMainWnd = dlg.get();
    dlg->Create(IDD_PYRELLE_DIALOG);
    dlg->CheckOff("start-up");

    for (std::size_t n = 0; n < lines.size() && !dlg->IsEnded(); ++n) {
        std::string_view l = lines[n];
        if (l.empty()) continue;
        const char op = l.front();
        l.remove_prefix(1);
        switch (op) {
            case 't': {
                const int id = Pick(kMainEdits, Number(l));
                const std::string text = id == IDC_FILE_NUMBER ? HarmlessFileNumber(l) : std::string(l);
                dlg->GetDlgItem(id)->SetWindowText(text.c_str());
                break;
            }
            case 'c': {
                const int id = Pick(kButtons, Number(l));
                // The calibration dialog is modal: its user is queued with the click.
                const std::string user = id == IDC_CALIBRATE ? CalibrationUser(lines, n) : "";
                User("click " + std::to_string(id) + "\n" + user);
                break;
            }
            case 'e':
                User("key enter\n");
                break;
            case 'x':
                User("key esc\n");
                break;
            case 'a':
                User("syscommand 16\n");
                dlg->CheckElement("the About box");
                break;
            case 'w':
                platform::AdvanceClock(Budget(Number(l)));
                dlg->CheckElement("time passing");
                break;
            case 's': {
                const int main = static_cast<int>(Number(l) % 100000);
                dev->Show(main, static_cast<int>(Number(l) % 100000));
                break;
            }
            default:
                break;
        }
    }
    if (!dlg->IsEnded()) User("key esc\n");
    if (!dlg->IsEnded()) Broken("Exit did not close the window");
    dlg->Ended();
    AfxGetApp()->m_pMainWnd = nullptr;
    dlg.reset();
    test::InstallPort(nullptr);

    // Whatever a save left behind goes.
    std::filesystem::current_path(g_home);
    std::filesystem::remove_all(folder);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    platform::testing::Init(*argc, *argv);
    // Each input's folder lies in memory where there is such; the fuzzer's
    // own paths stay relative to where it started.
    g_base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
    g_home = std::filesystem::current_path();
    // Fonts and the window system's caches are made on first use and kept:
    // made here, they are not taken for a leak of the first input.
    Run("c1029\nw2000\nc1051\ndx\nc1006\n");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Run(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
