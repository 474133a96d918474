#include "hardware/sim_port.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <utility>

#include "records/user_files.h"

namespace hw {
namespace {

int Tenths(double degrees, Rng& noise) {
    // About a tenth of a degree of measurement noise.
    const double jitter = 1.5 * (noise.Uniform() + noise.Uniform() - 1.0);
    return static_cast<int>(std::clamp(std::lround(degrees * 10.0 + jitter), 0L, 99999L));
}

bool ParseProbability(std::string_view text, double& p) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, p);
    return ec == std::errc{} && ptr == end && p >= 0.0 && p <= 1.0;
}

}  // namespace

bool ParseSimFaults(std::string_view options, SimFaults& faults, std::string& error) {
    while (true) {
        const std::size_t comma = options.find(',');
        const std::string_view item = options.substr(0, comma);
        const std::size_t eq = item.find('=');
        const std::string_view key = item.substr(0, eq);
        const std::string_view value =
            eq == std::string_view::npos ? std::string_view{} : item.substr(eq + 1);
        bool ok = true;
        if (key == "fail" && eq == std::string_view::npos) {
            faults.fail = true;
        } else if (key == "flip") {
            ok = ParseProbability(value, faults.stream.flip);
        } else if (key == "drop") {
            ok = ParseProbability(value, faults.drop);
        } else if (key == "stuck") {
            ok = value == "high" || value == "low";
            faults.stream.clock = value == "high" ? ClockLine::kStuckHigh : ClockLine::kStuckLow;
        } else if (key == "truncate") {
            const char* end = value.data() + value.size();
            auto [ptr, ec] = std::from_chars(value.data(), end, faults.stream.truncate);
            ok = !value.empty() && ec == std::errc{} && ptr == end && faults.stream.truncate >= 0 &&
                 faults.stream.truncate <= kFrameBits;
        } else {
            ok = false;
        }
        if (!ok) {
            error = "--port sim: bad fault \"" + records::Excerpt(item) +
                    "\" (expected flip=P, drop=P, stuck=high, stuck=low, truncate=N or fail)";
            return false;
        }
        if (comma == std::string_view::npos) return true;
        options.remove_prefix(comma + 1);
    }
}

SimPort::SimPort(std::uint64_t seed, ClockFn now, const SimFaults& faults)
    : m_now(std::move(now)),
      m_faults(faults),
      m_tPowerOn(Now()),
      m_tLast(m_tPowerOn),
      m_noise(seed),
      m_stream(seed ^ 0x5EED0F57EA4D15C0ull),
      m_chance(seed ^ 0xFA017C4A4CE5EED5ull) {}

void SimPort::CatchUp() {
    const std::int64_t t = Now();
    if (t > m_tLast) {
        m_furnace.Advance(static_cast<double>(t - m_tLast) / 1000.0);
        m_tLast = t;
    }
}

bool SimPort::Sample(unsigned char* window, std::size_t size) {
    CatchUp();
    if (m_faults.fail) return false;
    m_shown.main = Tenths(m_furnace.Chamber(), m_noise);
    m_shown.aux = Tenths(m_furnace.Load(), m_noise);
    m_shown.seconds = PanelSeconds(m_tLast - m_tPowerOn);
    if (m_faults.drop > 0.0 && m_chance.Chance(m_faults.drop)) {
        FillIdleWindow(m_stream, window, size);
        return true;
    }
    BuildFrame(m_shown, m_furnace.ElementOn(), m_frame);
    FillWindow(m_frame, m_faults.stream, m_stream, window, size);
    return true;
}

bool SimPort::Write(unsigned char level) {
    CatchUp();
    if (m_faults.fail) return false;
    m_furnace.SetElement(level == 1);
    return true;
}

}  // namespace hw
