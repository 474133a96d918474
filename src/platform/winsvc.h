// The service control manager, emulated: the port driver's service and its file.
#pragma once

#include <string>

namespace platform {

// Sets the emulated service manager's starting state from --driver-service.
// Returns false for a state it does not know.
bool ConfigureServices(const std::string& state);
// The states --driver-service takes, for --help.
const char* ServiceStatesHelp();

}  // namespace platform
