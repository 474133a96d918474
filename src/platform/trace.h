// A trace of events, one line each with the platform clock's time (--trace).
#pragma once

#include <string>

namespace platform {

// Starts writing the trace to `path` ("" stops it).
void TraceOpen(const std::string& path);
void Trace(const char* event);

}  // namespace platform
