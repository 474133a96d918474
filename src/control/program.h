// The four-segment temperature program: a target held within each segment,
// stepping at the boundaries, 0 past the end.
#pragma once

#include <array>
#include <cstdint>

namespace control {

class Program {
public:
    static constexpr int kSegments = 4;

    // Segment k's target in whole degrees and duration in seconds.
    Program(const std::array<int, kSegments>& temps, const std::array<int, kSegments>& durations);

    // The target of the segment containing second t; 0 past the end.
    int TargetTemp(int t) const;
    // The seconds from the start of the segment containing t to t; 0 past the end.
    int SegmentTime(int t) const;
    // Whether no segment holds t: it lies at or past every boundary.
    bool PastTheEnd(long long t) const;

    // Where the target is constant: seconds [from, to) hold `temp`. Four
    // segments, then 0 past the end; a segment that is never selected holds
    // no second.
    struct Piece {
        std::int64_t from, to;
        int temp;
    };
    const std::array<Piece, kSegments + 1>& Pieces() const { return m_pieces; }

private:
    // The segment (1 to 4, 0 past the end) that t falls in, and its start.
    struct Place {
        int segment;
        std::int64_t start;
    };
    Place Locate(int t) const;

    std::array<int, kSegments> m_temps;
    // The running sums of the durations, in 64 bits: durations near the int
    // limits must not overflow, and for sums that fit nothing changes.
    std::array<std::int64_t, kSegments> m_bounds;
    std::array<Piece, kSegments + 1> m_pieces;
};

}  // namespace control
