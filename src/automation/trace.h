// The --trace file: one line per traced event, with the platform clock's time.
#pragma once

#include <string>

namespace automation {

// Starts writing the platform's trace to `path` ("" stops it).
void TraceOpen(const std::string& path);

}  // namespace automation
