// Shared test pieces: a main window on the virtual clock with the fake port
// behind it, and runs of the program binary with a script.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/pyrelle_dlg.h"
#include "automation/testing.h"
#include "platform/clock.h"
#include "support/fake_port.h"
#include "support/port.h"

namespace test {

// Run journals go to a fresh folder for the test that is running.
void UseFreshStateFolder();

// A main window, opened as at start-up, with a FakePort behind the port.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::testing::ClearUser();
        platform::testing::ClearBoxes();
        m_guard = g_guardSettings;
        UseFreshStateFolder();
        auto device = std::make_unique<FakePort>();
        dev = device.get();
        test::InstallPort(std::move(device));
        dlg = std::make_unique<CPyrelleDlg>();
        AfxGetApp()->m_pMainWnd = dlg.get();
        dlg->Create(IDD_PYRELLE_DIALOG);
    }
    void TearDown() override {
        AfxGetApp()->m_pMainWnd = nullptr;
        dlg.reset();
        g_guardSettings = m_guard;
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

    FakePort* dev = nullptr;
    std::unique_ptr<CPyrelleDlg> dlg;

private:
    control::GuardSettings m_guard;  // each test may change the process-wide settings
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
