#include "records/user_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace records {

bool ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string& text, std::string& why) {
    // Opened without waiting, so that a pipe with no writer cannot hold the
    // program up; what it is decides before anything is read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        why = std::strerror(errno);
        return false;
    }
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0;
    if (!ok)
        why = std::strerror(errno);
    else if (S_ISDIR(st.st_mode))
        why = "it is a folder", ok = false;
    else if (S_ISFIFO(st.st_mode))
        why = "it is a pipe, not a file", ok = false;
    else if (!S_ISREG(st.st_mode))
        why = "it is a device, not a file", ok = false;
    else if (static_cast<unsigned long long>(st.st_size) > maxBytes)
        why = "it is larger than " + std::to_string(maxBytes >> 20) + " MB", ok = false;
    text.clear();
    char buf[65536];
    while (ok) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) why = std::strerror(errno), ok = false;
        if (n <= 0) break;
        text.append(buf, static_cast<std::size_t>(n));
        if (text.size() > maxBytes)
            why = "it is larger than " + std::to_string(maxBytes >> 20) + " MB", ok = false;
    }
    ::close(fd);
    return ok;
}

std::string Excerpt(std::string_view text, std::size_t max) {
    std::string out;
    std::size_t shown = 0, i = 0;
    for (; i < text.size() && shown < max; ++shown) {
        const auto c = static_cast<unsigned char>(text[i]);
        // A whole UTF-8 sequence stays as it is.
        const std::size_t len = c < 0x80         ? 1
                                : (c >> 5) == 6  ? 2
                                : (c >> 4) == 14 ? 3
                                : (c >> 3) == 30 ? 4
                                                 : 0;
        bool whole = len > 1 && i + len <= text.size();
        for (std::size_t k = 1; whole && k < len; ++k)
            whole = (static_cast<unsigned char>(text[i + k]) >> 6) == 2;
        if (len == 1 && c >= 0x20 && c != 0x7F) {
            out += static_cast<char>(c);
            ++i;
        } else if (whole) {
            out.append(text.substr(i, len));
            i += len;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
            ++i;
        }
    }
    if (i < text.size()) out += "...";
    return out;
}

}  // namespace records
