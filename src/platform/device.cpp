// Device I/O: the port driver's device in a small device namespace, and the
// trace of its events.
#include "platform/device.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <string>

#include "platform/clock.h"
#include "platform/internal.h"

namespace platform {
namespace {

struct DeviceState {
    std::unique_ptr<PortDevice> device;
    DeviceGate gate = nullptr;
    DWORD lastError = 0;
    std::FILE* trace = nullptr;
};

DeviceState& D() {
    static DeviceState d;
    return d;
}

constexpr DWORD kFunctionSample = 0x900;
constexpr DWORD kFunctionWrite = 0x902;
constexpr DWORD kPortDeviceType = 40000;

// Handles are numbers handed out once; a closed or foreign one is simply
// not in the set, so a stale handle can never reach freed memory.
std::set<std::uintptr_t>& OpenHandles() {
    static std::set<std::uintptr_t> handles;
    return handles;
}
std::uintptr_t g_nextHandle = 0x100;

bool IsOpenPort(HANDLE h) {
    return OpenHandles().count(reinterpret_cast<std::uintptr_t>(h)) != 0;
}

}  // namespace

void SetPortDevice(std::unique_ptr<PortDevice> device) {
    D().device = std::move(device);
}
PortDevice* GetPortDevice() {
    return D().device.get();
}
void SetPortDeviceGate(DeviceGate gate) {
    D().gate = gate;
}

void TraceOpen(const std::string& path) {
    if (D().trace) std::fclose(D().trace);
    D().trace = path.empty() ? nullptr : std::fopen(path.c_str(), "w");
}

void Trace(const char* event) {
    if (!D().trace) return;
    std::fprintf(D().trace, "%lld %s\n", static_cast<long long>(NowMs()), event);
    std::fflush(D().trace);
}

}  // namespace platform

using platform::D;

DWORD GetLastError() {
    return D().lastError;
}
void SetLastError(DWORD code) {
    D().lastError = code;
}

HANDLE CreateFileA(LPCSTR name, DWORD, DWORD, void*, DWORD, DWORD, HANDLE) {
    if (name == nullptr || std::strcmp(name, platform::kPortDevicePath) != 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (!D().device || (D().gate && !D().gate())) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        platform::Trace("OPEN failed");
        return INVALID_HANDLE_VALUE;
    }
    platform::Trace("OPEN ok");
    SetLastError(ERROR_SUCCESS);
    std::uintptr_t h = platform::g_nextHandle;
    platform::g_nextHandle += 4;
    platform::OpenHandles().insert(h);
    return reinterpret_cast<HANDLE>(h);
}

BOOL DeviceIoControl(HANDLE h, DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
                     LPDWORD returned, void*) {
    if (returned) *returned = 0;
    if (!platform::IsOpenPort(h) || !D().device) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if ((code >> 16) != platform::kPortDeviceType) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    switch ((code >> 2) & 0xFFF) {
        case platform::kFunctionSample: {
            platform::Trace("SAMPLE");
            if (out == nullptr) return FALSE;
            bool ok = D().device->Sample(static_cast<unsigned char*>(out), outSize);
            if (ok && returned) *returned = outSize;
            if (!ok) SetLastError(ERROR_GEN_FAILURE);
            return ok ? TRUE : FALSE;
        }
        case platform::kFunctionWrite: {
            if (in == nullptr || inSize < 1) return FALSE;
            unsigned char level = *static_cast<unsigned char*>(in);
            platform::Trace(level ? "WRITE 1" : "WRITE 0");
            bool ok = D().device->Write(level);
            if (!ok) SetLastError(ERROR_GEN_FAILURE);
            return ok ? TRUE : FALSE;
        }
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
    }
}

BOOL CloseHandle(HANDLE h) {
    if (!platform::IsOpenPort(h)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    platform::Trace("CLOSE");
    platform::OpenHandles().erase(reinterpret_cast<std::uintptr_t>(h));
    return TRUE;
}
