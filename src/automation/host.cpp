// The command line, then the platform with the user's side: the window
// system's events, or a script (--script) that plays the user on the
// virtual clock.
#include "automation/host.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "automation/script.h"
#include "automation/services.h"
#include "automation/trace.h"
#include "platform/afxwin.h"
#include "platform/qt/qt.h"
#include "program_info.h"

namespace automation {
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
    "  --probe             check the parallel port of --port parport... and the display on it, then exit\n"
    "  --driver-service S  starting state of the port driver's service: ";

void Usage(std::FILE* out, const char* portHelp) {
    std::fprintf(out,
                 "%s%s\n%s\n  --help              this text\n  --version           the program's version\n",
                 kUsage, ServiceStatesHelp(), portHelp);
}

}  // namespace

int RunProgram(int argc, char** argv, const PortFactory& makePort, const char* portHelp,
               const PortProbe& probe) {
    bool headless = false, probing = false;
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
    if (probing) return probe(port);
    SetUpServices();
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

    platform::qt::Start(argc, argv, !headless, speed, PYRELLE_APP_ID);
    ScriptedUser& user = User();
    user.live = !headless;
    user.scripted = !scriptPath.empty();
    user.echoBoxes = headless || user.scripted;
    user.pending.assign(script.begin(), script.end());
    if (user.scripted && script.empty()) user.scriptEnded = true;
    platform::InstallUserSide(&user);
    TraceOpen(tracePath);

    if (CWinApp* theApp = AfxGetApp()) theApp->InitInstance();

    TraceOpen("");
    platform::InstallUserSide(nullptr);
    platform::qt::Stop();
    return user.exitCode;
}

}  // namespace automation
