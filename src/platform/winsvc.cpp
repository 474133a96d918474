// The service control manager, emulated, with the system directory and file
// copies that the driver's installation needs.
#include "platform/winsvc.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string_view>

namespace fs = std::filesystem;

namespace platform::services {
namespace {

constexpr const char* kServiceName = "PortTalk";
constexpr DWORD kAnonymousManagerAccess = SC_MANAGER_CONNECT;

enum class Kind { Manager, Service };
struct Handle {
    Kind kind;
    DWORD access;
};

struct Manager {
    State state;
    Calls calls;
    // Handles are numbers handed out once: a closed or foreign one is simply
    // not in the map.
    std::map<std::uintptr_t, Handle> handles;
    std::uintptr_t nextHandle = 0x5C0;
    std::string folder;  // the system folder's host path
    bool prepared = false;
};

Manager& M() {
    static Manager m;
    return m;
}

bool ServiceRuns() {
    return M().state.exists && M().state.running;
}

SC_HANDLE NewHandle(Kind kind, DWORD access) {
    std::uintptr_t h = M().nextHandle;
    M().nextHandle += 4;
    M().handles[h] = Handle{kind, access};
    return reinterpret_cast<SC_HANDLE>(h);
}

const Handle* Find(SC_HANDLE h, Kind kind) {
    auto it = M().handles.find(reinterpret_cast<std::uintptr_t>(h));
    return it != M().handles.end() && it->second.kind == kind ? &it->second : nullptr;
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

// Backslash-separated levels to a relative host path; "" for a level that
// would leave the folder it is relative to.
std::string Levels(std::string_view path) {
    std::string out;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string_view::npos) end = path.size();
        std::string_view level = path.substr(start, end - start);
        if (level == "..") return "";
        if (!level.empty() && level != ".") {
            if (!out.empty()) out += '/';
            out += level;
        }
        start = end + 1;
    }
    return out;
}

std::string DefaultFolder() {
    if (const char* own = std::getenv("PYRELLE_SYSTEM32"); own && *own) return own;
    std::string base = "/tmp";
    for (const char* var : {"XDG_RUNTIME_DIR", "TMPDIR"}) {
        const char* v = std::getenv(var);
        if (v && v[0] == '/') {
            base = v;
            break;
        }
    }
    return base + "/pyrelle-system32-" + std::to_string(geteuid());
}

// A real folder (not a link) of this user: another user's folder in a shared
// temporary directory must not receive the driver file.
bool OwnFolder(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid();
}

// The host path of the service's driver file: a path name without a drive
// is relative to the Windows folder, the parent of the system directory.
std::string DriverFile() {
    const std::string& image = M().state.binaryPath;
    if (image.find(':') != std::string::npos) return HostPath(image);
    const std::string& system = M().state.systemDirectory;
    std::size_t cut = system.rfind('\\');
    if (cut == std::string::npos) return "";
    return HostPath(system.substr(0, cut + 1) + image);
}

// Gives a service that was installed before the program started its file.
void PlaceDriverFile() {
    std::string file = DriverFile();
    std::error_code ec;
    if (!file.empty() && !fs::exists(file, ec))
        std::ofstream(file, std::ios::binary) << "PortTalk kernel driver (emulated)\n";
}

}  // namespace

void Reset(const State& state) {
    Manager& m = M();
    m.state = state;
    m.calls = Calls{};
    m.handles.clear();
    // Chosen now: the window system may set a runtime directory of its own later.
    m.folder = state.systemFolder.empty() ? DefaultFolder() : state.systemFolder;
    m.prepared = false;
}

bool ServiceRunning(const std::string& name) {
    return SameText(name, kServiceName) && ServiceRuns();
}

const State& Current() {
    return M().state;
}
const Calls& CallCounts() {
    return M().calls;
}
int OpenHandleCount() {
    return static_cast<int>(M().handles.size());
}

std::string SystemFolder() {
    Manager& m = M();
    if (m.prepared) return m.folder;
    if (m.folder.empty()) m.folder = DefaultFolder();
    const std::string& folder = m.folder;
    std::error_code ec;
    if (mkdir(folder.c_str(), 0700) != 0) fs::create_directories(folder, ec);
    std::string drivers = folder + "/Drivers";
    mkdir(drivers.c_str(), 0755);
    if (!OwnFolder(folder) || !OwnFolder(drivers)) return "";
    m.prepared = true;
    return folder;
}

std::string HostPath(const std::string& path) {
    const std::string& system = M().state.systemDirectory;
    if (!system.empty() && path.size() > system.size() && path[system.size()] == '\\' &&
        SameText(std::string_view(path).substr(0, system.size()), system)) {
        std::string folder = SystemFolder();
        std::string rest = Levels(std::string_view(path).substr(system.size() + 1));
        return folder.empty() || rest.empty() ? "" : folder + "/" + rest;
    }
    // Any other absolute path (a drive, a root or a share) is not emulated.
    if (path.empty() || path[0] == '\\' || path.find(':') != std::string::npos) return "";
    return Levels(path);
}

std::optional<State> NamedState(const std::string& name) {
    State s;
    if (name == "running") return s;
    s.running = false;
    if (name == "stopped") return s;
    if (name == "missing")
        s.exists = false;
    else if (name == "no-manager-rights")
        s.managerRights = false;
    else if (name == "no-service-rights")
        s.serviceRights = false;
    else if (name == "invalid-name")
        s.openServiceError = ERROR_INVALID_NAME;
    else if (name == "failing")
        s.openServiceError = ERROR_SERVICE_DATABASE_LOCKED;
    else
        return std::nullopt;
    return s;
}

}  // namespace platform::services

namespace platform {

bool ConfigureServices(const std::string& name) {
    std::optional<services::State> state = services::NamedState(name);
    if (!state) return false;
    services::Reset(*state);
    // A service that is already installed has its driver file in place.
    if (state->exists && !state->running) services::PlaceDriverFile();
    return true;
}

const char* ServiceStatesHelp() {
    return "running (default), stopped, missing,\n"
           "                      no-manager-rights, no-service-rights, invalid-name or failing;\n"
           "                      its system folder is $PYRELLE_SYSTEM32, else pyrelle-system32-UID\n"
           "                      in $XDG_RUNTIME_DIR, $TMPDIR or /tmp";
}

}  // namespace platform

using platform::services::Kind;
using platform::services::M;

SC_HANDLE OpenSCManagerA(LPCSTR machine, LPCSTR database, DWORD access) {
    auto& m = M();
    ++m.calls.openManager;
    // Only the local machine's active database exists.
    if ((machine && *machine) || (database && std::strcmp(database, "ServicesActive") != 0)) {
        SetLastError(ERROR_DATABASE_DOES_NOT_EXIST);
        return nullptr;
    }
    if (m.state.managerError) {
        SetLastError(m.state.managerError);
        return nullptr;
    }
    if (!m.state.managerRights && (access & ~platform::services::kAnonymousManagerAccess)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    SetLastError(ERROR_SUCCESS);
    return platform::services::NewHandle(Kind::Manager, access);
}

SC_HANDLE OpenServiceA(SC_HANDLE manager, LPCSTR name, DWORD access) {
    auto& m = M();
    ++m.calls.openService;
    DWORD error = ERROR_SUCCESS;
    if (!platform::services::Find(manager, Kind::Manager))
        error = ERROR_INVALID_HANDLE;
    else if (!name || !*name || std::strchr(name, '/') || std::strchr(name, '\\'))
        error = ERROR_INVALID_NAME;
    else if (m.state.openServiceError)
        error = m.state.openServiceError;
    else if (!m.state.exists || !platform::services::SameText(name, platform::services::kServiceName))
        error = ERROR_SERVICE_DOES_NOT_EXIST;
    else if (!m.state.serviceRights)
        error = ERROR_ACCESS_DENIED;
    SetLastError(error);
    return error ? nullptr : platform::services::NewHandle(Kind::Service, access);
}

BOOL StartServiceA(SC_HANDLE service, DWORD, LPCSTR*) {
    auto& m = M();
    ++m.calls.startService;
    const platform::services::Handle* h = platform::services::Find(service, Kind::Service);
    DWORD error = ERROR_SUCCESS;
    if (!h)
        error = ERROR_INVALID_HANDLE;
    else if (!(h->access & SERVICE_START))
        error = ERROR_ACCESS_DENIED;
    else if (!m.state.exists)
        error = ERROR_SERVICE_DOES_NOT_EXIST;  // removed while the handle was open
    else if (m.state.running)
        error = ERROR_SERVICE_ALREADY_RUNNING;
    else {
        // A kernel driver starts only from its file.
        std::string file = platform::services::DriverFile();
        std::error_code ec;
        if (file.empty() || !fs::is_regular_file(file, ec)) error = ERROR_FILE_NOT_FOUND;
    }
    SetLastError(error);
    if (error) return FALSE;
    m.state.running = true;
    return TRUE;
}

SC_HANDLE CreateServiceA(SC_HANDLE manager, LPCSTR name, LPCSTR displayName, DWORD access, DWORD type,
                         DWORD start, DWORD errorControl, LPCSTR binaryPath, LPCSTR, LPDWORD, LPCSTR, LPCSTR,
                         LPCSTR) {
    auto& m = M();
    ++m.calls.createService;
    const platform::services::Handle* h = platform::services::Find(manager, Kind::Manager);
    DWORD error = ERROR_SUCCESS;
    if (!h)
        error = ERROR_INVALID_HANDLE;
    else if (!(h->access & SC_MANAGER_CREATE_SERVICE))
        error = ERROR_ACCESS_DENIED;
    else if (!name || !*name || std::strchr(name, '/') || std::strchr(name, '\\'))
        error = ERROR_INVALID_NAME;
    else if (!binaryPath || !*binaryPath)
        error = ERROR_INVALID_PARAMETER;
    else if (m.state.createServiceError)
        error = m.state.createServiceError;
    else if (m.state.exists && platform::services::SameText(name, platform::services::kServiceName))
        error = ERROR_SERVICE_EXISTS;
    else if (!platform::services::SameText(name, platform::services::kServiceName))
        error = ERROR_ACCESS_DENIED;  // this manager keeps the one service only
    SetLastError(error);
    if (error) return nullptr;
    auto& s = m.state;
    s.exists = true;
    s.running = false;
    s.displayName = displayName ? displayName : name;
    s.binaryPath = binaryPath;
    s.serviceType = type;
    s.startType = start;
    s.errorControl = errorControl;
    return platform::services::NewHandle(Kind::Service, access);
}

BOOL CloseServiceHandle(SC_HANDLE handle) {
    if (M().handles.erase(reinterpret_cast<std::uintptr_t>(handle)) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

UINT GetSystemDirectoryA(LPSTR buffer, UINT size) {
    const std::string& dir = M().state.systemDirectory;
    if (dir.empty() || platform::services::SystemFolder().empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    UINT need = static_cast<UINT>(dir.size() + 1);
    if (!buffer || size < need) return need;
    std::memcpy(buffer, dir.c_str(), need);
    return need - 1;
}

BOOL CopyFileA(LPCSTR from, LPCSTR to, BOOL failIfExists) {
    ++M().calls.copyFile;
    std::string source = from ? platform::services::HostPath(from) : "";
    std::string target = to ? platform::services::HostPath(to) : "";
    std::error_code ec;
    if (source.empty() || !fs::is_regular_file(source, ec)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    if (target.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (failIfExists && fs::exists(target, ec)) {
        SetLastError(ERROR_FILE_EXISTS);
        return FALSE;
    }
    if (!fs::copy_file(source, target, fs::copy_options::overwrite_existing, ec)) {
        SetLastError(ec == std::errc::permission_denied ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

LPSTR lstrcatA(LPSTR s1, LPCSTR s2) {
    if (!s1 || !s2) return nullptr;
    return std::strcat(s1, s2);
}
