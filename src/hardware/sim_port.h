// The simulated machine: the furnace and the instrument that displays it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "hardware/furnace.h"
#include "hardware/panel_signal.h"
#include "hardware/ports.h"

namespace hw {

struct SimFaults {
    StreamFaults stream;
    double drop = 0.0;  // chance that a request catches no frame at all
    bool fail = false;  // every request fails
};

// Parses the faults of "--port sim,...": `options` is the text after "sim,",
// such as "flip=0.001,drop=0.05,stuck=high,truncate=120,fail".
bool ParseSimFaults(std::string_view options, SimFaults& faults, std::string& error);

class SimPort : public PortDevice {
public:
    SimPort(std::uint64_t seed, ClockFn now, const SimFaults& faults = {});

    bool Sample(unsigned char* window, std::size_t size) override;
    bool Write(unsigned char level) override;

    const Furnace& GetFurnace() const { return m_furnace; }
    // What the last sample request showed, before any fault.
    const Readings& Shown() const { return m_shown; }

private:
    std::int64_t Now() const { return m_now ? m_now() : 0; }
    void CatchUp();

    ClockFn m_now;
    SimFaults m_faults;
    std::int64_t m_tPowerOn;
    std::int64_t m_tLast;
    Furnace m_furnace;
    Rng m_noise;
    Rng m_stream;
    Rng m_chance;
    Readings m_shown;
    Frame m_frame{};
};

}  // namespace hw
