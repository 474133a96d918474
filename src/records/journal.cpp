#include "records/journal.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "records/run_log.h"

namespace records {
namespace {

constexpr const char* kMagic = "pyrelle-journal 1\n";
constexpr const char* kSuffix = ".journal";
constexpr int kSyncEvery = 10;
// A journal longer than the longest run's is not one of ours.
constexpr std::size_t kMaxJournal = 4u << 20;

// Makes `path` and its parents, private to the user.
bool MakeFolders(const std::string& path) {
    for (std::size_t at = 1; at <= path.size(); ++at) {
        if (at < path.size() && path[at] != '/') continue;
        const std::string part = path.substr(0, at);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The run's folder on one line: a newline or a percent sign in it is escaped.
std::string Escape(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '%')
            out += "%25";
        else if (c == '\n')
            out += "%0A";
        else
            out += c;
    }
    return out;
}
std::string Unescape(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && s.substr(i, 3) == "%25") {
            out += '%';
            i += 2;
        } else if (s[i] == '%' && s.substr(i, 3) == "%0A") {
            out += '\n';
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

bool ParseInt(std::string_view s, long long& v) {
    const char* end = s.data() + s.size();
    const auto [p, ec] = std::from_chars(s.data(), end, v);
    return ec == std::errc{} && p == end && !s.empty();
}

std::string ReadSmallFile(int fd, bool& ok) {
    std::string text;
    char buf[65536];
    ok = true;
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        text.append(buf, static_cast<std::size_t>(n));
        if (text.size() > kMaxJournal) {
            ok = false;
            break;
        }
    }
    return text;
}

}  // namespace

std::string StateFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/') return std::string(state) + "/pyrelle";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::string(home) + "/.local/state/pyrelle";
    return {};
}

Journal::~Journal() {
    if (m_fd >= 0) ::close(m_fd);
}

bool Journal::Start(const std::string& stateFolder, const std::string& runFolder, std::string& error) {
    Discard();
    if (stateFolder.empty()) {
        error = "no folder for it is known (neither XDG_STATE_HOME nor HOME is set)";
        return false;
    }
    if (!MakeFolders(stateFolder)) {
        error = stateFolder + ": " + std::strerror(errno);
        return false;
    }
    const long long now = static_cast<long long>(std::time(nullptr));
    const std::string stem = stateFolder + "/run-" + std::to_string(::getpid()) + "-" + std::to_string(now);
    std::string path;
    int fd = -1;
    for (int n = 1; fd < 0 && n < 100; ++n) {
        path = stem + "-" + std::to_string(n) + kSuffix;
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    // Held while the run goes on: a journal that no program holds is an orphan.
    ::flock(fd, LOCK_EX | LOCK_NB);
    const std::string head =
        std::string(kMagic) + "folder " + Escape(runFolder) + "\nstarted " + std::to_string(now) + "\n";
    if (!WriteAll(fd, head) || ::fsync(fd) != 0) {
        error = path + ": " + std::strerror(errno);
        ::close(fd);
        ::unlink(path.c_str());
        return false;
    }
    m_fd = fd;
    m_path = path;
    m_unsynced = 0;
    return true;
}

bool Journal::Append(const HistoryEntry& sample) {
    if (m_fd < 0) return false;
    const std::string line = std::to_string(sample.nMain) + " " + std::to_string(sample.nAux) + "\n";
    if (!WriteAll(m_fd, line)) return false;
    // At most one sync a second of real time: a run sped up or on a virtual
    // clock syncs less often than every tenth sample.
    const auto now = std::chrono::steady_clock::now();
    if (++m_unsynced >= kSyncEvery && now - m_lastSync >= std::chrono::seconds(1)) {
        m_unsynced = 0;
        m_lastSync = now;
        return ::fdatasync(m_fd) == 0;
    }
    return true;
}

void Journal::Close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    m_path.clear();
}

void Journal::Discard() {
    if (m_fd < 0) return;
    ::unlink(m_path.c_str());
    ::close(m_fd);
    m_fd = -1;
    m_path.clear();
}

bool ReadJournal(const std::string& text, JournalRun& run) {
    run = JournalRun{};
    std::string_view rest = text;
    auto line = [&rest](std::string_view& out) {
        const std::size_t nl = rest.find('\n');
        if (nl == std::string_view::npos) return false;  // cut mid-line: not whole
        out = rest.substr(0, nl);
        rest.remove_prefix(nl + 1);
        return true;
    };
    std::string_view l;
    if (rest.substr(0, std::strlen(kMagic)) != kMagic) return false;
    rest.remove_prefix(std::strlen(kMagic));
    if (!line(l) || l.substr(0, 7) != "folder ") return false;
    run.folder = Unescape(l.substr(7));
    if (!line(l) || l.substr(0, 8) != "started " || !ParseInt(l.substr(8), run.started)) return false;
    while (line(l) && run.samples.size() < static_cast<std::size_t>(control::kHistorySize)) {
        const std::size_t sp = l.find(' ');
        long long main = 0, aux = 0;
        if (sp == std::string_view::npos || !ParseInt(l.substr(0, sp), main) ||
            !ParseInt(l.substr(sp + 1), aux) || main < INT32_MIN || main > INT32_MAX || aux < INT32_MIN ||
            aux > INT32_MAX)
            break;  // damage: what came before it is kept
        run.samples.push_back(HistoryEntry{static_cast<int>(main), static_cast<int>(aux)});
    }
    return true;
}

std::string SaveRecovered(const std::string& folder, long long when, const HistoryEntry* samples, int count,
                          int& err) {
    const std::time_t t = static_cast<std::time_t>(when);
    std::tm tm{};
    char stamp[32] = "unknown";
    if (::localtime_r(&t, &tm)) std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
    const std::string data = FormatRunLog(samples, count);
    for (int n = 1; n < 1000; ++n) {
        char leaf[96];
        if (n == 1)
            std::snprintf(leaf, sizeof leaf, "/Tdata-recovered-%s.txt", stamp);
        else
            std::snprintf(leaf, sizeof leaf, "/Tdata-recovered-%s-%d.txt", stamp, n);
        const std::string path = folder + leaf;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) {
            err = errno;
            return {};
        }
        bool ok = WriteAll(fd, data) && ::fsync(fd) == 0;
        err = errno;
        ok = ::close(fd) == 0 && ok;
        if (ok) return path;
        ::unlink(path.c_str());
        return {};
    }
    err = EEXIST;
    return {};
}

std::vector<Recovery> RecoverJournals(const std::string& stateFolder) {
    std::vector<Recovery> out;
    if (stateFolder.empty()) return out;
    DIR* dir = ::opendir(stateFolder.c_str());
    if (!dir) return out;
    std::vector<std::string> names;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name.size() > std::strlen(kSuffix) && name.ends_with(kSuffix)) names.push_back(name);
    }
    ::closedir(dir);
    for (const std::string& name : names) {
        const std::string path = stateFolder + "/" + name;
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st {};
        // A journal a running program holds is not an orphan.
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            continue;
        }
        bool read = false;
        const std::string text = ReadSmallFile(fd, read);
        JournalRun run;
        Recovery r;
        if (!read || !ReadJournal(text, run)) {
            ::close(fd);
            continue;  // not a journal of ours: left alone
        }
        r.samples = static_cast<int>(run.samples.size());
        r.started = run.started;
        if (r.samples > 0) {
            int err = 0;
            r.saved = SaveRecovered(run.folder, run.started, run.samples.data(), r.samples, err);
            if (r.saved.empty()) {
                const std::string why = run.folder + ": " + std::strerror(err);
                r.saved = SaveRecovered(stateFolder, run.started, run.samples.data(), r.samples, err);
                r.error = why;
            }
        }
        if (r.samples == 0 || !r.saved.empty()) ::unlink(path.c_str());
        ::close(fd);
        if (r.samples > 0) out.push_back(r);
    }
    return out;
}

}  // namespace records
