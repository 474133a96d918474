// The program's two requests to the port driver. Neither result is examined
// by the callers: a failed sample leaves the window as prepared, a failed
// write changes nothing.
#pragma once

#include "driver/port_talk.h"

namespace driver {

// The sample request on `device`, with `window` as input and output.
bool SampleWindow(HANDLE device, unsigned char (&window)[kWindowSize]);
// The write request: the element output takes `level` (1 on, 0 off).
bool WriteLevel(HANDLE device, unsigned char level);

}  // namespace driver
