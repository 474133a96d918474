// The backends of the port device, chosen with --port.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "hardware/port_device.h"

namespace hw {

using ClockFn = std::function<std::int64_t()>;

// Builds the backend that --port NAME names ("sim[,fault...]", "none",
// "replay:FILE", "parport[:DEVICE][,OPTION...]"). On a bad NAME or an unreadable replay file returns nullptr
// with `error` set; "none" returns nullptr with `error` empty.
std::unique_ptr<PortDevice> MakePort(const std::string& portName, std::uint64_t seed, ClockFn now,
                                     std::string& error);

// The --port part of --help.
const char* PortHelp();

}  // namespace hw
