// The one stand-in for the instrument and the element that tests, benchmarks
// and fuzz targets share: the panel shows chosen readings (the next queued one
// at each sample request, else the current one) and, unless told otherwise,
// its own clock running from 0; or a prepared window is handed out as it is.
// Every write is recorded with its time.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <vector>

#include "hardware/panel_signal.h"
#include "hardware/port_device.h"
#include "platform/clock.h"

namespace test {

class FakePort : public hw::PortDevice {
public:
    struct LevelWrite {
        std::int64_t ms;
        unsigned char level;
    };

    std::deque<hw::Readings> queued;
    hw::Readings current{0, 0, kOwnClock};
    // When not empty, handed out instead of the readings' frames; a shorter
    // window leaves the rest of the request's buffer as it was.
    std::vector<unsigned char> window;
    std::vector<LevelWrite> writes;
    int samples = 0;
    bool failSamples = false;  // sample requests fail, writing nothing
    bool failWrites = false;   // write requests fail (and are still recorded)
    // Called at every request, before it is served.
    std::function<void()> onRequest;

    // Panel seconds for the panel's own clock, counting with the platform clock.
    static constexpr int kOwnClock = -1;

    void Show(int main, int aux, int seconds = kOwnClock) { current = hw::Readings{main, aux, seconds}; }
    void Queue(int main, int aux, int seconds = kOwnClock) {
        queued.push_back(hw::Readings{main, aux, seconds});
    }
    unsigned char Level() const { return writes.empty() ? 0 : writes.back().level; }

    bool Sample(unsigned char* out, std::size_t size) override {
        if (onRequest) onRequest();
        ++samples;
        if (failSamples) return false;
        if (!window.empty()) {
            std::memcpy(out, window.data(), std::min(size, window.size()));
            return true;
        }
        if (!queued.empty()) {
            current = queued.front();
            queued.pop_front();
        }
        hw::Readings shown = current;
        if (shown.seconds == kOwnClock) shown.seconds = hw::PanelSeconds(platform::NowMs());
        hw::Frame frame{};
        hw::BuildFrame(shown, Level() != 0, frame);
        hw::FillWindow(frame, hw::StreamFaults{}, m_rng, out, size);
        return true;
    }
    bool Write(unsigned char level) override {
        if (onRequest) onRequest();
        writes.push_back(LevelWrite{platform::NowMs(), level});
        return !failWrites;
    }

private:
    hw::Rng m_rng{1};
};

}  // namespace test
