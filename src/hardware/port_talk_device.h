// The PortTalk driver, emulated: its device answers the program's two
// requests from a PortDevice, and every request is traced.
#pragma once

#include <functional>
#include <memory>

#include "hardware/port_device.h"

namespace hw {

// Whether the driver's service runs: its device opens only then.
using ServiceCheck = std::function<bool()>;

// Installs the driver's device with `device` behind it (nullptr: no port;
// opening fails). Replaces any earlier one.
void InstallPortTalk(std::unique_ptr<PortDevice> device, ServiceCheck running = nullptr);
// The device behind the driver, nullptr when none is installed.
PortDevice* InstalledPort();

}  // namespace hw
