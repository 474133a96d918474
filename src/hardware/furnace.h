// A small electric furnace: heating element, chamber and load, each a lumped
// heat capacity, coupled in a chain and losing heat to the room through the
// chamber wall.
#pragma once

namespace hw {

class Furnace {
public:
    static constexpr double kRoom = 20.0;  // degrees

    // Lets `seconds` pass with the element as it is now.
    void Advance(double seconds);
    void SetElement(bool on) { m_bOn = on; }
    bool ElementOn() const { return m_bOn; }

    double Element() const { return m_dElement; }
    double Chamber() const { return m_dChamber; }
    double Load() const { return m_dLoad; }

private:
    bool m_bOn = false;
    double m_dElement = kRoom;
    double m_dChamber = kRoom;
    double m_dLoad = kRoom;
};

}  // namespace hw
