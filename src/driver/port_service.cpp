// Starting or installing the port driver's service when its device is missing.
#include <cstdio>

#include "app/pyrelle_dlg.h"
#include "driver/port_talk.h"
#include "platform/winsvc.h"

namespace {

using driver::kDriverImage;
using driver::kDriverSource;
using driver::kServiceName;
constexpr const char* kDriverTail = "\\Drivers\\PortTalk.sys";
constexpr const char* kManualCopy = "Please manually copy driver to your system32/driver directory.";
// The system directory is asked for in 55 characters of the 80-character path
// buffer, which leaves room for the 21 characters of kDriverTail.
constexpr UINT kPathSize = 80;
constexpr UINT kSystemDirSize = 55;
// Opening the service is retried after an error it does not name, or while
// the service still does not exist after an installation; not for ever.
constexpr int kServiceOpenTries = 3;

// Releases a manager handle however the call that opened it ends.
struct ManagerHandle {
    SC_HANDLE h;
    ~ManagerHandle() {
        if (h) CloseServiceHandle(h);
    }
};

void Box(const char* text) {
    AfxMessageBox(text, MB_OK, 0);
}

void Say(const char* line) {
    std::printf("%s", line);
    std::fflush(stdout);
}

}  // namespace

bool CPyrelleDlg::StartPortDriver() {
    ManagerHandle manager{OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)};
    if (!manager.h && GetLastError() == ERROR_ACCESS_DENIED) {
        Box("You do not have rights to access the Service Control Manager.");
        return false;
    }
    // Without a manager for any other reason, opening the service fails below and is retried.
    for (int tries = 1;; ++tries) {
        m_hService = OpenServiceA(manager.h, kServiceName, SERVICE_ALL_ACCESS);
        if (m_hService) break;
        DWORD error = GetLastError();
        if (error == ERROR_ACCESS_DENIED) {
            Box("You do not have rights to the PortDriver service.");
            return false;
        }
        if (error == ERROR_INVALID_NAME) {
            Box("The specified service name is invalid.");
            return false;
        }
        if (tries == kServiceOpenTries) {
            Box("The PortDriver driver could not be started.");
            return false;
        }
        if (error == ERROR_SERVICE_DOES_NOT_EXIST) {
            Box("The PortDriver driver does not exist. Installing driver.");
            InstallPortDriver();
        }
    }

    bool started = StartServiceA(m_hService, 0, nullptr) != FALSE;
    bool running = started || GetLastError() == ERROR_SERVICE_ALREADY_RUNNING;
    if (!started)
        Box(running ? "The Port driver is already running."
                    : "Does PortTalk.SYS exist in your \\System32\\Drivers Directory?");
    CloseServiceHandle(m_hService);
    m_hService = nullptr;
    return running;
}

void CPyrelleDlg::InstallPortDriver() {
    char szDriverPath[kPathSize] = {};
    // A failed call, or a directory too long for the request, leaves no path
    // to copy to: the copy is skipped rather than made to a cut-off name.
    UINT length = GetSystemDirectoryA(szDriverPath, kSystemDirSize);
    if (length == 0 || length >= kSystemDirSize) {
        Box(kManualCopy);
    } else {
        lstrcatA(szDriverPath, kDriverTail);
        if (!CopyFileA(kDriverSource, szDriverPath, FALSE)) Box(kManualCopy);
    }

    // The service is created even without the file; starting it then fails.
    ManagerHandle manager{OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)};
    SC_HANDLE service = CreateServiceA(manager.h, kServiceName, kServiceName, SERVICE_ALL_ACCESS,
                                       SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                       kDriverImage, nullptr, nullptr, nullptr, nullptr, nullptr);
    if (service)
        Say("PortDriver: Driver successfully installed.\n");
    else if (GetLastError() == ERROR_SERVICE_EXISTS)
        Say("PortDriver: Driver already exists. No action taken.\n");
    else
        Say("PortDriver: Unknown error while creating Service.\n");
    if (service) CloseServiceHandle(service);
}
