#include "hardware/parport_capture.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "hardware/panel_signal.h"

namespace hw {
namespace {

constexpr unsigned char kLines = kClockBit | kDataBit;

// The positions the decoder reads: six of each digit group.
constexpr int kGroupBases[] = {45, 53, 61, 69, 77, 85, 101, 109, 117, 125, 133, 149, 157, 165};
constexpr int kGroupOffsets[] = {0, 1, 2, 4, 5, 6};

std::string Micros(std::int64_t ns) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f µs", static_cast<double>(ns) / 1000.0);
    return text;
}

std::string Millis(std::int64_t ns) {
    char text[32];
    std::snprintf(text, sizeof text, "%.0f ms", static_cast<double>(ns) / 1e6);
    return text;
}

bool High(unsigned char status) {
    return (status & kClockBit) != 0;
}

}  // namespace

bool MeasureLine(const std::vector<StatusRead>& reads, std::int64_t startNs, LineTiming& timing,
                 std::string& why) {
    timing = {};
    const std::size_t n = reads.size();
    if (n < 3) {
        why = "too few reads of the port";
        return false;
    }
    auto t = [&](std::ptrdiff_t i) { return i < 0 ? startNs : reads[static_cast<std::size_t>(i)].ns; };
    std::vector<std::int64_t> took(n);  // each read, with the clock read after it
    for (std::size_t i = 0; i < n; ++i)
        took[i] = t(static_cast<std::ptrdiff_t>(i)) - t(static_cast<std::ptrdiff_t>(i) - 1);
    std::vector<std::int64_t> sorted = took;
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(n / 2), sorted.end());
    timing.readNs = sorted[n / 2];
    // held[i]: reads before read i that took more than twice the median: the
    // reader was held up there.
    std::vector<std::size_t> held(n + 1, 0);
    for (std::size_t i = 0; i < n; ++i) held[i + 1] = held[i] + (took[i] > 2 * timing.readNs ? 1 : 0);
    const std::int64_t span = reads.back().ns - startNs;

    std::vector<std::size_t> changes;  // reads whose clock differs from the read before
    for (std::size_t i = 1; i < n; ++i)
        if (High(reads[i].status) != High(reads[i - 1].status)) changes.push_back(i);
    if (changes.empty()) {
        why = std::string("the display clock (pin 12) stayed ") + (High(reads[0].status) ? "high" : "low") +
              " for " + Millis(span) + ": is the instrument on and wired?";
        return false;
    }

    // A run of one clock level between two changes: it lasted at least `lo`
    // and at most `hi`; `quiet` when no read around it was held up.
    struct Run {
        std::size_t a, b;  // its first and last read
        std::int64_t lo, hi;
        bool quiet;
    };
    std::vector<Run> runs;
    for (std::size_t k = 0; k + 1 < changes.size(); ++k) {
        const std::size_t a = changes[k], b = changes[k + 1] - 1;
        const auto sa = static_cast<std::ptrdiff_t>(a), sb = static_cast<std::ptrdiff_t>(b);
        Run r{a, b, b > a ? t(sb - 1) - t(sa) : 0, t(sb + 1) - t(sa - 2), false};
        r.quiet = held[b + 2] - held[a - 1] == 0;
        runs.push_back(r);
    }
    std::vector<std::int64_t> quietHi;
    for (const Run& r : runs)
        if (r.quiet) quietHi.push_back(r.hi);
    if (quietHi.size() < 16) {
        why = "the port was held up too often to measure the display clock";
        return false;
    }
    std::nth_element(quietHi.begin(), quietHi.begin() + static_cast<std::ptrdiff_t>(quietHi.size() / 2),
                     quietHi.end());
    const std::int64_t typical = quietHi[quietHi.size() / 2];

    std::vector<const Run*> gaps;
    timing.minPhaseNs = -1;
    for (const Run& r : runs) {
        if (High(reads[r.a].status) && r.lo > 4 * typical) {
            gaps.push_back(&r);
            timing.gapNs = gaps.size() == 1 ? r.lo : std::min(timing.gapNs, r.lo);
        } else if (r.quiet) {
            timing.minPhaseNs = timing.minPhaseNs < 0 ? r.lo : std::min(timing.minPhaseNs, r.lo);
            timing.maxPhaseNs = std::max(timing.maxPhaseNs, r.hi);
        }
    }
    timing.minPhaseNs = std::max<std::int64_t>(timing.minPhaseNs, 0);
    if (gaps.size() < 2) {
        why = "no idle line between display frames in " + Millis(span) +
              ": is the display wired to pins 12 and 13?";
        return false;
    }
    if (timing.gapNs <= 2 * timing.maxPhaseNs) {
        why = "the idle line between display frames (" + Micros(timing.gapNs) +
              ") is too short to tell from a clock phase (" + Micros(timing.maxPhaseNs) + ")";
        return false;
    }
    // Frames read without a hole that could hide an edge give their length;
    // any other frame may have lost edges.
    std::vector<std::size_t> holes(n + 1, 0);  // holes before read i
    for (std::size_t i = 0; i < n; ++i) {
        const auto si = static_cast<std::ptrdiff_t>(i);
        const bool same = i == 0 || High(reads[i].status) == High(reads[i - 1].status);
        const bool hole = t(si) - t(si - 2) >= (same ? 1 : 2) * timing.minPhaseNs;
        holes[i + 1] = holes[i] + (hole ? 1 : 0);
    }
    std::vector<std::int64_t> periods;
    int cleanBits = -1, anyBits = 0;
    for (std::size_t k = 0; k + 1 < gaps.size(); ++k) {
        const std::size_t from = gaps[k]->b, to = gaps[k + 1]->a;
        periods.push_back(reads[to].ns - reads[gaps[k]->a].ns);
        int edges = 0;
        for (auto i = std::upper_bound(changes.begin(), changes.end(), from); i != changes.end() && *i <= to;
             ++i)
            if (High(reads[*i].status)) ++edges;
        anyBits = std::max(anyBits, edges);
        if (holes[to + 1] == holes[from + 1]) cleanBits = std::max(cleanBits, edges);
    }
    std::nth_element(periods.begin(), periods.begin() + static_cast<std::ptrdiff_t>(periods.size() / 2),
                     periods.end());
    timing.periodNs = periods[periods.size() / 2];
    timing.frameBits = cleanBits >= 0 ? cleanBits : anyBits;
    timing.frameBitsSure = cleanBits >= 0;
    if (cleanBits >= 0 && cleanBits < kFrameReadBits) {
        why = "the display frames have " + std::to_string(cleanBits) + " bits, the readings need " +
              std::to_string(kFrameReadBits);
        return false;
    }
    return true;
}

bool FastEnough(const LineTiming& timing) {
    // An ordinary hole spans two reads; reads vary by a quarter.
    return 5 * timing.readNs < 2 * timing.minPhaseNs;
}

FrameCapture::FrameCapture(const LineTiming& timing, std::int64_t startNs)
    : m_minPhase(timing.minPhaseNs), m_idleNs(timing.IdleNs()), m_t2(startNs) {
    m_samples.reserve(4 * kFrameReadBits + 2);
}

void FrameCapture::Restart(const std::string& why) {
    m_why = why;
    m_havePrev = false;
    m_state = State::kSeek;
}

void FrameCapture::FrameRead() {
    m_state = State::kSeek;
    if (m_havePrev) {
        for (int base : kGroupBases)
            for (int offset : kGroupOffsets)
                if (m_bits[base + offset] != m_prevBits[base + offset]) {
                    m_why = "two successive frames differ at bit " + std::to_string(base + offset);
                    std::copy(std::begin(m_bits), std::end(m_bits), std::begin(m_prevBits));
                    return;
                }
        m_result = m_samples;
        return;
    }
    std::copy(std::begin(m_bits), std::end(m_bits), std::begin(m_prevBits));
    m_havePrev = true;
}

bool FrameCapture::Feed(std::int64_t ns, unsigned char status) {
    const bool high = High(status);
    if (m_first) {
        m_first = false;
        m_t1 = ns;
        m_s1 = status;
        m_runT0 = ns;
        m_highSince = high ? ns : -1;
        return false;
    }
    const std::int64_t hole = ns - m_t2;
    m_maxHole = std::max(m_maxHole, hole);
    const bool same = high == High(m_s1);
    const bool clean = hole < (same ? m_minPhase : 2 * m_minPhase);

    if (!same) {
        m_sawEdge = true;
        // The run that ends here: a phase shorter than the shortest taken for
        // granted means the holes judged so far were not safe.
        if (m_runBounded) {
            const std::int64_t upper = ns - m_runT2;
            if (upper < m_minPhase) {
                m_minPhase = std::max<std::int64_t>(0, m_t2 - m_runT0);
                Restart("a clock phase of less than " + Micros(upper) + " is shorter than measured");
            }
        }
        m_runBounded = true;
        m_runT2 = m_t2;
        m_runT0 = ns;
    }

    // How long the clock has been high, read without holes.
    std::int64_t highFor = -1;
    if (!high) {
        m_highSince = -1;
    } else if (!same || !clean || m_highSince < 0) {
        m_highSince = ns;
    } else {
        highFor = m_t1 - m_highSince;
    }

    switch (m_state) {
        case State::kSeek:
            if (highFor >= m_idleNs) m_state = State::kIdle;
            break;
        case State::kIdle:
            if (!clean) {
                m_state = State::kSeek;
            } else if (!high) {
                m_state = State::kFrame;
                ++m_attempts;
                m_edges = 0;
                m_samples.assign({m_s1, status});
            }
            break;
        case State::kFrame:
            if (!clean) {
                Restart("a hole of " + Micros(hole) +
                        " between two reads could hide a clock edge before bit " + std::to_string(m_edges));
                break;
            }
            if ((status & kLines) != (m_samples.back() & kLines)) m_samples.push_back(status);
            if (high && !same) {
                m_bits[m_edges++] = (status & kDataBit) ? 1 : 0;
                if (m_edges == kFrameReadBits) FrameRead();
            } else if (highFor >= m_idleNs) {
                Restart("the frame ended after " + std::to_string(m_edges) + " bits");
                m_state = State::kIdle;
            }
            break;
    }

    m_t2 = m_t1;
    m_t1 = ns;
    m_s1 = status;
    return !m_result.empty();
}

std::string FrameCapture::Why() const {
    if (!m_why.empty()) return m_why;
    if (!m_sawEdge)
        return std::string("no clock edges: the display clock (pin 12) stays ") +
               (High(m_s1) ? "high" : "low");
    if (m_attempts == 0) return "no frame began after an idle line read without holes";
    return "no frame read to its end";
}

}  // namespace hw
