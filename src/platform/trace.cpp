#include "platform/trace.h"

#include <cstdio>

#include "platform/clock.h"

namespace platform {
namespace {

std::FILE*& TraceFile() {
    static std::FILE* f = nullptr;
    return f;
}

}  // namespace

void TraceOpen(const std::string& path) {
    if (TraceFile()) std::fclose(TraceFile());
    TraceFile() = path.empty() ? nullptr : std::fopen(path.c_str(), "w");
}

void Trace(const char* event) {
    std::FILE* f = TraceFile();
    if (!f) return;
    std::fprintf(f, "%lld %s\n", static_cast<long long>(NowMs()), event);
    std::fflush(f);
}

}  // namespace platform
