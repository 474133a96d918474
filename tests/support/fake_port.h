// The one stand-in for the instrument and the element that tests, benchmarks
// and fuzz targets share: the panel shows chosen readings (the next queued one
// at each sample request, else the current one), or a prepared window is
// handed out as it is; every write is recorded with its time.
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
    hw::Readings current{};
    // When not empty, handed out instead of the readings' frames; a shorter
    // window leaves the rest of the request's buffer as it was.
    std::vector<unsigned char> window;
    std::vector<LevelWrite> writes;
    int samples = 0;
    bool fail = false;
    // Called at every request, before it is served.
    std::function<void()> onRequest;

    void Show(int main, int aux, int seconds = 0) { current = hw::Readings{main, aux, seconds}; }
    void Queue(int main, int aux, int seconds = 0) { queued.push_back(hw::Readings{main, aux, seconds}); }
    unsigned char Level() const { return writes.empty() ? 0 : writes.back().level; }

    bool Sample(unsigned char* out, std::size_t size) override {
        if (onRequest) onRequest();
        ++samples;
        if (fail) return false;
        if (!window.empty()) {
            std::memcpy(out, window.data(), std::min(size, window.size()));
            return true;
        }
        if (!queued.empty()) {
            current = queued.front();
            queued.pop_front();
        }
        hw::Frame frame{};
        hw::BuildFrame(current, Level() != 0, frame);
        hw::FillWindow(frame, hw::StreamFaults{}, m_rng, out, size);
        return true;
    }
    bool Write(unsigned char level) override {
        if (onRequest) onRequest();
        writes.push_back(LevelWrite{platform::NowMs(), level});
        return !fail;
    }

private:
    hw::Rng m_rng{1};
};

}  // namespace test
