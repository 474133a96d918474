#include "records/run_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>

namespace records {
namespace {

// Writes all of `data` and forces it to disk; false with errno set on failure.
bool WriteAndSync(int fd, const std::string& data) {
    return WriteAll(fd, data) && ::fsync(fd) == 0;
}

// What a file that is not a regular file is, for the user.
std::string KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a pipe (FIFO)";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

// Closes `fd`; a failure before the close keeps its own errno.
bool CloseAfter(int fd, bool ok) {
    int earlier = errno;
    bool closed = ::close(fd) == 0;
    if (!ok) errno = earlier;
    return ok && closed;
}

}  // namespace

bool WriteAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

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
// new one whole: a temporary file of a unique name, made exclusively beside
// it, synced, then renamed over it. Where no temporary file can be made (a
// folder that takes no new files) a log that does not exist yet is written in
// place; an existing one is left alone. A link is followed to its file.
std::string SaveFile(const std::string& name, const std::string& data) {
    std::string path = name;
    struct stat st {};
    bool exists = ::lstat(path.c_str(), &st) == 0;
    if (exists && S_ISLNK(st.st_mode)) {
        char* target = ::realpath(name.c_str(), nullptr);
        if (!target)
            return "it is a link to nothing that can be written (" + std::string(std::strerror(errno)) + ")";
        path = target;
        std::free(target);
        exists = ::lstat(path.c_str(), &st) == 0;
    }
    if (exists && !S_ISREG(st.st_mode)) return "it is " + KindOf(st.st_mode) + ", not a file";
    if (exists && ::access(path.c_str(), W_OK) != 0) return std::strerror(errno);

    std::string temp = path + ".XXXXXX";
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        if (exists)
            return "no temporary file can be made beside it (" + std::string(std::strerror(errno)) +
                   "), and the earlier log is kept as it was";
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) return std::strerror(errno);
        if (CloseAfter(fd, WriteAndSync(fd, data))) return {};
        const int err = errno;
        ::unlink(path.c_str());
        return std::strerror(err);
    }
    mode_t mode = st.st_mode & 07777;
    if (!exists) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    const bool ok = ::fchmod(fd, mode) == 0 && WriteAndSync(fd, data);
    if (CloseAfter(fd, ok) && ::rename(temp.c_str(), path.c_str()) == 0) return {};
    const int err = errno;
    ::unlink(temp.c_str());
    return std::strerror(err);
}

}  // namespace records
