// The service control manager, emulated.
#include "platform/winsvc.h"

namespace platform {

bool ConfigureServices(const std::string& state) { return state == "running"; }
const char* ServiceStatesHelp() { return "running"; }

}  // namespace platform
