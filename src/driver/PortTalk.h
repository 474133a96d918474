// The PortTalk driver's request codes.
#pragma once

#include "platform/wintypes.h"

// Fills the output buffer with consecutive samples of the input port.
inline constexpr DWORD IOCTL_PT_SAMPLE = CTL_CODE(40000, 0x900, METHOD_BUFFERED, FILE_ANY_ACCESS);
// Sets the heating-element output to byte 0 of the input buffer.
inline constexpr DWORD IOCTL_PT_WRITE = CTL_CODE(40000, 0x902, METHOD_BUFFERED, FILE_ANY_ACCESS);

static_assert(IOCTL_PT_SAMPLE == 0x9C402400u);
static_assert(IOCTL_PT_WRITE == 0x9C402408u);
