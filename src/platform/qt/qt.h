// The window system on Qt, started before the first window opens. No Qt type
// appears here.
#pragma once

namespace platform::qt {

// Starts Qt and installs it as the window system. Live, windows show on the
// display and the platform clock follows real time `speed` times faster;
// otherwise windows stay off screen and the clock is virtual.
// `desktopId` names the desktop entry (its file name without ".desktop")
// that the window system matches the windows to, for their icon.
void Start(int argc, char** argv, bool live, double speed = 1.0, const char* desktopId = nullptr);
// Uninstalls it and ends Qt, once every window is gone.
void Stop();

}  // namespace platform::qt
