// Window timers due at the same millisecond arrive in the order they were
// set, on a bare dialog of the framework's own.
#include <gtest/gtest.h>

#include <vector>

#include "platform/afxwin.h"
#include "platform/clock.h"
#include "platform/restypes.h"

namespace {

// A dialog from an in-memory template that records its timer messages.
class TimerDlg : public CDialog {
public:
    TimerDlg() : CDialog(0) { m_lpDialogTemplate = &m_template; }
    std::vector<UINT_PTR> ids;
    afx_msg void OnTimer(UINT_PTR id) { ids.push_back(id); }
    DECLARE_MESSAGE_MAP()

private:
    platform::DialogTemplate m_template{0, "", WS_POPUP, 0, 100, 50, 8, "MS Sans Serif", nullptr, 0};
};
BEGIN_MESSAGE_MAP(TimerDlg, CDialog)
ON_WM_TIMER()
END_MESSAGE_MAP()

TEST(WindowTimers, TimersDueAtTheSameMillisecondArriveInTheOrderTheyWereSet) {
    TimerDlg dlg;
    ASSERT_TRUE(dlg.Create(0));
    // Timer 3 is set first, then again after 7: of the two it is now the later.
    dlg.SetTimer(3, 100, nullptr);
    dlg.SetTimer(7, 100, nullptr);
    dlg.SetTimer(3, 100, nullptr);
    // Timer 9, set last, falls due at the same millisecond with a shorter period.
    platform::AdvanceClock(40);
    dlg.SetTimer(9, 60, nullptr);
    platform::AdvanceClock(60);
    EXPECT_EQ(dlg.ids, (std::vector<UINT_PTR>{7, 3, 9}));
    // Delivered, each repeats; 7 and 3 meet again, still in that order.
    platform::AdvanceClock(100);
    EXPECT_EQ(dlg.ids, (std::vector<UINT_PTR>{7, 3, 9, 9, 7, 3}));
}

}  // namespace
