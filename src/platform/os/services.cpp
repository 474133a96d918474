// The service control manager, emulated, with the system directory and the
// file copies that a driver's installation needs.
#include "platform/os/services.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string_view>

namespace fs = std::filesystem;

namespace platform::services {
namespace {

constexpr DWORD kAnonymousManagerAccess = SC_MANAGER_CONNECT;

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
};

Manager& M() {
    static Manager m;
    return m;
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

// The one service's name: any other is no service of this manager.
bool IsTheService(const char* name) {
    return !M().state.name.empty() && SameText(name, M().state.name);
}

bool BadName(const char* name) {
    return !name || !*name || std::strchr(name, '/') || std::strchr(name, '\\');
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
    const Manager& m = M();
    const char* own = m.folderVariable.empty() ? nullptr : std::getenv(m.folderVariable.c_str());
    if (own && *own) return own;
    std::string base = "/tmp";
    for (const char* var : {"XDG_RUNTIME_DIR", "TMPDIR"}) {
        const char* v = std::getenv(var);
        if (v && v[0] == '/') {
            base = v;
            break;
        }
    }
    return base + "/" + m.folderStem + "-" + std::to_string(geteuid());
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

// Sets the error of the call and returns `result`.
template <typename T>
T Done(DWORD error, T result) {
    SetLastError(error);
    return result;
}

}  // namespace

void Setup(const State& start, const std::string& folderVariable, const std::string& folderStem) {
    M().start = start;
    M().folderVariable = folderVariable;
    M().folderStem = folderStem;
    Reset();
}

void Reset() {
    Reset(M().start);
}

void Reset(const State& state) {
    Manager& m = M();
    m.state = state;
    m.calls = Calls{};
    m.handles.clear();
    // Chosen now: the window system may set a runtime directory of its own later.
    m.folder = state.systemFolder.empty() ? DefaultFolder() : state.systemFolder;
    m.prepared = false;
}

void PlaceDriverFile() {
    const State& s = M().state;
    std::string file = s.exists ? DriverFile() : "";
    std::error_code ec;
    if (!file.empty() && !fs::exists(file, ec))
        std::ofstream(file, std::ios::binary) << s.name << " kernel driver (emulated)\n";
}

bool ServiceRunning(const std::string& name) {
    return IsTheService(name.c_str()) && M().state.exists && M().state.running;
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

}  // namespace platform::services

using namespace platform::services;

SC_HANDLE OpenSCManagerA(LPCSTR machine, LPCSTR database, DWORD access) {
    const State& s = M().state;
    ++M().calls.openManager;
    // Only the local machine's active database exists.
    if ((machine && *machine) || (database && std::strcmp(database, "ServicesActive") != 0))
        return Done<SC_HANDLE>(ERROR_DATABASE_DOES_NOT_EXIST, nullptr);
    if (s.managerError) return Done<SC_HANDLE>(s.managerError, nullptr);
    if (!s.managerRights && (access & ~kAnonymousManagerAccess))
        return Done<SC_HANDLE>(ERROR_ACCESS_DENIED, nullptr);
    return Done(ERROR_SUCCESS, NewHandle(Kind::Manager, access));
}

SC_HANDLE OpenServiceA(SC_HANDLE manager, LPCSTR name, DWORD access) {
    const State& s = M().state;
    ++M().calls.openService;
    DWORD error = ERROR_SUCCESS;
    if (!Find(manager, Kind::Manager))
        error = ERROR_INVALID_HANDLE;
    else if (BadName(name))
        error = ERROR_INVALID_NAME;
    else if (s.openServiceError)
        error = s.openServiceError;
    else if (!s.exists || !IsTheService(name))
        error = ERROR_SERVICE_DOES_NOT_EXIST;
    else if (!s.serviceRights)
        error = ERROR_ACCESS_DENIED;
    return Done(error, error ? nullptr : NewHandle(Kind::Service, access));
}

BOOL StartServiceA(SC_HANDLE service, DWORD, LPCSTR*) {
    State& s = M().state;
    ++M().calls.startService;
    const Handle* h = Find(service, Kind::Service);
    DWORD error = ERROR_SUCCESS;
    if (!h)
        error = ERROR_INVALID_HANDLE;
    else if (!(h->access & SERVICE_START))
        error = ERROR_ACCESS_DENIED;
    else if (!s.exists)
        error = ERROR_SERVICE_DOES_NOT_EXIST;  // removed while the handle was open
    else if (s.running)
        error = ERROR_SERVICE_ALREADY_RUNNING;
    else {
        // A kernel driver starts only from its file.
        std::string file = DriverFile();
        std::error_code ec;
        if (file.empty() || !fs::is_regular_file(file, ec)) error = ERROR_FILE_NOT_FOUND;
    }
    if (!error) s.running = true;
    return Done(error, error ? FALSE : TRUE);
}

SC_HANDLE CreateServiceA(SC_HANDLE manager, LPCSTR name, LPCSTR displayName, DWORD access, DWORD type,
                         DWORD start, DWORD errorControl, LPCSTR binaryPath, LPCSTR, LPDWORD, LPCSTR, LPCSTR,
                         LPCSTR) {
    State& s = M().state;
    ++M().calls.createService;
    const Handle* h = Find(manager, Kind::Manager);
    DWORD error = ERROR_SUCCESS;
    if (!h)
        error = ERROR_INVALID_HANDLE;
    else if (!(h->access & SC_MANAGER_CREATE_SERVICE))
        error = ERROR_ACCESS_DENIED;
    else if (BadName(name))
        error = ERROR_INVALID_NAME;
    else if (!binaryPath || !*binaryPath)
        error = ERROR_INVALID_PARAMETER;
    else if (s.createServiceError)
        error = s.createServiceError;
    else if (!IsTheService(name))
        error = ERROR_ACCESS_DENIED;  // this manager keeps the one service only
    else if (s.exists)
        error = ERROR_SERVICE_EXISTS;
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
    if (M().handles.erase(reinterpret_cast<std::uintptr_t>(handle)) == 0)
        return Done(ERROR_INVALID_HANDLE, FALSE);
    return Done(ERROR_SUCCESS, TRUE);
}

UINT GetSystemDirectoryA(LPSTR buffer, UINT size) {
    const std::string& dir = M().state.systemDirectory;
    if (dir.empty() || SystemFolder().empty()) return Done(ERROR_PATH_NOT_FOUND, 0u);
    UINT need = static_cast<UINT>(dir.size() + 1);
    if (!buffer || size < need) return need;
    std::memcpy(buffer, dir.c_str(), need);
    return need - 1;
}

BOOL CopyFileA(LPCSTR from, LPCSTR to, BOOL failIfExists) {
    ++M().calls.copyFile;
    std::string source = from ? HostPath(from) : "";
    std::string target = to ? HostPath(to) : "";
    std::error_code ec;
    if (source.empty() || !fs::is_regular_file(source, ec)) return Done(ERROR_FILE_NOT_FOUND, FALSE);
    if (target.empty()) return Done(ERROR_PATH_NOT_FOUND, FALSE);
    if (failIfExists && fs::exists(target, ec)) return Done(ERROR_FILE_EXISTS, FALSE);
    if (!fs::copy_file(source, target, fs::copy_options::overwrite_existing, ec))
        return Done(ec == std::errc::permission_denied ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND, FALSE);
    return Done(ERROR_SUCCESS, TRUE);
}

LPSTR lstrcatA(LPSTR s1, LPCSTR s2) {
    if (!s1 || !s2) return nullptr;
    return std::strcat(s1, s2);
}
