#include "automation/trace.h"

#include <cstdio>

#include "platform/clock.h"
#include "platform/trace.h"

namespace automation {
namespace {

std::FILE* g_file = nullptr;

void Write(const char* event) {
    std::fprintf(g_file, "%lld %s\n", static_cast<long long>(platform::NowMs()), event);
    std::fflush(g_file);
}

}  // namespace

void TraceOpen(const std::string& path) {
    platform::SetTraceSink(nullptr);
    if (g_file) std::fclose(g_file);
    g_file = path.empty() ? nullptr : std::fopen(path.c_str(), "w");
    if (g_file) platform::SetTraceSink(&Write);
}

}  // namespace automation
