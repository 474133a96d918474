// The program's entry: command line, platform set-up, then InitInstance.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

// Installs the devices that --port names; false with `error` set on a bad name.
using PortFactory = std::function<bool(const std::string& portName, std::uint64_t seed, std::string& error)>;

// The desktop entry (its file name without ".desktop") that the window system
// matches the program's windows to, for their icon; taken when the
// application starts.
void SetDesktopFileName(const std::string& id);

int AfxWinMain(int argc, char** argv, const PortFactory& makePort, const char* portHelp);

}  // namespace platform
