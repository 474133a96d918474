// The run's history: one sample per controller tick.
#pragma once

// One logged sample, tenths of a degree.
struct HistoryEntry {
    int nMain;
    int nAux;
};

namespace control {

// Twelve hours of one-second ticks.
inline constexpr int kHistorySize = 43200;

}  // namespace control
