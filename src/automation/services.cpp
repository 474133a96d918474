#include "automation/services.h"

#include "driver/port_talk.h"

namespace automation {

namespace svc = platform::services;

namespace {

svc::State StartState() {
    svc::State s;
    s.name = s.displayName = driver::kServiceName;
    s.binaryPath = driver::kDriverImage;
    return s;
}

}  // namespace

void SetUpServices() {
    svc::Setup(StartState(), "PYRELLE_SYSTEM32", "pyrelle-system32");
}

std::optional<svc::State> ServiceState(const std::string& name) {
    svc::State s = StartState();
    if (name == "running") return s;
    s.running = false;
    if (name == "stopped") return s;
    if (name == "missing")
        s.exists = false;
    else if (name == "no-manager-rights")
        s.managerRights = false;
    else if (name == "no-service-rights")
        s.serviceRights = false;
    else if (name == "invalid-name")
        s.openServiceError = ERROR_INVALID_NAME;
    else if (name == "failing")
        s.openServiceError = ERROR_SERVICE_DATABASE_LOCKED;
    else
        return std::nullopt;
    return s;
}

bool ConfigureServices(const std::string& name) {
    std::optional<svc::State> state = ServiceState(name);
    if (!state) return false;
    svc::Reset(*state);
    // A service that is already installed has its driver file in place.
    if (!state->running) svc::PlaceDriverFile();
    return true;
}

const char* ServiceStatesHelp() {
    return "running (default), stopped, missing,\n"
           "                      no-manager-rights, no-service-rights, invalid-name or failing;\n"
           "                      its system folder is $PYRELLE_SYSTEM32, else pyrelle-system32-UID\n"
           "                      in $XDG_RUNTIME_DIR, $TMPDIR or /tmp";
}

}  // namespace automation
