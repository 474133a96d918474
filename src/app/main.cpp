// The program's entry: its command line and the framework, with the port
// backends of src/hardware behind the emulated port driver.
#include "automation/host.h"
#include "driver/port_talk.h"
#include "hardware/parport.h"
#include "hardware/port_talk_device.h"
#include "hardware/ports.h"
#include "platform/clock.h"
#include "platform/os/services.h"

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
        hw::PortHelp(), [](const std::string& portName) { return hw::Probe(portName, stdout); });
}
