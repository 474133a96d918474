#include "control/program.h"

#include <algorithm>

namespace control {

Program::Program(const std::array<int, kSegments>& temps, const std::array<int, kSegments>& durations)
    : m_temps(temps) {
    std::int64_t bound = 0;
    for (int k = 0; k < kSegments; ++k) m_bounds[k] = bound += durations[k];

    // The lookup's first-test rule: segment k holds the seconds below its
    // boundary that no earlier segment took, i.e. from the largest earlier
    // boundary on.
    constexpr std::int64_t kNever = INT64_MIN / 2;
    std::int64_t taken = kNever;
    for (int k = 0; k < kSegments; ++k) {
        m_pieces[k] = Piece{taken, m_bounds[k], m_temps[k]};
        taken = std::max(taken, m_bounds[k]);
    }
    m_pieces[kSegments] = Piece{taken, -kNever, 0};
}

// The first boundary that t lies below decides, so a segment of zero or
// negative duration can be skipped.
Program::Place Program::Locate(int t) const {
    std::int64_t start = 0;
    for (int k = 0; k < kSegments; ++k) {
        if (t < m_bounds[k]) return Place{k + 1, start};
        start = m_bounds[k];
    }
    return Place{0, 0};
}

bool Program::PastTheEnd(long long t) const {
    for (std::int64_t bound : m_bounds)
        if (t < bound) return false;
    return true;
}

int Program::TargetTemp(int t) const {
    const int segment = Locate(t).segment;
    return segment == 0 ? 0 : m_temps[segment - 1];
}

int Program::SegmentTime(int t) const {
    const Place place = Locate(t);
    // Always fits: a later segment is chosen only from its start on, and t
    // lies below its end, at most INT_MAX past the start.
    return place.segment == 0 ? 0 : static_cast<int>(t - place.start);
}

}  // namespace control
