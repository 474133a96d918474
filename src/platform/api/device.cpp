// Device I/O on the device namespace. Handles are numbers handed out once,
// each tied to the device it opened, so a stale handle never reaches a
// device that has gone. Devices report their events to the trace hook.
#include "platform/device.h"

#include <cstdint>
#include <map>
#include <utility>

#include "platform/trace.h"

namespace platform {
namespace {

std::map<std::string, std::unique_ptr<Device>> g_devices;
// Each open handle and its device; nullptr once the device has gone.
std::map<std::uintptr_t, Device*> g_handles;
std::uintptr_t g_nextHandle = 0x100;
DWORD g_lastError = 0;
TraceSink g_trace = nullptr;

Device* DeviceOf(HANDLE h) {
    auto it = g_handles.find(reinterpret_cast<std::uintptr_t>(h));
    return it == g_handles.end() ? nullptr : it->second;
}

}  // namespace

void InstallDevice(const std::string& path, std::unique_ptr<Device> device) {
    if (Device* old = FindDevice(path))
        for (auto& [handle, open] : g_handles)
            if (open == old) open = nullptr;
    if (device)
        g_devices[path] = std::move(device);
    else
        g_devices.erase(path);
}

Device* FindDevice(const std::string& path) {
    auto it = g_devices.find(path);
    return it == g_devices.end() ? nullptr : it->second.get();
}

void SetTraceSink(TraceSink sink) {
    g_trace = sink;
}
void Trace(const char* event) {
    if (g_trace) g_trace(event);
}

}  // namespace platform

using namespace platform;

DWORD GetLastError() {
    return g_lastError;
}
void SetLastError(DWORD code) {
    g_lastError = code;
}

HANDLE CreateFileA(LPCSTR name, DWORD, DWORD, void*, DWORD, DWORD, HANDLE) {
    Device* device = name ? FindDevice(name) : nullptr;
    const DWORD error = device ? device->Open() : ERROR_FILE_NOT_FOUND;
    SetLastError(error);
    if (error != ERROR_SUCCESS) return INVALID_HANDLE_VALUE;
    g_handles[g_nextHandle] = device;
    g_nextHandle += 4;
    return reinterpret_cast<HANDLE>(g_nextHandle - 4);
}

BOOL DeviceIoControl(HANDLE h, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
                     LPDWORD returned, void*) {
    DWORD count = 0;
    Device* device = DeviceOf(h);
    const DWORD error = device ? device->Control(code, in, in ? inSize : 0, out, out ? outSize : 0, count)
                               : ERROR_INVALID_HANDLE;
    if (returned) *returned = count;
    SetLastError(error);
    return error == ERROR_SUCCESS ? TRUE : FALSE;
}

BOOL CloseHandle(HANDLE h) {
    Device* device = DeviceOf(h);
    const bool open = g_handles.erase(reinterpret_cast<std::uintptr_t>(h)) != 0;
    // A device that has gone since is not told.
    if (device) device->Close();
    SetLastError(open ? ERROR_SUCCESS : ERROR_INVALID_HANDLE);
    return open ? TRUE : FALSE;
}
