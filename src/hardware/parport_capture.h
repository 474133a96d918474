// Display frames from timestamped reads of a parallel port's status
// register, and the checks that let a frame reach the decoder.
//
// A user-space reader can be held up between any two reads. Each read is
// followed by a read of the monotonic clock, so a read happened after the
// clock read before it and before the one after it: two successive reads lie
// at most `t[i+1] - t[i-1]` apart (a "hole"). A hole can hide a clock edge
// only if a whole clock phase fits in it, so a frame is taken only when every
// hole up to its last bit that the decoder reads is shorter than the shortest
// phase (two phases across a change of level), and only when the next frame
// agrees with it on every bit the decoder reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace hw {

// One read of the status register and the clock read right after it.
struct StatusRead {
    std::int64_t ns;
    unsigned char status;
};

// What a look at the port and the display found.
struct LineTiming {
    std::int64_t readNs = 0;      // one status read, the median
    std::int64_t minPhaseNs = 0;  // no clock phase is shorter
    std::int64_t maxPhaseNs = 0;  // no clock phase inside a frame is longer
    std::int64_t gapNs = 0;       // the idle line between frames lasts at least this
    int frameBits = 0;            // rising clock edges in a frame
    bool frameBitsSure = false;   // counted in a frame read without holes; else at least that many
    std::int64_t periodNs = 0;    // from one frame to the next, the median
    // A high stretch of the clock read without holes and lasting this long
    // lies between two frames.
    std::int64_t IdleNs() const { return (maxPhaseNs + gapNs) / 2; }
};

// The decoder reads the bits of a frame up to position 171.
inline constexpr int kFrameReadBits = 172;

// Measures the line from `reads`, taken from `startNs` on. False with `why`
// when the reads show no usable display frames; `timing.readNs` is set
// whenever there are reads.
bool MeasureLine(const std::vector<StatusRead>& reads, std::int64_t startNs, LineTiming& timing,
                 std::string& why);

// Whether frames could ever be read cleanly at this read speed: a hole of
// two ordinary reads must stay below the shortest phase.
bool FastEnough(const LineTiming& timing);

// Takes reads one at a time until two successive frames have been read
// cleanly and agree.
class FrameCapture {
public:
    FrameCapture(const LineTiming& timing, std::int64_t startNs);

    // The next read (times never go back); true once a frame can be handed on.
    bool Feed(std::int64_t ns, unsigned char status);

    // The frame handed on: the idle line before it, then one read per change
    // of the clock or data line, up to the first read of its 172nd bit.
    const std::vector<unsigned char>& Samples() const { return m_result; }
    // Frames begun.
    int Attempts() const { return m_attempts; }
    // The longest hole between two reads.
    std::int64_t MaxHoleNs() const { return m_maxHole; }
    // The shortest phase taken for granted; lowered when the line shows a
    // shorter one (a glitch, or a display that got faster): what was read
    // before is then dropped.
    std::int64_t MinPhaseNs() const { return m_minPhase; }
    // Why no frame could be handed on (so far).
    std::string Why() const;

private:
    enum class State { kSeek, kIdle, kFrame };

    void Restart(const std::string& why);
    void FrameRead();

    std::int64_t m_minPhase;
    std::int64_t m_idleNs;
    std::int64_t m_t2;  // the clock two reads back
    std::int64_t m_t1 = 0;
    unsigned char m_s1 = 0;
    bool m_first = true;
    bool m_sawEdge = false;

    // The current run of one clock level.
    bool m_runBounded = false;
    std::int64_t m_runT2 = 0;  // the clock two reads before its first read
    std::int64_t m_runT0 = 0;  // the clock after its first read
    // Since when the clock has been read high without holes; -1: it is low.
    std::int64_t m_highSince = -1;

    State m_state = State::kSeek;
    int m_edges = 0;
    unsigned char m_bits[kFrameReadBits] = {};
    unsigned char m_prevBits[kFrameReadBits] = {};
    bool m_havePrev = false;
    std::vector<unsigned char> m_samples;
    std::vector<unsigned char> m_result;
    int m_attempts = 0;
    std::int64_t m_maxHole = 0;
    std::string m_why;
};

}  // namespace hw
