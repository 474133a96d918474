// Device I/O on the device namespace. Handles are numbers handed out once,
// each tied to the device it opened, so a stale handle never reaches a
// device that has gone.
#include "platform/device.h"

#include <cstdint>
#include <map>
#include <utility>

namespace platform {
namespace {

struct Open {
    std::string path;
    Device* device;
};

struct DeviceTable {
    std::map<std::string, std::unique_ptr<Device>> devices;
    std::map<std::uintptr_t, Open> handles;
    std::uintptr_t next = 0x100;
    DWORD lastError = 0;
};

DeviceTable& Table() {
    static DeviceTable t;
    return t;
}

Device* DeviceOf(HANDLE h) {
    auto& t = Table();
    auto it = t.handles.find(reinterpret_cast<std::uintptr_t>(h));
    if (it == t.handles.end()) return nullptr;
    Device* d = FindDevice(it->second.path);
    return d == it->second.device ? d : nullptr;
}

}  // namespace

void InstallDevice(const std::string& path, std::unique_ptr<Device> device) {
    auto& t = Table();
    if (device)
        t.devices[path] = std::move(device);
    else
        t.devices.erase(path);
}

Device* FindDevice(const std::string& path) {
    auto& t = Table();
    auto it = t.devices.find(path);
    return it == t.devices.end() ? nullptr : it->second.get();
}

}  // namespace platform

using platform::Table;

DWORD GetLastError() {
    return Table().lastError;
}
void SetLastError(DWORD code) {
    Table().lastError = code;
}

HANDLE CreateFileA(LPCSTR name, DWORD, DWORD, void*, DWORD, DWORD, HANDLE) {
    platform::Device* device = name ? platform::FindDevice(name) : nullptr;
    if (!device) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (DWORD error = device->Open(); error != ERROR_SUCCESS) {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    SetLastError(ERROR_SUCCESS);
    auto& t = Table();
    const std::uintptr_t h = t.next;
    t.next += 4;
    t.handles[h] = platform::Open{name, device};
    return reinterpret_cast<HANDLE>(h);
}

BOOL DeviceIoControl(HANDLE h, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
                     LPDWORD returned, void*) {
    if (returned) *returned = 0;
    platform::Device* device = platform::DeviceOf(h);
    if (!device) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    DWORD count = 0;
    const DWORD error = device->Control(code, in, in ? inSize : 0, out, out ? outSize : 0, count);
    if (returned) *returned = count;
    SetLastError(error);
    return error == ERROR_SUCCESS ? TRUE : FALSE;
}

BOOL CloseHandle(HANDLE h) {
    auto& t = Table();
    auto it = t.handles.find(reinterpret_cast<std::uintptr_t>(h));
    if (it == t.handles.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    platform::Device* device = platform::DeviceOf(h);
    t.handles.erase(it);
    if (device) device->Close();
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}
