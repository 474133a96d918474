// The port driver's service on the emulated machine, as the program starts
// it: installed and running unless --driver-service names another state.
#pragma once

#include <optional>
#include <string>

#include "platform/os/services.h"

namespace automation {

// Makes the service's installed, running state the machine's start state.
void SetUpServices();
// The starting state that --driver-service names, nullopt for an unknown name.
std::optional<platform::services::State> ServiceState(const std::string& name);
// Puts the machine in the state --driver-service names: false for an unknown name.
bool ConfigureServices(const std::string& name);
// The states --driver-service takes, for --help.
const char* ServiceStatesHelp();

}  // namespace automation
