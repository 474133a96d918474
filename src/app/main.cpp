// The program's entry: the framework takes over with the port backends of src/hardware.
#include "hardware/ports.h"
#include "platform/clock.h"
#include "platform/host.h"

int main(int argc, char** argv) {
    return platform::AfxWinMain(
        argc, argv,
        [](const std::string& portName, std::uint64_t seed, std::string& error) {
            return hw::MakePort(
                portName, seed, [] { return platform::NowMs(); }, error);
        },
        hw::PortHelp());
}
