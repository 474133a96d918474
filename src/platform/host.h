// The program's entry: command line, platform set-up, then InitInstance.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

// Installs the devices that --port names; false with `error` set on a bad name.
using PortFactory = std::function<bool(const std::string& portName, std::uint64_t seed, std::string& error)>;

// --probe: checks the port that --port names and returns the exit status.
using PortProbe = std::function<int(const std::string& portName)>;

int AfxWinMain(int argc, char** argv, const PortFactory& makePort, const char* portHelp,
               const PortProbe& probe = nullptr);

}  // namespace platform
