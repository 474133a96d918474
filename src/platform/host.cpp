// Start-up, the modal loops and the user's side: the window system's events,
// or a script (--script) that plays the user on the virtual clock.
#include "platform/host.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QThread>
#include <QTimer>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "platform/clock.h"
#include "platform/internal.h"
#include "platform/testing.h"
#include "platform/trace.h"
#include "platform/winsvc.h"
#include "program_info.h"

namespace platform {
namespace {

// Qt wants a private runtime folder and complains on standard error where the
// session has none; standard error belongs to the program's own lines.
void EnsureRuntimeDir() {
    if (qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")) return;
    std::string dir = "/tmp/runtime-" + std::to_string(getuid());
    mkdir(dir.c_str(), 0700);
    chmod(dir.c_str(), 0700);
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(dir));
}

// Qt takes the user's locale; numbers in the form, the status line and the
// run log are written and read with a decimal point all the same.
void UseCNumbers() {
    std::setlocale(LC_NUMERIC, "C");
}

// A wait longer than a week of clock time is taken for a typing error.
constexpr long long kMaxWaitMs = 7LL * 24 * 3600 * 1000;

struct ScriptLine {
    int number = 0;
    std::string command;
    long long value = 0;  // control id, milliseconds or command id
    std::string text;     // TEXT, key name or FILE
};

struct UserSide {
    std::deque<ScriptLine> pending;
    std::vector<HWND> modal;  // open modal windows, innermost last
    std::vector<std::string> failures;
    std::vector<std::string> boxes;
    std::vector<UINT> modalHistory;
    int exitCode = 0;
    bool scriptEnded = false;  // the user has nothing more to do
};

UserSide& U() {
    static UserSide u;
    return u;
}

bool ParseNumber(const std::string& s, long long& v) {
    if (s.empty()) return false;
    std::size_t i = (s[0] == '-' || s[0] == '+') ? 1 : 0;
    if (i == s.size()) return false;
    for (std::size_t k = i; k < s.size(); ++k)
        if (s[k] < '0' || s[k] > '9') return false;
    errno = 0;
    v = std::strtoll(s.c_str(), nullptr, 10);
    return errno != ERANGE;
}

// Control ids of every window the program can open.
const std::set<long long>& KnownControlIds() {
    static const std::set<long long> ids = [] {
        std::set<long long> s{IDOK, IDCANCEL, 0xFFFF};
        for (UINT t : {100u, 102u, 130u})
            if (const DialogTemplate* d = FindDialogTemplate(t))
                for (int i = 0; i < d->count; ++i)
                    if (d->controls[i].id != IDC_STATIC) s.insert(d->controls[i].id);
        return s;
    }();
    return ids;
}

// Parses a whole script; on a fault returns false with `error` naming the line.
bool ParseScript(const std::string& text, std::vector<ScriptLine>& out, std::string& error) {
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        ScriptLine sl;
        sl.number = number;
        std::size_t sp = line.find(' ', first);
        sl.command = line.substr(first, sp == std::string::npos ? std::string::npos : sp - first);
        std::string rest = sp == std::string::npos ? "" : line.substr(sp + 1);
        auto fail = [&](const std::string& why) {
            error = "line " + std::to_string(number) + ": " + why;
            return false;
        };
        const std::string& c = sl.command;
        if (c == "type" || c == "expect" || c == "click" || c == "syscommand" || c == "wait") {
            std::size_t sp2 = rest.find(' ');
            std::string num = rest.substr(0, sp2);
            sl.text = sp2 == std::string::npos ? "" : rest.substr(sp2 + 1);
            if (!ParseNumber(num, sl.value)) return fail("'" + c + "' needs a number, not '" + num + "'");
            if ((c == "click" || c == "syscommand" || c == "wait") && !sl.text.empty())
                return fail("'" + c + "' takes one number");
            if (c == "wait" && (sl.value < 0 || sl.value > kMaxWaitMs))
                return fail("wait takes 0 to " + std::to_string(kMaxWaitMs) + " milliseconds");
            if (c == "syscommand" && (sl.value < 0 || sl.value > 0xFFFF))
                return fail("syscommand takes a command id from 0 to 65535");
            if ((c == "type" || c == "expect" || c == "click") && !KnownControlIds().count(sl.value))
                return fail("no window of the program has a control " + num);
        } else if (c == "key") {
            if (rest != "enter" && rest != "esc") return fail("key takes 'enter' or 'esc'");
            sl.text = rest;
        } else if (c == "minimize" || c == "restore") {
            if (!rest.empty()) return fail("'" + c + "' takes nothing");
        } else if (c == "screenshot") {
            if (rest.empty()) return fail("screenshot needs a file name");
            sl.text = rest;
        } else {
            return fail("unknown command '" + c + "'");
        }
        out.push_back(sl);
    }
    return true;
}

HWND MainHwnd() {
    CWinApp* app = AfxGetApp();
    return app && app->m_pMainWnd ? app->m_pMainWnd->m_hWnd : nullptr;
}

void Fail(const ScriptLine& l, int code, const std::string& what) {
    std::string msg = "script line " + std::to_string(l.number) + ": " + what;
    std::fprintf(stderr, "%s\n", msg.c_str());
    U().failures.push_back(msg);
    if (U().exitCode == 0) U().exitCode = code;
    // The rest of the script is dropped; the windows close as at its end.
    U().pending.clear();
    if (TheSession().scripted) U().scriptEnded = true;
}

void WaitFor(long long ms) {
    std::int64_t target = NowMs() + ms;
    if (TheSession().mode == Mode::Gui) {
        while (NowMs() < target) {
            QApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::msleep(1);
        }
    }
    ClockAdvanceTo(target);
}

void Execute(const ScriptLine& l) {
    HWND active = ActiveDialog();
    const std::string& c = l.command;
    auto control = [&]() -> HWND {
        HWND h = FindChild(active, static_cast<int>(l.value));
        if (!h) Fail(l, 2, "the active window has no control " + std::to_string(l.value));
        return h;
    };
    if (c == "type") {
        if (HWND h = control()) {
            SetFocusTo(h);
            SetText(h, l.text);
        }
    } else if (c == "click") {
        if (HWND h = control()) {
            if (h->cls == ControlClass::Button && (h->style & 0xF) != BS_GROUPBOX) SetFocusTo(h);
            SendTo(active, WM_COMMAND, MAKEWPARAM(h->id, BN_CLICKED), 0);
        }
    } else if (c == "key") {
        if (!active) return;
        if (l.text == "enter")
            PressEnterIn(active);
        else
            SendTo(active, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    } else if (c == "syscommand") {
        SendTo(MainHwnd(), WM_SYSCOMMAND, static_cast<WPARAM>(l.value), 0);
    } else if (c == "wait") {
        WaitFor(l.value);
    } else if (c == "expect") {
        if (HWND h = control()) {
            std::string actual = GetText(h);
            if (actual != l.text) Fail(l, 1, "expected '" + l.text + "', got '" + actual + "'");
        }
    } else if (c == "minimize" || c == "restore") {
        if (HWND m = MainHwnd()) SetIconic(m, c == "minimize");
    } else if (c == "screenshot") {
        CWinApp* app = AfxGetApp();
        if (!app || !app->m_pMainWnd || !testing::Screenshot(app->m_pMainWnd, l.text))
            Fail(l, 2, "cannot write the screenshot " + l.text);
    }
}

// Closes a window the user has left: its default push button, else IDCANCEL.
void CloseByDefault(HWND dialog) {
    int id = IDCANCEL;
    for (auto& ch : dialog->children)
        if (ch->cls == ControlClass::Button && (ch->style & 0xF) == BS_DEFPUSHBUTTON) id = ch->id;
    SendTo(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    if (!dialog->ended) {
        dialog->ended = true;
        dialog->result = IDCANCEL;
    }
}

std::string g_desktopFileName;

QTimer* g_clockTimer = nullptr;
double g_speed = 1.0;

// In the window system the platform clock follows real time: a Qt timer
// wakes the loop when the next window timer is due.
void ArmClockTimer() {
    if (!g_clockTimer) return;
    std::int64_t due = ClockNextDue();
    if (due < 0) {
        g_clockTimer->stop();
        return;
    }
    double delay = static_cast<double>(due - NowMs()) / g_speed;
    g_clockTimer->start(static_cast<int>(std::clamp(delay, 0.0, 1e9)));
}

}  // namespace

HWND ActiveDialog() {
    if (!U().modal.empty()) return U().modal.back();
    return MainHwnd();
}

INT_PTR RunModalLoop(HWND dialog) {
    auto& u = U();
    u.modal.push_back(dialog);
    u.modalHistory.push_back(dialog->tmpl ? dialog->tmpl->id : 0);
    while (!dialog->ended) {
        if (!u.pending.empty()) {
            ScriptLine l = u.pending.front();
            u.pending.pop_front();
            Execute(l);
            if (u.pending.empty() && TheSession().scripted) u.scriptEnded = true;
            continue;
        }
        if (TheSession().mode == Mode::Gui && !u.scriptEnded) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
            continue;
        }
        CloseByDefault(dialog);
    }
    u.modal.pop_back();
    return dialog->result;
}

namespace testing {

void Init(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    EnsureRuntimeDir();
    static int s_argc = argc;
    new QApplication(s_argc, argv);  // lives until the process ends
    UseCNumbers();
    TheSession().mode = Mode::Test;
}

void PushUser(const std::string& lines) {
    std::vector<ScriptLine> parsed;
    std::string error;
    if (!ParseScript(lines, parsed, error)) {
        U().failures.push_back("bad user script: " + error);
        return;
    }
    for (auto& l : parsed) U().pending.push_back(l);
}

bool ParseScript(const std::string& text, std::string& error) {
    std::vector<ScriptLine> parsed;
    return platform::ParseScript(text, parsed, error);
}

void RunUser() {
    while (!U().pending.empty()) {
        ScriptLine l = U().pending.front();
        U().pending.pop_front();
        Execute(l);
    }
}

void ClearUser() {
    U().pending.clear();
    U().failures.clear();
}

const std::vector<std::string>& Failures() {
    return U().failures;
}
const std::vector<std::string>& Boxes() {
    return U().boxes;
}
void ClearBoxes() {
    U().boxes.clear();
}
void RecordBox(const std::string& text) {
    U().boxes.push_back(text);
}
const std::vector<UINT>& ModalHistory() {
    return U().modalHistory;
}
void ClearModalHistory() {
    U().modalHistory.clear();
}

CWnd* ActiveWindow() {
    HWND h = ActiveDialog();
    return h ? h->owner : nullptr;
}

bool Screenshot(CWnd* dialog, const std::string& path) {
    if (!dialog || !dialog->m_hWnd || !dialog->m_hWnd->widget) return false;
    QWidget* w = dialog->m_hWnd->widget;
    QImage image(w->size(), QImage::Format_RGB32);
    w->render(&image);
    return image.save(QString::fromLocal8Bit(path.c_str()), "PNG");
}

}  // namespace testing

namespace {

const char* kUsage =
    "usage: pyrelle [options]\n"
    "  --headless          run without a display, on the virtual clock\n"
    "  --script FILE       play the user from FILE, one command a line:\n"
    "                        type ID TEXT | click ID | key enter|esc | syscommand ID\n"
    "                        wait MS | expect ID TEXT | minimize | restore | screenshot FILE\n"
    "  --trace FILE        write the port driver's events to FILE\n"
    "  --speed FACTOR      run the clock FACTOR times faster than real time\n"
    "  --seed N            seed of the simulated instrument's noise (default 1)\n"
    "  --driver-service S  starting state of the port driver's service: ";

void Usage(std::FILE* out, const char* portHelp) {
    std::fprintf(out,
                 "%s%s\n%s\n  --help              this text\n  --version           the program's version\n",
                 kUsage, ServiceStatesHelp(), portHelp);
}

}  // namespace

void SetDesktopFileName(const std::string& id) {
    g_desktopFileName = id;
}

int AfxWinMain(int argc, char** argv, const PortFactory& makePort, const char* portHelp) {
    bool headless = false;
    std::string scriptPath, tracePath, port = "sim", service = "running";
    double speed = 1.0;
    std::uint64_t seed = 1;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](std::string& v) {
            if (i + 1 >= argc) return false;
            v = argv[++i];
            return true;
        };
        std::string v;
        if (a == "--help") {
            Usage(stdout, portHelp);
            return 0;
        } else if (a == "--version") {
            std::printf("pyrelle %s\n", PYRELLE_VERSION);
            return 0;
        } else if (a == "--headless") {
            headless = true;
        } else if (a == "--script" && value(v)) {
            scriptPath = v;
        } else if (a == "--trace" && value(v)) {
            tracePath = v;
        } else if (a == "--port" && value(v)) {
            port = v;
        } else if (a == "--driver-service" && value(v)) {
            service = v;
        } else if (a == "--speed" && value(v)) {
            char* end = nullptr;
            speed = std::strtod(v.c_str(), &end);
            if (end == v.c_str() || *end || !(speed > 0) || !std::isfinite(speed)) {
                std::fprintf(stderr, "pyrelle: --speed needs a positive number, not '%s'\n", v.c_str());
                Usage(stderr, portHelp);
                return 2;
            }
        } else if (a == "--seed" && value(v)) {
            long long n = 0;
            if (!ParseNumber(v, n) || n < 0) {
                std::fprintf(stderr, "pyrelle: --seed needs a number from 0 up, not '%s'\n", v.c_str());
                Usage(stderr, portHelp);
                return 2;
            }
            seed = static_cast<std::uint64_t>(n);
        } else {
            std::fprintf(stderr, "pyrelle: unknown or incomplete option '%s'\n", a.c_str());
            Usage(stderr, portHelp);
            return 2;
        }
    }
    if (!ConfigureServices(service)) {
        std::fprintf(stderr, "pyrelle: unknown --driver-service state '%s' (one of: %s)\n", service.c_str(),
                     ServiceStatesHelp());
        return 2;
    }

    std::vector<ScriptLine> script;
    if (!scriptPath.empty()) {
        std::ifstream f(scriptPath, std::ios::binary);
        if (!f) {
            std::fprintf(stderr, "pyrelle: cannot read the script %s\n", scriptPath.c_str());
            return 2;
        }
        std::stringstream ss;
        ss << f.rdbuf();
        std::string error;
        if (!ParseScript(ss.str(), script, error)) {
            std::fprintf(stderr, "pyrelle: %s: %s\n", scriptPath.c_str(), error.c_str());
            return 2;
        }
    }

    std::string error;
    if (!makePort(port, seed, error)) {
        std::fprintf(stderr, "pyrelle: %s\n", error.c_str());
        return 2;
    }

    if (headless) qputenv("QT_QPA_PLATFORM", "offscreen");
    EnsureRuntimeDir();
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QString::fromStdString(g_desktopFileName));
    UseCNumbers();
    Session& s = TheSession();
    s.mode = headless ? Mode::Headless : Mode::Gui;
    s.scripted = !scriptPath.empty();
    s.echoBoxes = headless || s.scripted;
    if (!headless) {
        g_speed = speed;
        ClockUseRealTime(speed);
        g_clockTimer = new QTimer(&app);
        g_clockTimer->setSingleShot(true);
        g_clockTimer->setTimerType(Qt::PreciseTimer);
        QObject::connect(g_clockTimer, &QTimer::timeout, [] { ClockAdvanceTo(NowMs()); });
        ClockOnTimersChanged(&ArmClockTimer);
    }
    TraceOpen(tracePath);
    for (auto& l : script) U().pending.push_back(l);
    if (s.scripted && script.empty()) U().scriptEnded = true;

    if (CWinApp* theApp = AfxGetApp()) theApp->InitInstance();

    ClockOnTimersChanged(nullptr);
    g_clockTimer = nullptr;
    TraceOpen("");
    return U().exitCode;
}

}  // namespace platform
