// The --trace file: one line per traced event, with the time it happened.
// Writing it never holds up the program: a line that a stalled reader cannot
// take at once is dropped and counted, and a reader that went away ends it.
#pragma once

#include <string>

namespace automation {

// Starts writing the platform's trace to `path`; false with the reason in
// `error` when it cannot be opened.
bool TraceOpen(const std::string& path, std::string& error);
// Stops it; says on standard error how many lines were lost, if any.
void TraceClose();

}  // namespace automation
