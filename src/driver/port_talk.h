// The PortTalk driver as this program knows it: its device, its two requests
// and their buffers, its service and its driver file.
#pragma once

#include "driver/port_lines.h"
#include "platform/wintypes.h"

namespace driver {

inline constexpr const char* kDevicePath = "\\\\.\\PortTalk";
inline constexpr const char* kServiceName = "PortTalk";
// The service's image, relative to the Windows folder, and the file that an
// installation copies from the current directory.
inline constexpr const char* kDriverImage = "System32\\Drivers\\PortTalk.sys";
inline constexpr const char* kDriverSource = "PortTalk.sys";

}  // namespace driver

// Fills the output buffer with consecutive samples of the input port.
inline constexpr DWORD IOCTL_PT_SAMPLE = CTL_CODE(40000, 0x900, METHOD_BUFFERED, FILE_ANY_ACCESS);
// Sets the heating-element output to byte 0 of the input buffer.
inline constexpr DWORD IOCTL_PT_WRITE = CTL_CODE(40000, 0x902, METHOD_BUFFERED, FILE_ANY_ACCESS);

static_assert(IOCTL_PT_SAMPLE == 0x9C402400u);
static_assert(IOCTL_PT_WRITE == 0x9C402408u);
