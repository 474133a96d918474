#include "automation/trace.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/clock.h"
#include "platform/trace.h"

namespace automation {
namespace {

struct TraceFile {
    int fd = -1;
    long long lines = 0, lost = 0;
    bool gone = false;  // the reader closed its end
} g_trace;

void Write(const char* event) {
    char line[256];
    const int n =
        std::snprintf(line, sizeof line, "%lld %s\n", static_cast<long long>(platform::ActualMs()), event);
    const auto len = static_cast<std::size_t>(n < 0 ? 0 : std::min<int>(n, sizeof line - 1));
    ++g_trace.lines;
    if (g_trace.gone) {
        ++g_trace.lost;
        return;
    }
    // One write a line: on a pipe it goes whole or not at all.
    ssize_t done = ::write(g_trace.fd, line, len);
    if (done == static_cast<ssize_t>(len)) return;
    ++g_trace.lost;
    if (done < 0 && errno == EPIPE) g_trace.gone = true;
}

}  // namespace

bool TraceOpen(const std::string& path, std::string& error) {
    TraceClose();
    // Non-blocking: a pipe whose reader stalls refuses a line rather than
    // stopping the program; one that nobody reads is refused at once.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0) {
        error = errno == ENXIO ? "no program reads that pipe" : std::strerror(errno);
        return false;
    }
    g_trace = TraceFile{fd};
    platform::SetTraceSink(&Write);
    return true;
}

void TraceClose() {
    platform::SetTraceSink(nullptr);
    if (g_trace.fd < 0) return;
    ::close(g_trace.fd);
    if (g_trace.lost > 0)
        std::fprintf(stderr, "pyrelle: the trace lost %lld of its %lld lines: %s\n", g_trace.lost,
                     g_trace.lines, g_trace.gone ? "its reader went away" : "its reader did not keep up");
    g_trace = TraceFile{};
}

}  // namespace automation
