// Recorded readings played back through the panel's line, one a request.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "hardware/panel_signal.h"
#include "hardware/ports.h"

namespace hw {

struct ReplayReading {
    int main = 0;
    int aux = 0;
    int seconds = -1;  // -1: the instrument's own clock
};

// Parses the lines "MAIN AUX [SECONDS]" of a replay file called `name`. A run
// log's count line and empty line at the start are skipped. On failure
// returns false with `error` naming the file and the line.
bool ParseReplay(std::string_view text, const std::string& name, std::vector<ReplayReading>& readings,
                 std::string& error);
bool LoadReplay(const std::string& path, std::vector<ReplayReading>& readings, std::string& error);

class ReplayPort : public PortDevice {
public:
    // `readings` must not be empty.
    ReplayPort(std::vector<ReplayReading> readings, std::uint64_t seed, ClockFn now);

    bool Sample(unsigned char* window, std::size_t size) override;
    // The element is not connected to anything.
    bool Write(unsigned char) override { return true; }

private:
    std::vector<ReplayReading> m_readings;
    std::size_t m_next = 0;
    ClockFn m_now;
    std::int64_t m_tPowerOn;
    Rng m_stream;
    Frame m_frame{};
};

}  // namespace hw
