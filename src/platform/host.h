// The program's entry: command line, platform set-up, then InitInstance.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/device.h"

namespace platform {

// Builds the port device that --port names; nullptr with `error` set on a bad
// name, nullptr with `error` empty for no device.
using PortFactory = std::function<std::unique_ptr<PortDevice>(const std::string& portName, std::uint64_t seed,
                                                              std::string& error)>;

int AfxWinMain(int argc, char** argv, const PortFactory& makePort, const char* portHelp);

}  // namespace platform
