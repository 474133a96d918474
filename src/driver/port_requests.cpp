#include "driver/port_requests.h"

#include "platform/device.h"

namespace driver {

bool SampleWindow(HANDLE device, unsigned char (&window)[kWindowSize]) {
    DWORD returned = 0;
    return DeviceIoControl(device, IOCTL_PT_SAMPLE, window, kRequestInSize, window, kWindowSize, &returned,
                           nullptr) != FALSE;
}

bool WriteLevel(HANDLE device, unsigned char level) {
    // The level is byte 0 of the input; the rest of the buffer carries nothing.
    unsigned char buffer[kWindowSize] = {};
    buffer[0] = level;
    DWORD returned = 0;
    return DeviceIoControl(device, IOCTL_PT_WRITE, buffer, kRequestInSize, buffer, kWindowSize, &returned,
                           nullptr) != FALSE;
}

}  // namespace driver
