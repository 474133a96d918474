#include "hardware/panel_line.h"

#include <algorithm>

namespace hw {
namespace {

// The port's other status lines: held at a level of their own, which the
// display lines must not disturb.
constexpr unsigned char kOtherLines = 0x47;

}  // namespace

DisplayLine::DisplayLine(std::int64_t phaseNs, std::uint64_t seed, bool jitter)
    : m_step(std::max<std::int64_t>(1, phaseNs / kMinSamplesPerPhase)), m_jitter(jitter), m_rng(seed) {
    m_ends.reserve(2 * kFrameBits + 1);
    m_levels.reserve(2 * kFrameBits + 1);
}

void DisplayLine::Show(const Readings& readings, bool outputOn) {
    m_next = readings;
    m_nextOn = outputOn;
}

void DisplayLine::StartFrame(std::int64_t at) {
    m_frameStart = at;
    m_sending = m_next;
    BuildFrame(m_next, m_nextOn, m_frame);
    m_ends.clear();
    m_levels.clear();
    m_at = 0;
    const int bits = m_faults.truncate < 0 ? kFrameBits : std::min(m_faults.truncate, kFrameBits);
    std::int64_t t = 0;
    std::uint64_t jitter = 0;
    for (int k = 0; k < bits; ++k) {
        if (k % 16 == 0) jitter = m_rng.Next();
        unsigned char data = m_frame[k] ? kDataBit : 0;
        if (m_faults.flip > 0.0 && m_rng.Chance(m_faults.flip)) data ^= kDataBit;
        const std::int64_t low = kMinSamplesPerPhase + (m_jitter ? static_cast<std::int64_t>(jitter & 3) : 0);
        const std::int64_t high =
            kMinSamplesPerPhase + (m_jitter ? static_cast<std::int64_t>((jitter >> 2) & 3) : 0);
        jitter >>= 4;
        t += low * m_step;
        m_ends.push_back(t);
        m_levels.push_back(data);
        t += high * m_step;
        m_ends.push_back(t);
        m_levels.push_back(data | kClockBit);
    }
    // A frame that breaks off leaves the line idle for the rest of its time.
    const std::int64_t rest = static_cast<std::int64_t>(kFrameBits - bits) * 2 * kMaxSamplesPerPhase;
    t += (kGapSamples + rest) * m_step;
    m_ends.push_back(t);
    m_levels.push_back(kClockBit | kDataBit);
}

unsigned char DisplayLine::StatusAt(std::int64_t ns) {
    if (!m_started) {
        m_started = true;
        StartFrame(ns);
    }
    // After a long silence of the reader the line is simply taken up afresh.
    if (ns - m_frameStart > 16 * m_ends.back()) StartFrame(ns);
    while (ns >= m_frameStart + m_ends.back()) StartFrame(m_frameStart + m_ends.back());
    while (ns >= m_frameStart + m_ends[m_at]) ++m_at;
    unsigned char line = m_levels[m_at];
    if (m_faults.clock != ClockLine::kRunning)
        line = static_cast<unsigned char>((line & kDataBit) |
                                          (m_faults.clock == ClockLine::kStuckHigh ? kClockBit : 0));
    return static_cast<unsigned char>(line | kOtherLines);
}

}  // namespace hw
