// The platform clock: one time base, in milliseconds, for every window timer
// and for the simulated hardware. Real time (optionally sped up) in the
// window system, virtual in tests and headless runs.
#pragma once

#include <cstdint>

namespace platform {

std::int64_t NowMs();
// When things really happen: as NowMs, but in real time also while timers are
// being delivered (when NowMs holds the due time of the timer served).
std::int64_t ActualMs();

// Lets `ms` milliseconds pass, delivering every timer due up to and
// including the end, in order of their due times.
void AdvanceClock(std::int64_t ms);

// The application is asked to end, as by its window's Close: every modal
// loop closes its window, timers stop being delivered, and message boxes are
// told but not shown. Safe to call from a signal handler.
void RequestQuit();
bool QuitRequested();

}  // namespace platform
