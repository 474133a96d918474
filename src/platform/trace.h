// A hook for a trace of events: devices report what they do here, and
// whatever the program installs records it.
#pragma once

namespace platform {

using TraceSink = void (*)(const char* event);
// Installs the sink (nullptr: events go nowhere).
void SetTraceSink(TraceSink sink);
void Trace(const char* event);

}  // namespace platform
