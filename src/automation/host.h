// The program's entry: its command line, the platform's start, then the
// application object's InitInstance.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace automation {

// Installs the devices that --port names; false with `error` set on a bad name.
using PortFactory = std::function<bool(const std::string& portName, std::uint64_t seed, std::string& error)>;

// --probe: checks the port that --port names and returns the exit status.
using PortProbe = std::function<int(const std::string& portName)>;

// An option of the program's own, "--NAME VALUE": `take` checks and keeps the
// value, false with the reason in `error`.
struct Option {
    const char* name;
    const char* help;  // its --help line
    std::function<bool(const std::string& value, std::string& error)> take;
};

// Runs the program; returns its exit status: 0, 1 for a failed `expect`, 2
// for a command line or script that does not parse, 128 + N after signal N.
int RunProgram(int argc, char** argv, const PortFactory& makePort, const char* portHelp,
               const PortProbe& probe = nullptr, const std::vector<Option>& options = {});

}  // namespace automation
