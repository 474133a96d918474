// The program's entry: the framework takes over with the port backends of
// src/hardware behind the emulated port driver.
#include "driver/port_talk.h"
#include "hardware/port_talk_device.h"
#include "hardware/ports.h"
#include "platform/clock.h"
#include "platform/host.h"
#include "platform/winsvc.h"
#include "program_info.h"

int main(int argc, char** argv) {
    platform::SetDesktopFileName(PYRELLE_APP_ID);
    return platform::AfxWinMain(
        argc, argv,
        [](const std::string& portName, std::uint64_t seed, std::string& error) {
            auto device = hw::MakePort(
                portName, seed, [] { return platform::NowMs(); }, error);
            if (!device && !error.empty()) return false;
            hw::InstallPortTalk(std::move(device),
                                [] { return platform::services::ServiceRunning(driver::kServiceName); });
            return true;
        },
        hw::PortHelp());
}
