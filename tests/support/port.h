// Puts a port device behind the emulated port driver, as the program does.
#pragma once

#include <memory>
#include <utility>

#include "driver/port_talk.h"
#include "hardware/port_talk_device.h"
#include "platform/device.h"
#include "platform/os/services.h"

namespace test {

// Installs `device` (nullptr: none) behind the driver, which opens only while
// its service runs.
inline void InstallPort(std::unique_ptr<hw::PortDevice> device) {
    hw::InstallPortTalk(std::move(device),
                        [] { return platform::services::ServiceRunning(driver::kServiceName); });
}

}  // namespace test
