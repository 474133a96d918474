// The instrument's display line in continuous time: the frames of
// panel_signal.h sent with clock phases of a given length, as a parallel
// port's status register would show them at any moment.
#pragma once

#include <cstdint>
#include <vector>

#include "hardware/panel_signal.h"

namespace hw {

class DisplayLine {
public:
    // Clock phases last `phaseNs` to twice that, in the simulator's steps of
    // a third (or exactly `phaseNs` without `jitter`); frames are parted by
    // the simulator's idle gap of 160 such steps.
    DisplayLine(std::int64_t phaseNs, std::uint64_t seed, bool jitter = true);

    // What the display shows from the next frame on.
    void Show(const Readings& readings, bool outputOn);
    void SetFaults(const StreamFaults& faults) { m_faults = faults; }

    // The status register at `ns`; times must not go backwards.
    unsigned char StatusAt(std::int64_t ns);

    // What the frame being sent at the last StatusAt shows.
    const Readings& Sending() const { return m_sending; }
    std::int64_t FrameStart() const { return m_frameStart; }

private:
    void StartFrame(std::int64_t at);

    std::int64_t m_step;
    bool m_jitter;
    Rng m_rng;
    StreamFaults m_faults;
    Readings m_next{};
    bool m_nextOn = false;
    Readings m_sending{};
    Frame m_frame{};
    // The frame in progress: the end of each phase, relative to its start,
    // and the line level during it; the last entry is the idle gap.
    std::vector<std::int64_t> m_ends;
    std::vector<unsigned char> m_levels;
    std::size_t m_at = 0;
    std::int64_t m_frameStart = 0;
    bool m_started = false;
};

}  // namespace hw
