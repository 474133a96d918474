// The program's entry: its command line and the framework, with the port
// backends of src/hardware behind the emulated port driver.
#include <cmath>
#include <cstdlib>

#include "app/pyrelle_dlg.h"
#include "automation/host.h"
#include "driver/port_talk.h"
#include "hardware/parport.h"
#include "hardware/port_talk_device.h"
#include "hardware/ports.h"
#include "platform/clock.h"
#include "platform/os/services.h"
#include "records/user_files.h"

namespace {

// Degrees as tenths, for a limit the panel can show.
bool Tenths(const std::string& text, int& tenths) {
    char* end = nullptr;
    const double degrees = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end || !(degrees >= 0 && degrees <= 9999.9)) return false;
    tenths = static_cast<int>(std::lround(degrees * 10));
    return true;
}

// The runaway guard's settings: --max-temp DEG, --runaway-guard off|SECONDS:DEGREES.
const std::vector<automation::Option> kGuardOptions = {
    {"--max-temp",
     "  --max-temp DEG      halt when the main reading stays above DEG degrees (default: no limit)\n",
     [](const std::string& v, std::string& error) {
         if (Tenths(v, g_guardSettings.maxTenths)) return true;
         error = "takes degrees from 0 to 9999.9, not '" + records::Excerpt(v) + "'";
         return false;
     }},
    {"--runaway-guard",
     "  --runaway-guard G   halt when the element heats for SECONDS without the reading rising\n"
     "                      DEGREES: G is SECONDS:DEGREES (default 1800:2) or off\n",
     [](const std::string& v, std::string& error) {
         if (v == "off") {
             g_guardSettings.stallSeconds = 0;
             return true;
         }
         const std::size_t colon = v.find(':');
         char* end = nullptr;
         const long seconds = std::strtol(v.c_str(), &end, 10);
         int tenths = 0;
         if (colon != std::string::npos && end == v.c_str() + colon && seconds >= 60 && seconds <= 86400 &&
             Tenths(v.substr(colon + 1), tenths) && tenths > 0) {
             g_guardSettings.stallSeconds = static_cast<int>(seconds);
             g_guardSettings.stallTenths = tenths;
             return true;
         }
         error = "takes SECONDS:DEGREES (60 to 86400 seconds, degrees above 0) or off, not '" +
                 records::Excerpt(v) + "'";
         return false;
     }},
};

}  // namespace

int main(int argc, char** argv) {
    return automation::RunProgram(
        argc, argv,
        [](const std::string& portName, std::uint64_t seed, std::string& error) {
            auto device = hw::MakePort(
                portName, seed, [] { return platform::NowMs(); }, error);
            if (!device && !error.empty()) return false;
            hw::InstallPortTalk(std::move(device),
                                [] { return platform::services::ServiceRunning(driver::kServiceName); });
            return true;
        },
        hw::PortHelp(), [](const std::string& portName) { return hw::Probe(portName, stdout); },
        kGuardOptions);
}
