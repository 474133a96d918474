// The program's entry: its command line, the platform's start, then the
// application object's InitInstance.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace automation {

// Installs the devices that --port names; false with `error` set on a bad name.
using PortFactory = std::function<bool(const std::string& portName, std::uint64_t seed, std::string& error)>;

// --probe: checks the port that --port names and returns the exit status.
using PortProbe = std::function<int(const std::string& portName)>;

// Runs the program; returns its exit status.
int RunProgram(int argc, char** argv, const PortFactory& makePort, const char* portHelp,
               const PortProbe& probe = nullptr);

}  // namespace automation
