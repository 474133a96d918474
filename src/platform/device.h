// Device I/O of the Windows API over a small device namespace: a program
// installs the devices it expects ("\\.\NAME") and CreateFileA opens them.
#pragma once

#include <memory>
#include <string>

#include "platform/wintypes.h"

HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode, void* lpSecurityAttributes,
                   DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);
BOOL DeviceIoControl(HANDLE hDevice, DWORD dwIoControlCode, LPVOID lpInBuffer, DWORD nInBufferSize,
                     LPVOID lpOutBuffer, DWORD nOutBufferSize, LPDWORD lpBytesReturned, void* lpOverlapped);
BOOL CloseHandle(HANDLE hObject);

namespace platform {

// What answers a device path: its driver, as the caller sees it.
class Device {
public:
    virtual ~Device() = default;
    // CreateFileA: ERROR_SUCCESS to open, else the error the call fails with.
    virtual DWORD Open() { return ERROR_SUCCESS; }
    // CloseHandle of an open handle.
    virtual void Close() {}
    // DeviceIoControl: ERROR_SUCCESS or the error the call fails with;
    // `returned` is the count of output bytes written.
    virtual DWORD Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                          DWORD& returned) = 0;
};

// Puts `device` at `path` (nullptr removes it); an installed device lives
// until it is replaced. Handles opened on the old one are then stale.
void InstallDevice(const std::string& path, std::unique_ptr<Device> device);
Device* FindDevice(const std::string& path);

}  // namespace platform
