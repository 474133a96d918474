// The emulated machine behind the service and file calls: its service
// manager, and the system directory that holds the drivers.
//
// The manager holds at most one service, the one its state names, for the
// life of the process. The Windows system directory (by default
// "C:\WINDOWS\system32") is a host folder that the program owns: one given
// by the state, else the folder a variable names, else "STEM-<uid>" in
// $XDG_RUNTIME_DIR, $TMPDIR or /tmp. Paths under it map to that folder,
// backslashes to folder levels; a relative path is relative to the current
// directory.
#pragma once

#include <string>

#include "platform/winsvc.h"

namespace platform::services {

// The whole state of the emulated manager.
struct State {
    bool managerRights = true;     // the caller may open the manager for more than connecting
    bool serviceRights = true;     // the caller may open the service
    DWORD openServiceError = 0;    // OpenServiceA fails with this error (0: it does not)
    DWORD createServiceError = 0;  // CreateServiceA fails with this error (0: it does not)
    DWORD managerError = 0;        // OpenSCManagerA fails with this error (0: it does not)
    // The service, which only this name can open or create, and its configuration.
    std::string name;
    bool exists = true;
    bool running = true;
    std::string displayName;
    std::string binaryPath;
    DWORD serviceType = SERVICE_KERNEL_DRIVER;
    DWORD startType = SERVICE_DEMAND_START;
    DWORD errorControl = SERVICE_ERROR_NORMAL;
    // What GetSystemDirectoryA reports ("" makes it fail), and the host folder
    // it maps to ("" for the default one).
    std::string systemDirectory = "C:\\WINDOWS\\system32";
    std::string systemFolder;
};

// How often each call was made since the last Reset.
struct Calls {
    int openManager = 0;
    int openService = 0;
    int createService = 0;
    int startService = 0;
    int copyFile = 0;
};

// The machine as the program starts it, which Reset() returns to, and the
// default system folder: $`folderVariable` when set, else "`folderStem`-<uid>".
void Setup(const State& start, const std::string& folderVariable, const std::string& folderStem);
// Replaces the state; closes nothing but forgets every handle.
void Reset();
void Reset(const State& state);
// Gives an installed service its driver file, as an installation before the
// program started would have left it.
void PlaceDriverFile();
// Whether the service `name` exists and runs.
bool ServiceRunning(const std::string& name);
const State& Current();
const Calls& CallCounts();
// Manager and service handles not yet closed.
int OpenHandleCount();

}  // namespace platform::services
