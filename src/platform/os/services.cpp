// The service control manager, emulated, with the system directory and the
// file copies that a driver's installation needs.
#include "platform/os/services.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string_view>

namespace fs = std::filesystem;

namespace platform::services {
namespace {

enum class Kind { Manager, Service };
struct Handle {
    Kind kind;
    DWORD access;
};

struct Manager {
    State start, state;
    std::string folderVariable, folderStem = "system32";
    Calls calls;
    // Handles are numbers handed out once: a closed or foreign one is simply
    // not in the map.
    std::map<std::uintptr_t, Handle> handles;
    std::uintptr_t nextHandle = 0x5C0;
    std::string folder;  // the system folder's host path
    bool prepared = false;
} g_m;

SC_HANDLE NewHandle(Kind kind, DWORD access) {
    g_m.handles[g_m.nextHandle] = Handle{kind, access};
    g_m.nextHandle += 4;
    return reinterpret_cast<SC_HANDLE>(g_m.nextHandle - 4);
}

const Handle* Find(SC_HANDLE h, Kind kind) {
    auto it = g_m.handles.find(reinterpret_cast<std::uintptr_t>(h));
    return it != g_m.handles.end() && it->second.kind == kind ? &it->second : nullptr;
}

// Names and paths compare without regard to ASCII case, as the system's do.
bool SameText(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::ranges::equal(a, b, [&](char x, char y) { return lower(x) == lower(y); });
}

// The manager's one service: any other name is no service of this manager.
bool IsTheService(const char* name) {
    return !g_m.state.name.empty() && SameText(name, g_m.state.name);
}

bool BadName(const char* name) {
    return !name || !*name || std::strchr(name, '/') || std::strchr(name, '\\');
}

// Backslash-separated levels under the host folder `base` ("" for the
// current one) to a host path; "" for a level that would leave it. Each level
// is the entry of that name whatever its case, as on Windows.
std::string Levels(const std::string& base, std::string_view path) {
    std::string out = base;
    for (std::size_t start = 0; start <= path.size();) {
        std::size_t end = std::min(path.find('\\', start), path.size());
        std::string_view level = path.substr(start, end - start);
        if (level == "..") return "";
        if (!level.empty() && level != ".") {
            std::string name(level);
            std::error_code ec;
            if (!fs::exists(out.empty() ? name : out + "/" + name, ec))
                for (const auto& e : fs::directory_iterator(out.empty() ? "." : out, ec))
                    if (SameText(e.path().filename().string(), level)) name = e.path().filename().string();
            out.append(out.empty() ? 0 : 1, '/').append(name);
        }
        start = end + 1;
    }
    return out == base ? "" : out;
}

std::string Env(const std::string& name) {
    const char* v = name.empty() ? nullptr : std::getenv(name.c_str());
    return v ? v : "";
}

std::string DefaultFolder() {
    if (std::string own = Env(g_m.folderVariable); !own.empty()) return own;
    std::string base = Env("XDG_RUNTIME_DIR");
    if (!base.starts_with('/')) base = Env("TMPDIR");
    if (!base.starts_with('/')) base = "/tmp";
    return base + "/" + g_m.folderStem + "-" + std::to_string(geteuid());
}

// A real folder (not a link) of this user: another user's folder in a shared
// temporary directory must not receive the driver file.
bool OwnFolder(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid();
}

// The host folder of the system directory, made if missing; "" when it
// cannot be made or is not the program's own.
std::string SystemFolder() {
    if (g_m.prepared) return g_m.folder;
    if (g_m.folder.empty()) g_m.folder = DefaultFolder();
    const std::string& folder = g_m.folder;
    std::error_code ec;
    if (mkdir(folder.c_str(), 0700) != 0) fs::create_directories(folder, ec);
    std::string drivers = folder + "/Drivers";
    mkdir(drivers.c_str(), 0755);
    if (!OwnFolder(folder) || !OwnFolder(drivers)) return "";
    g_m.prepared = true;
    return folder;
}

// The host path of a Windows path, or "" when it maps nowhere.
std::string HostPath(const std::string& path) {
    const std::string& system = g_m.state.systemDirectory;
    if (!system.empty() && path.size() > system.size() && path[system.size()] == '\\' &&
        SameText(std::string_view(path).substr(0, system.size()), system)) {
        std::string folder = SystemFolder();
        return folder.empty() ? "" : Levels(folder, std::string_view(path).substr(system.size() + 1));
    }
    // Any other absolute path (a drive, a root or a share) is not emulated.
    if (path.empty() || path[0] == '\\' || path.find(':') != std::string::npos) return "";
    return Levels("", path);
}

// The host path of the service's driver file: a path name without a drive
// is relative to the Windows folder, the parent of the system directory.
std::string DriverFile() {
    const std::string& image = g_m.state.binaryPath;
    if (image.find(':') != std::string::npos) return HostPath(image);
    const std::string& system = g_m.state.systemDirectory;
    std::size_t cut = system.rfind('\\');
    return cut == std::string::npos ? "" : HostPath(system.substr(0, cut + 1) + image);
}

bool IsFile(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

// Sets the error of the call and returns `result`.
template <typename T>
T Done(DWORD error, T result) {
    SetLastError(error);
    return result;
}

}  // namespace

void Setup(const State& start, const std::string& folderVariable, const std::string& folderStem) {
    g_m.start = start;
    g_m.folderVariable = folderVariable;
    g_m.folderStem = folderStem;
    Reset();
}

void Reset() {
    Reset(g_m.start);
}

void Reset(const State& state) {
    g_m.state = state;
    g_m.calls = Calls{};
    g_m.handles.clear();
    // Chosen now: the window system may set a runtime directory of its own later.
    g_m.folder = state.systemFolder.empty() ? DefaultFolder() : state.systemFolder;
    g_m.prepared = false;
}

void PlaceDriverFile() {
    std::string file = g_m.state.exists ? DriverFile() : "";
    std::error_code ec;
    if (!file.empty() && !fs::exists(file, ec))
        std::ofstream(file, std::ios::binary) << g_m.state.name << " kernel driver (emulated)\n";
}

bool ServiceRunning(const std::string& name) {
    return IsTheService(name.c_str()) && g_m.state.exists && g_m.state.running;
}
const State& Current() {
    return g_m.state;
}
const Calls& CallCounts() {
    return g_m.calls;
}
int OpenHandleCount() {
    return static_cast<int>(g_m.handles.size());
}

}  // namespace platform::services

using namespace platform::services;

SC_HANDLE OpenSCManagerA(LPCSTR machine, LPCSTR database, DWORD access) {
    const State& s = g_m.state;
    ++g_m.calls.openManager;
    // Only the local machine's active database exists.
    if ((machine && *machine) || (database && std::strcmp(database, "ServicesActive") != 0))
        return Done<SC_HANDLE>(ERROR_DATABASE_DOES_NOT_EXIST, nullptr);
    if (s.managerError) return Done<SC_HANDLE>(s.managerError, nullptr);
    // Without rights, the manager opens for connecting alone.
    if (!s.managerRights && (access & ~SC_MANAGER_CONNECT))
        return Done<SC_HANDLE>(ERROR_ACCESS_DENIED, nullptr);
    return Done(ERROR_SUCCESS, NewHandle(Kind::Manager, access));
}

SC_HANDLE OpenServiceA(SC_HANDLE manager, LPCSTR name, DWORD access) {
    const State& s = g_m.state;
    ++g_m.calls.openService;
    const DWORD error = !Find(manager, Kind::Manager)      ? ERROR_INVALID_HANDLE
                        : BadName(name)                    ? ERROR_INVALID_NAME
                        : s.openServiceError               ? s.openServiceError
                        : !s.exists || !IsTheService(name) ? ERROR_SERVICE_DOES_NOT_EXIST
                        : !s.serviceRights                 ? ERROR_ACCESS_DENIED
                                                           : ERROR_SUCCESS;
    return Done(error, error ? nullptr : NewHandle(Kind::Service, access));
}

BOOL StartServiceA(SC_HANDLE service, DWORD, LPCSTR*) {
    State& s = g_m.state;
    ++g_m.calls.startService;
    const Handle* h = Find(service, Kind::Service);
    // The service may have gone while the handle was open; a kernel driver
    // starts only from its file.
    const DWORD error = !h                             ? ERROR_INVALID_HANDLE
                        : !(h->access & SERVICE_START) ? ERROR_ACCESS_DENIED
                        : !s.exists                    ? ERROR_SERVICE_DOES_NOT_EXIST
                        : s.running                    ? ERROR_SERVICE_ALREADY_RUNNING
                        : !IsFile(DriverFile())        ? ERROR_FILE_NOT_FOUND
                                                       : ERROR_SUCCESS;
    if (!error) s.running = true;
    return Done(error, error ? FALSE : TRUE);
}

SC_HANDLE CreateServiceA(SC_HANDLE manager, LPCSTR name, LPCSTR displayName, DWORD access, DWORD type,
                         DWORD start, DWORD errorControl, LPCSTR binaryPath, LPCSTR, LPDWORD, LPCSTR, LPCSTR,
                         LPCSTR) {
    State& s = g_m.state;
    ++g_m.calls.createService;
    const Handle* h = Find(manager, Kind::Manager);
    // This manager keeps the one service only.
    const DWORD error = !h                                         ? ERROR_INVALID_HANDLE
                        : !(h->access & SC_MANAGER_CREATE_SERVICE) ? ERROR_ACCESS_DENIED
                        : BadName(name)                            ? ERROR_INVALID_NAME
                        : !binaryPath || !*binaryPath              ? ERROR_INVALID_PARAMETER
                        : s.createServiceError                     ? s.createServiceError
                        : !IsTheService(name)                      ? ERROR_ACCESS_DENIED
                        : s.exists                                 ? ERROR_SERVICE_EXISTS
                                                                   : ERROR_SUCCESS;
    if (error) return Done<SC_HANDLE>(error, nullptr);
    s.exists = true;
    s.running = false;
    s.displayName = displayName ? displayName : name;
    s.binaryPath = binaryPath;
    s.serviceType = type;
    s.startType = start;
    s.errorControl = errorControl;
    return Done(ERROR_SUCCESS, NewHandle(Kind::Service, access));
}

BOOL CloseServiceHandle(SC_HANDLE handle) {
    const bool open = g_m.handles.erase(reinterpret_cast<std::uintptr_t>(handle)) != 0;
    return Done(open ? ERROR_SUCCESS : ERROR_INVALID_HANDLE, open ? TRUE : FALSE);
}

UINT GetSystemDirectoryA(LPSTR buffer, UINT size) {
    const std::string& dir = g_m.state.systemDirectory;
    if (dir.empty() || SystemFolder().empty()) return Done(ERROR_PATH_NOT_FOUND, 0u);
    UINT need = static_cast<UINT>(dir.size() + 1);
    if (!buffer || size < need) return need;
    std::memcpy(buffer, dir.c_str(), need);
    return need - 1;
}

BOOL CopyFileA(LPCSTR from, LPCSTR to, BOOL failIfExists) {
    ++g_m.calls.copyFile;
    std::string source = from ? HostPath(from) : "", target = to ? HostPath(to) : "";
    std::error_code ec;
    if (!IsFile(source)) return Done(ERROR_FILE_NOT_FOUND, FALSE);
    if (target.empty()) return Done(ERROR_PATH_NOT_FOUND, FALSE);
    if (failIfExists && fs::exists(target, ec)) return Done(ERROR_FILE_EXISTS, FALSE);
    if (!fs::copy_file(source, target, fs::copy_options::overwrite_existing, ec))
        return Done(ec == std::errc::permission_denied ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND, FALSE);
    return Done(ERROR_SUCCESS, TRUE);
}

LPSTR lstrcatA(LPSTR s1, LPCSTR s2) {
    return s1 && s2 ? std::strcat(s1, s2) : nullptr;
}
