// Device I/O of the Windows API, and the small device namespace behind it:
// "\\.\PortTalk" resolves to the port device chosen at start-up.
#pragma once

#include <cstddef>
#include <memory>

#include "platform/wintypes.h"

HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode, void* lpSecurityAttributes,
                   DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);
BOOL DeviceIoControl(HANDLE hDevice, DWORD dwIoControlCode, LPVOID lpInBuffer, DWORD nInBufferSize,
                     LPVOID lpOutBuffer, DWORD nOutBufferSize, LPDWORD lpBytesReturned, void* lpOverlapped);
BOOL CloseHandle(HANDLE hObject);
DWORD GetLastError();
void SetLastError(DWORD dwErrCode);

namespace platform {

// What stands behind the port driver's device: the instrument's display lines
// on the input side, the heating element on the output side.
class PortDevice {
public:
    virtual ~PortDevice() = default;
    // The sample request: writes consecutive samples of the input port into
    // window[0..size). Returns false when the request fails; bytes it did not
    // write keep the caller's values.
    virtual bool Sample(unsigned char* window, std::size_t size) = 0;
    // The write request: the element output takes `level` and holds it.
    virtual bool Write(unsigned char level) = 0;
};

// The device path of the port driver.
inline constexpr const char* kPortDevicePath = "\\\\.\\PortTalk";

// Installs the port device (nullptr: there is none, and opening fails).
// The device lives until it is replaced; handles do not own it.
void SetPortDevice(std::unique_ptr<PortDevice> device);
PortDevice* GetPortDevice();

// Whether the device may be opened now besides being installed (the driver's
// service must run). Set by the service manager; by default always.
using DeviceGate = bool (*)();
void SetPortDeviceGate(DeviceGate gate);

}  // namespace platform
