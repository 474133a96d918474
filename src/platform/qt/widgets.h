// The Qt backend's widgets for the framework's windows.
#pragma once

#include "platform/api/internal.h"

namespace platform::qt {

// Makes the widgets of a new dialog and its controls, and their peers.
// Live: they show on the display.
void CreateWidgets(HWND dialog, bool live);

}  // namespace platform::qt
