#include "hardware/replay_port.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <utility>

#include "records/user_files.h"

namespace hw {
namespace {

constexpr int kMaxTenths = 99999;
constexpr int kMaxSeconds = 5999;
// Twelve hours of readings take well under a megabyte.
constexpr std::size_t kMaxReplayBytes = 64u << 20;

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (true) {
        i = line.find_first_not_of(" \t", i);
        if (i == std::string_view::npos) return fields;
        const std::size_t end = std::min(line.find_first_of(" \t", i), line.size());
        fields.push_back(line.substr(i, end - i));
        i = end;
    }
}

bool IsInteger(std::string_view field) {
    if (!field.empty() && field.front() == '-') field.remove_prefix(1);
    return !field.empty() &&
           std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string Quoted(std::string_view line) {
    std::string quoted(1, '"');
    quoted += records::Excerpt(line);
    quoted += '"';
    return quoted;
}

}  // namespace

bool ParseReplay(std::string_view text, const std::string& name, std::vector<ReplayReading>& readings,
                 std::string& error) {
    readings.clear();
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (nl == std::string_view::npos) break;
        text.remove_prefix(nl + 1);
    }

    std::size_t first = 0;
    if (lines.size() >= 2 && lines[1].empty()) {
        const auto head = Fields(lines[0]);
        if (head.size() == 1 && IsInteger(head[0])) first = 2;
    }

    const std::string where = "replay file \"" + records::Excerpt(name, 200) + "\"";
    for (std::size_t n = first; n < lines.size(); ++n) {
        const std::string at = where + ", line " + std::to_string(n + 1) + ": ";
        const auto fields = Fields(lines[n]);
        if (fields.size() < 2 || fields.size() > 3 || !std::all_of(fields.begin(), fields.end(), IsInteger)) {
            error = at + "expected \"MAIN AUX\" or \"MAIN AUX SECONDS\", found " + Quoted(lines[n]);
            return false;
        }
        static constexpr const char* kWhat[] = {"main reading", "auxiliary reading", "display seconds"};
        const int limits[] = {kMaxTenths, kMaxTenths, kMaxSeconds};
        int values[3] = {0, 0, -1};
        for (std::size_t k = 0; k < fields.size(); ++k) {
            long long v = -1;
            const char* end = fields[k].data() + fields[k].size();
            const auto [ptr, ec] = std::from_chars(fields[k].data(), end, v);
            if (ec != std::errc{} || ptr != end || v < 0 || v > limits[k]) {
                error = at + kWhat[k] + " " + std::string(fields[k]) + " is out of range 0 to " +
                        std::to_string(limits[k]);
                return false;
            }
            values[k] = static_cast<int>(v);
        }
        readings.push_back({values[0], values[1], values[2]});
    }
    if (readings.empty()) {
        error = where + ": no reading";
        return false;
    }
    return true;
}

bool LoadReplay(const std::string& path, std::vector<ReplayReading>& readings, std::string& error) {
    std::string text, why;
    if (!records::ReadWholeFile(path, kMaxReplayBytes, text, why)) {
        error = "replay file \"" + records::Excerpt(path, 200) + "\": cannot read it: " + why;
        return false;
    }
    return ParseReplay(text, path, readings, error);
}

ReplayPort::ReplayPort(std::vector<ReplayReading> readings, std::uint64_t seed, ClockFn now)
    : m_readings(std::move(readings)),
      m_now(std::move(now)),
      m_tPowerOn(m_now ? m_now() : 0),
      m_stream(seed ^ 0x5EED0F57EA4D15C0ull) {}

bool ReplayPort::Sample(unsigned char* window, std::size_t size) {
    if (m_readings.empty()) return false;
    const ReplayReading& r = m_readings[std::min(m_next, m_readings.size() - 1)];
    if (m_next < m_readings.size()) ++m_next;
    Readings shown{r.main, r.aux, r.seconds};
    if (r.seconds < 0) {
        shown.seconds = PanelSeconds((m_now ? m_now() : m_tPowerOn) - m_tPowerOn);
    }
    BuildFrame(shown, false, m_frame);
    FillWindow(m_frame, StreamFaults{}, m_stream, window, size);
    return true;
}

}  // namespace hw
