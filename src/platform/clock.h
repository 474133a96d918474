// The platform clock: one time base, in milliseconds, for every window timer
// and for the simulated hardware. Real time (optionally sped up) in the
// window system, virtual in tests and headless runs.
#pragma once

#include <cstdint>

namespace platform {

std::int64_t NowMs();

// Lets `ms` milliseconds pass, delivering every timer due up to and
// including the end, in order of their due times.
void AdvanceClock(std::int64_t ms);

}  // namespace platform
