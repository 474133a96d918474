// The service control manager, emulated: the port driver's service, and the
// system directory that holds its driver file.
//
// The manager holds at most the one service "PortTalk" for the life of the
// process. The Windows system directory (by default "C:\WINDOWS\system32") is
// a host folder that the program owns: $PYRELLE_SYSTEM32 when set, else
// "pyrelle-system32-<uid>" in $XDG_RUNTIME_DIR, $TMPDIR or /tmp. Paths under
// it map to that folder, backslashes to folder levels; a relative path is
// relative to the current directory. The port device opens only while the
// service runs.
#pragma once

#include <optional>
#include <string>

#include "platform/wintypes.h"

constexpr DWORD SC_MANAGER_CONNECT = 0x0001;
constexpr DWORD SC_MANAGER_CREATE_SERVICE = 0x0002;
constexpr DWORD SC_MANAGER_ALL_ACCESS = 0xF003F;
constexpr DWORD SERVICE_START = 0x0010;
constexpr DWORD SERVICE_ALL_ACCESS = 0xF01FF;
constexpr DWORD SERVICE_KERNEL_DRIVER = 1;
constexpr DWORD SERVICE_DEMAND_START = 3;
constexpr DWORD SERVICE_ERROR_NORMAL = 1;

constexpr DWORD ERROR_FILE_EXISTS = 80;
constexpr DWORD ERROR_SERVICE_DATABASE_LOCKED = 1055;
constexpr DWORD ERROR_DATABASE_DOES_NOT_EXIST = 1065;

SC_HANDLE OpenSCManagerA(LPCSTR lpMachineName, LPCSTR lpDatabaseName, DWORD dwDesiredAccess);
SC_HANDLE OpenServiceA(SC_HANDLE hSCManager, LPCSTR lpServiceName, DWORD dwDesiredAccess);
BOOL StartServiceA(SC_HANDLE hService, DWORD dwNumServiceArgs, LPCSTR* lpServiceArgVectors);
SC_HANDLE CreateServiceA(SC_HANDLE hSCManager, LPCSTR lpServiceName, LPCSTR lpDisplayName,
                         DWORD dwDesiredAccess, DWORD dwServiceType, DWORD dwStartType, DWORD dwErrorControl,
                         LPCSTR lpBinaryPathName, LPCSTR lpLoadOrderGroup, LPDWORD lpdwTagId,
                         LPCSTR lpDependencies, LPCSTR lpServiceStartName, LPCSTR lpPassword);
BOOL CloseServiceHandle(SC_HANDLE hSCObject);
// Returns the path's length; when `uSize` is too small, the size it needs
// (terminator included) and the buffer is left alone; 0 on failure.
UINT GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize);
BOOL CopyFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, BOOL bFailIfExists);
LPSTR lstrcatA(LPSTR lpString1, LPCSTR lpString2);

namespace platform {

// Sets the emulated service manager's starting state from --driver-service.
// Returns false for a state it does not know.
bool ConfigureServices(const std::string& state);
// The states --driver-service takes, for --help.
const char* ServiceStatesHelp();

}  // namespace platform

namespace platform::services {

// The whole state of the emulated manager.
struct State {
    bool managerRights = true;     // the caller may open the manager for more than connecting
    bool serviceRights = true;     // the caller may open the service
    DWORD openServiceError = 0;    // OpenServiceA fails with this error (0: it does not)
    DWORD createServiceError = 0;  // CreateServiceA fails with this error (0: it does not)
    DWORD managerError = 0;        // OpenSCManagerA fails with this error (0: it does not)
    // The service "PortTalk" and its configuration.
    bool exists = true;
    bool running = true;
    std::string displayName = "PortTalk";
    std::string binaryPath = "System32\\Drivers\\PortTalk.sys";
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

// The starting state that --driver-service names, nullopt for an unknown name.
std::optional<State> NamedState(const std::string& name);
// Replaces the state; closes nothing but forgets every handle.
void Reset(const State& state = {});
// Whether the service `name` exists and runs.
bool ServiceRunning(const std::string& name);
const State& Current();
const Calls& CallCounts();
// Manager and service handles not yet closed.
int OpenHandleCount();
// The host folder of the system directory, made if missing; "" when it
// cannot be made or is not the program's own.
std::string SystemFolder();
// The host path of a Windows path, or "" when it maps nowhere.
std::string HostPath(const std::string& windowsPath);

}  // namespace platform::services
