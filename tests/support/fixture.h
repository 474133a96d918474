// Shared test pieces: a port device that shows chosen readings and records
// the element levels, a main window on the virtual clock, and runs of the
// program binary with a script.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "app/PyrelleDlg.h"
#include "automation/testing.h"
#include "hardware/display_stream.h"
#include "platform/clock.h"
#include "support/port.h"

namespace test {

// Shows readings on the display line: each sample request takes the next
// queued reading, or keeps showing the last one. Records every write.
class ReadingsDevice : public hw::PortDevice {
public:
    struct LevelWrite {
        std::int64_t ms;
        unsigned char level;
    };
    std::deque<hw::Readings> queued;
    hw::Readings current{};
    std::vector<LevelWrite> writes;
    int samples = 0;
    bool fail = false;

    void Show(int main, int aux, int seconds = 0) { current = hw::Readings{main, aux, seconds}; }
    void Queue(int main, int aux, int seconds = 0) { queued.push_back(hw::Readings{main, aux, seconds}); }
    unsigned char Level() const { return writes.empty() ? 0 : writes.back().level; }

    bool Sample(unsigned char* window, std::size_t size) override {
        ++samples;
        if (fail) return false;
        if (!queued.empty()) {
            current = queued.front();
            queued.pop_front();
        }
        hw::Frame frame{};
        hw::BuildFrame(current, Level() != 0, frame);
        hw::FillWindow(frame, hw::StreamFaults{}, m_rng, window, size);
        return true;
    }
    bool Write(unsigned char level) override {
        writes.push_back(LevelWrite{platform::NowMs(), level});
        return true;
    }

private:
    hw::Rng m_rng{1};
};

// A main window, opened as at start-up, with a ReadingsDevice behind the port.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::testing::ClearUser();
        platform::testing::ClearBoxes();
        auto device = std::make_unique<ReadingsDevice>();
        dev = device.get();
        test::InstallPort(std::move(device));
        dlg = std::make_unique<CPyrelleDlg>();
        AfxGetApp()->m_pMainWnd = dlg.get();
        dlg->Create(IDD_PYRELLE_DIALOG);
    }
    void TearDown() override {
        AfxGetApp()->m_pMainWnd = nullptr;
        dlg.reset();
        test::InstallPort(nullptr);
        EXPECT_TRUE(platform::testing::Failures().empty()) << platform::testing::Failures().front();
    }

    void Click(int id) { dlg->SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    void Type(int id, const char* text) { dlg->GetDlgItem(id)->SetWindowText(text); }
    std::string Text(int id) {
        CString s;
        dlg->GetDlgItem(id)->GetWindowText(s);
        return s.str();
    }
    void Wait(std::int64_t ms) { platform::AdvanceClock(ms); }
    const std::vector<std::string>& Boxes() { return platform::testing::Boxes(); }

    ReadingsDevice* dev = nullptr;
    std::unique_ptr<CPyrelleDlg> dlg;
};

// A run of the program binary.
struct RunResult {
    int status = -1;
    std::string out, err, trace;
    std::vector<std::string> TraceLines() const;
};

// Runs `pyrelle ARGS --headless --script S --trace T` in `dir` (made if
// missing) with `script` as S.
RunResult RunPyrelle(const std::string& dir, const std::string& script, const std::string& args = "");

// A fresh, empty folder under the build tree for one test.
std::string FreshDir(const std::string& name);

std::string ReadFile(const std::string& path);

}  // namespace test
