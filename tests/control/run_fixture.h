// The run controller's test fixture: a main window on the virtual clock with
// the fake port, Run, the program's durations, and the writes it made.
#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "support/fixture.h"

namespace {

using Write = std::pair<std::int64_t, int>;  // ms after a reference time, level

class RunControllerTest : public test::MainWindowTest {
protected:
    // Presses Run and returns the clock at that moment.
    std::int64_t Run() {
        Click(IDC_RUN_PC_MODE);
        return platform::NowMs();
    }
    void SetDurations(const std::array<int, 4>& d) {
        const int ids[4] = {IDC_SEG1_TIME, IDC_SEG2_TIME, IDC_SEG3_TIME, IDC_SEG4_TIME};
        for (int k = 0; k < 4; ++k) Type(ids[k], std::to_string(d[k]).c_str());
    }
    // The writes at or after `t0`, timed from it.
    std::vector<Write> WritesFrom(std::int64_t t0) const {
        std::vector<Write> out;
        for (const auto& w : dev->writes)
            if (w.ms >= t0) out.emplace_back(w.ms - t0, w.level);
        return out;
    }
    // The element stays as last written: no write, no reading, for a while.
    void ExpectQuietFor(std::int64_t ms) {
        const auto writes = dev->writes.size();
        const int samples = dev->samples;
        Wait(ms);
        EXPECT_EQ(dev->writes.size(), writes) << "a write after control stopped";
        EXPECT_EQ(dev->samples, samples) << "a tick after control stopped";
    }
};

}  // namespace
