#include "hardware/furnace.h"

#include <algorithm>

namespace hw {
namespace {

// A 2 kW kiln of about 7 kJ/K, settling near 720 degrees at full power: from
// the room it passes 380 degrees in about half an hour, the load lagging.
constexpr double kPower = 2000.0;           // W
constexpr double kElementCapacity = 300.0;  // J/K
constexpr double kChamberCapacity = 4500.0;
constexpr double kLoadCapacity = 2000.0;
constexpr double kElementToChamber = 13.0;  // W/K
constexpr double kChamberToLoad = 6.7;
constexpr double kChamberToRoom = 2.86;

constexpr double kStep = 0.1;  // s; far below the element's time constant of ~23 s
// Past this the state has long settled; longer spans are cut to it so that a
// jump of the clock costs bounded time.
constexpr double kMaxSpan = 12.0 * 3600.0;

}  // namespace

void Furnace::Advance(double seconds) {
    if (!(seconds > 0.0)) return;
    double left = std::min(seconds, kMaxSpan);
    const double power = m_bOn ? kPower : 0.0;
    while (left > 0.0) {
        const double h = std::min(left, kStep);
        const double toChamber = kElementToChamber * (m_dElement - m_dChamber);
        const double toLoad = kChamberToLoad * (m_dChamber - m_dLoad);
        const double toRoom = kChamberToRoom * (m_dChamber - kRoom);
        m_dElement += h * (power - toChamber) / kElementCapacity;
        m_dChamber += h * (toChamber - toLoad - toRoom) / kChamberCapacity;
        m_dLoad += h * toLoad / kLoadCapacity;
        left -= h;
    }
}

}  // namespace hw
