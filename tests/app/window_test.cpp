// The main window's own behaviour: geometry, system menu, About box, the
// keyboard, and the ways it ends.
#include "app/about_dlg.h"
#include "support/fixture.h"

namespace {

using test::MainWindowTest;

TEST_F(MainWindowTest, ClientAreaAndChartFrameSitWhereTheDialogUnitsPutThem) {
    RECT r;
    dlg->GetClientRect(&r);
    EXPECT_EQ(r.right, 1013);
    EXPECT_EQ(r.bottom, 536);
    // Frame 1000 spans x 53..676 and y 18..423: white inside its sunken edge,
    // the dialog face outside; the chart's pixel rectangle lies inside it.
    CDC* dc = dlg->m_pChartDC;
    const COLORREF white = RGB(255, 255, 255);
    EXPECT_EQ(dc->GetPixel(58, 23), white);
    EXPECT_EQ(dc->GetPixel(673, 418), white);
    EXPECT_EQ(dc->GetPixel(55, 20), white);
    EXPECT_EQ(dc->GetPixel(674, 421), white);
    EXPECT_NE(dc->GetPixel(53, 100), white);
    EXPECT_NE(dc->GetPixel(675, 100), white);
    EXPECT_EQ(dc->GetPixel(52, 100), RGB(240, 240, 240));
    EXPECT_EQ(dc->GetPixel(677, 100), RGB(240, 240, 240));
    EXPECT_EQ(dc->GetPixel(300, 17), RGB(240, 240, 240));
    EXPECT_EQ(dc->GetPixel(300, 424), RGB(240, 240, 240));
}

TEST_F(MainWindowTest, HiddenControlsStayHiddenAndTheFirstTabStopHasTheFocus) {
    for (int id : {IDC_SPARE, IDC_ENTER, IDC_PULSE, IDC_PULSE_DUTY})
        EXPECT_FALSE(dlg->GetDlgItem(id)->IsWindowVisible()) << id;
    for (int id : {IDCANCEL, IDC_CHART_FRAME, IDC_HALT, IDC_TEMP_MAX, IDC_FILE_NUMBER})
        EXPECT_TRUE(dlg->GetDlgItem(id)->IsWindowVisible()) << id;
    ASSERT_NE(CWnd::GetFocus(), nullptr);
    EXPECT_EQ(CWnd::GetFocus()->GetDlgCtrlID(), IDCANCEL);
}

TEST_F(MainWindowTest, SystemMenuEndsWithTheAboutEntryBelowASeparator) {
    CMenu* menu = dlg->GetSystemMenu(FALSE);
    ASSERT_NE(menu, nullptr);
    int n = menu->GetMenuItemCount();
    ASSERT_GE(n, 2);
    CString text;
    menu->GetMenuString(n - 1, text);
    EXPECT_EQ(text, "&About Pyrelle...");
    EXPECT_EQ(menu->GetMenuItemID(n - 1), 16u);
    EXPECT_EQ(menu->GetMenuItemID(n - 2), 0u) << "a separator";
}

TEST_F(MainWindowTest, EverySystemCommandFrom16To31OpensTheAboutBox) {
    for (UINT id = 0; id < 48; ++id) {
        platform::testing::ClearModalHistory();
        platform::testing::PushUser("click 1");
        dlg->SendMessage(WM_SYSCOMMAND, id, 0);
        bool opened = platform::testing::ModalHistory() == std::vector<UINT>{IDD_ABOUTBOX};
        EXPECT_EQ(opened, id >= 16 && id <= 31) << id;
        platform::testing::ClearUser();
    }
    EXPECT_FALSE(dlg->IsIconic());
}

TEST_F(MainWindowTest, CloseOnTheSystemMenuReachesExitWhichClosesTheDevice) {
    HANDLE device = dlg->m_hDevice;
    ASSERT_NE(device, INVALID_HANDLE_VALUE);
    dlg->SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(dlg->IsWindowVisible());
    unsigned char buf[1] = {0};
    DWORD n = 0;
    EXPECT_FALSE(DeviceIoControl(device, 0x9C402408, buf, 1, buf, 1, &n, nullptr)) << "the handle is closed";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(MainWindowTest, EnterEndsTheProgramOnlyWhenEveryFieldIsValid) {
    Type(IDC_TEMP_MAX, "900");
    platform::testing::PushUser("type 1048 900\nkey enter");
    platform::testing::RunUser();
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Please enter an integer between -100 and 800."});
    EXPECT_TRUE(dlg->IsWindowVisible()) << "a failed check keeps the window open";
    platform::testing::PushUser("type 1048 390\nkey enter");
    platform::testing::RunUser();
    EXPECT_FALSE(dlg->IsWindowVisible());
}

TEST_F(MainWindowTest, EnterOnAFocusedButtonClicksIt) {
    // The focus starts on Exit: Enter there is Exit, not IDOK.
    platform::testing::ClearModalHistory();
    platform::testing::PushUser("key enter");
    platform::testing::RunUser();
    EXPECT_FALSE(dlg->IsWindowVisible());
    EXPECT_EQ(dlg->m_hDevice, INVALID_HANDLE_VALUE) << "Exit closed the device";
}

// A dialog that counts its timer messages.
class CountingDlg : public CDialog {
public:
    CountingDlg() : CDialog(IDD_ABOUTBOX) {}
    std::vector<std::pair<std::int64_t, UINT_PTR>> ticks;
    afx_msg void OnTimer(UINT_PTR id) { ticks.emplace_back(platform::NowMs(), id); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CountingDlg, CDialog)
ON_WM_TIMER()
END_MESSAGE_MAP()

class TimerTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::testing::ClearUser();
        dlg.Create(IDD_ABOUTBOX);
        t0 = platform::NowMs();
    }
    std::vector<std::int64_t> Times(UINT_PTR id) {
        std::vector<std::int64_t> out;
        for (auto [t, i] : dlg.ticks)
            if (i == id) out.push_back(t - t0);
        return out;
    }
    CountingDlg dlg;
    std::int64_t t0 = 0;
};

TEST_F(TimerTest, TimersRepeatAndReArmingRestartsThePeriod) {
    EXPECT_EQ(dlg.SetTimer(1, 1000, nullptr), 1u);
    platform::AdvanceClock(2500);
    dlg.SetTimer(1, 1000, nullptr);  // at 2500: the next expiry is 3500, not 3000
    platform::AdvanceClock(1500);
    EXPECT_EQ(Times(1), (std::vector<std::int64_t>{1000, 2000, 3500}));
}

TEST_F(TimerTest, KillingAnUnarmedTimerDoesNothingAndNoTimerHasIdZero) {
    EXPECT_FALSE(dlg.KillTimer(5));
    EXPECT_NE(dlg.SetTimer(0, 10, nullptr), 0u);
    dlg.SetTimer(2, 30, nullptr);
    platform::AdvanceClock(30);
    EXPECT_TRUE(dlg.KillTimer(2));
    for (auto [t, id] : dlg.ticks) EXPECT_NE(id, 0u);
    EXPECT_EQ(Times(2), (std::vector<std::int64_t>{30}));
}

TEST_F(TimerTest, TimersAreDeliveredInOrderOfTheirDueTimes) {
    dlg.SetTimer(1, 1000, nullptr);
    dlg.SetTimer(2, 1150, nullptr);
    dlg.SetTimer(3, 400, nullptr);
    platform::AdvanceClock(2400);
    std::vector<std::int64_t> all;
    for (auto [t, id] : dlg.ticks) all.push_back(t - t0);
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end()));
    EXPECT_EQ(Times(2), (std::vector<std::int64_t>{1150, 2300}));
    EXPECT_EQ(Times(3), (std::vector<std::int64_t>{400, 800, 1200, 1600, 2000, 2400}));
}

TEST_F(TimerTest, TimerMessagesKeepArrivingWhileAMessageBoxIsOpen) {
    dlg.SetTimer(1, 1000, nullptr);
    platform::testing::PushUser("wait 3000\nclick 1");
    AfxMessageBox("Hold on.");
    EXPECT_EQ(Times(1), (std::vector<std::int64_t>{1000, 2000, 3000}));
}

}  // namespace
