#include "records/run_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>

namespace records {
namespace {

// Writes all of `data` and forces it to disk; false with errno set on failure.
bool WriteAndSync(int fd, const std::string& data) {
    const char* p = data.data();
    std::size_t left = data.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return ::fsync(fd) == 0;
}

// Closes `fd`; a failure before the close keeps its own errno.
bool CloseAfter(int fd, bool ok) {
    int earlier = errno;
    bool closed = ::close(fd) == 0;
    if (!ok) errno = earlier;
    return ok && closed;
}

// Writes `name` in place, as a plain open for writing would.
int WriteInPlace(const std::string& name, const std::string& data) {
    int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return errno;
    return CloseAfter(fd, WriteAndSync(fd, data)) ? 0 : errno;
}

}  // namespace

std::string LogName(const std::string& fileNumber) {
    return "Tdata" + fileNumber + ".txt";
}

std::string FormatRunLog(const HistoryEntry* samples, int count) {
    std::string out;
    out.reserve(static_cast<std::size_t>(count) * 16 + 16);
    auto put = [&out](int v) {
        char buf[16];
        auto r = std::to_chars(buf, buf + sizeof buf, v);
        out.append(buf, r.ptr);
    };
    put(count);
    out += "\r\n\r\n";
    for (int i = 0; i < count; ++i) {
        put(samples[i].nMain);
        out += ' ';
        put(samples[i].nAux);
        out += "\r\n";
    }
    return out;
}

// Replaces `name` by `data` so that a crash leaves either the old file or the
// new one whole: a temporary file beside it, synced, then renamed over it.
// Where no temporary file can be made (a directory that takes no new files)
// the file is written in place.
int SaveFile(const std::string& name, const std::string& data) {
    struct stat st {};
    bool exists = ::lstat(name.c_str(), &st) == 0;
    // A link is written through, as before; a log the user made read-only stays refused.
    if (exists && S_ISLNK(st.st_mode)) return WriteInPlace(name, data);
    if (exists && ::access(name.c_str(), W_OK) != 0) return errno;

    const std::string temp = name + ".tmp";
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return WriteInPlace(name, data);
    mode_t mode = st.st_mode & 07777;
    if (!exists) {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    bool ok = ::fchmod(fd, mode) == 0 && WriteAndSync(fd, data);
    if (CloseAfter(fd, ok) && ::rename(temp.c_str(), name.c_str()) == 0) return 0;
    int err = errno;
    ::unlink(temp.c_str());
    return err;
}

}  // namespace records
