// The command line, then the platform with the user's side: the window
// system's events, or a script (--script) that plays the user on the
// virtual clock. A signal that asks the program to end ends it as Exit does.
#include "automation/host.h"

#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "automation/script.h"
#include "automation/services.h"
#include "automation/trace.h"
#include "platform/afxwin.h"
#include "platform/clock.h"
#include "platform/qt/qt.h"
#include "program_info.h"
#include "records/user_files.h"

namespace automation {
namespace {

constexpr double kMinSpeed = 0.01, kMaxSpeed = 100000;
constexpr std::size_t kMaxScriptBytes = 16u << 20;

const char* kUsage =
    "usage: pyrelle [options]\n"
    "  --headless          run without a display, on the virtual clock\n"
    "  --script FILE       play the user from FILE, one command a line:\n"
    "                        type ID TEXT | click ID | key enter|esc | syscommand ID\n"
    "                        wait MS | expect ID TEXT | minimize | restore | screenshot FILE\n"
    "  --trace FILE        write the port driver's events to FILE\n"
    "  --speed FACTOR      run the clock FACTOR times faster than real time (0.01 to 100000)\n"
    "  --seed N            seed of the simulated instrument's noise (default 1)\n"
    "  --probe             check the parallel port of --port parport... and the display on it, then exit\n";

void Usage(std::FILE* out, const char* portHelp, const std::vector<Option>& options) {
    std::fputs(kUsage, out);
    for (const Option& o : options) std::fputs(o.help, out);
    std::fprintf(out, "  --driver-service S  starting state of the port driver's service: %s\n%s\n",
                 ServiceStatesHelp(), portHelp);
    std::fputs("  --help              this text\n  --version           the program's version\n", out);
}

volatile std::sig_atomic_t g_signal = 0;

// Only notes the request: the event loop acts on it. A second signal while
// the first is handled ends the program at once.
extern "C" void OnSignal(int sig) {
    if (g_signal != 0) {
        std::signal(sig, SIG_DFL);
        std::raise(sig);
        return;
    }
    g_signal = sig;
    platform::RequestQuit();
}

void CatchSignals() {
    struct sigaction sa {};
    sa.sa_handler = &OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaction(sig, &sa, nullptr);
    // A trace reader that goes away must not end the program.
    std::signal(SIGPIPE, SIG_IGN);
}

int Refuse(const std::string& message) {
    std::fprintf(stderr, "pyrelle: %s\n", message.c_str());
    return 2;
}

}  // namespace

int RunProgram(int argc, char** argv, const PortFactory& makePort, const char* portHelp,
               const PortProbe& probe, const std::vector<Option>& options) {
    CatchSignals();
    bool headless = false, probing = false;
    std::string scriptPath, tracePath, port = "sim", service = "running";
    double speed = 1.0;
    std::uint64_t seed = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::string& v) {
            if (i + 1 >= argc) return false;
            v = argv[++i];
            return true;
        };
        std::string v, error;
        const Option* own = nullptr;
        for (const Option& o : options)
            if (a == o.name) own = &o;
        if (a == "--help") {
            Usage(stdout, portHelp, options);
            return 0;
        } else if (a == "--version") {
            std::printf("pyrelle %s\n", PYRELLE_VERSION);
            return 0;
        } else if (a == "--headless") {
            headless = true;
        } else if (a == "--probe" && probe) {
            probing = true;
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
            if (end == v.c_str() || *end || !(speed >= kMinSpeed && speed <= kMaxSpeed))
                return Refuse("--speed takes a factor from 0.01 to 100000, not '" + records::Excerpt(v) +
                              "'");
        } else if (a == "--seed" && value(v)) {
            long long n = 0;
            if (!ParseNumber(v, n) || n < 0)
                return Refuse("--seed needs a number from 0 up, not '" + records::Excerpt(v) + "'");
            seed = static_cast<std::uint64_t>(n);
        } else if (own && value(v)) {
            if (!own->take(v, error)) return Refuse(std::string(own->name) + ": " + error);
        } else {
            return Refuse("unknown or incomplete option '" + records::Excerpt(a) + "' (--help lists them)");
        }
    }
    if (probing) return probe(port);
    SetUpServices();
    if (!ConfigureServices(service))
        return Refuse("unknown --driver-service state '" + records::Excerpt(service) +
                      "' (one of: " + ServiceStatesHelp() + ")");

    // Every file given is checked before anything starts.
    std::vector<ScriptLine> script;
    if (!scriptPath.empty()) {
        std::string text, why;
        if (!records::ReadWholeFile(scriptPath, kMaxScriptBytes, text, why))
            return Refuse("cannot read the script '" + records::Excerpt(scriptPath, 200) + "': " + why);
        std::string error;
        if (!ParseScript(text, script, error))
            return Refuse(records::Excerpt(scriptPath, 200) + ": " + error);
    }
    std::string error;
    if (!tracePath.empty() && !TraceOpen(tracePath, error))
        return Refuse("cannot write the trace '" + records::Excerpt(tracePath, 200) + "': " + error);
    if (!makePort(port, seed, error)) {
        TraceClose();
        return Refuse(error);
    }

    platform::qt::Start(argc, argv, !headless, speed, PYRELLE_APP_ID);
    ScriptedUser& user = User();
    user.live = !headless;
    user.scripted = !scriptPath.empty();
    user.echoBoxes = headless || user.scripted;
    user.pending.assign(script.begin(), script.end());
    if (user.scripted && script.empty()) user.scriptEnded = true;
    platform::InstallUserSide(&user);

    if (CWinApp* theApp = AfxGetApp()) theApp->InitInstance();

    TraceClose();
    platform::InstallUserSide(nullptr);
    platform::qt::Stop();
    return g_signal != 0 ? 128 + g_signal : user.exitCode;
}

}  // namespace automation
