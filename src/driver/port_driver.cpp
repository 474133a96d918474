// The port driver link: opening its device at start-up.
#include <cstdio>

#include "app/pyrelle_dlg.h"
#include "driver/port_talk.h"
#include "platform/device.h"

namespace {

HANDLE OpenPortDevice() {
    return CreateFileA(driver::kDevicePath, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

}  // namespace

void CPyrelleDlg::OpenPortDriver() {
    m_hDevice = OpenPortDevice();
    if (m_hDevice != INVALID_HANDLE_VALUE) return;
    // The device is missing: start (or install) the driver's service, then try once more.
    StartPortDriver();
    m_hDevice = OpenPortDevice();
    if (m_hDevice == INVALID_HANDLE_VALUE) {
        std::printf("PortDriver: Couldn't access PortDriver Driver, Please ensure driver is loaded.\n\n");
        std::fflush(stdout);
    }
}
