// What watches a run's ticks for trouble: an instrument that no longer
// answers, and the runaway guard. What it finds is told in message boxes
// shown at the end of the tick that found it, so that no tick is left half
// done while a box is open (the ticks go on inside it).
#include <string>

#include "app/pyrelle_dlg.h"
#include "platform/trace.h"

namespace {

// A sample request that brought nothing decodes to 8888.8 on both readings.
constexpr int kNoReading = 88888;
// Running ticks without a reading before the user is told.
constexpr int kLostTicks = 10;

}  // namespace

control::GuardSettings g_guardSettings;

void CPyrelleDlg::StartWatch() {
    m_guard = control::RunawayGuard(g_guardSettings);
    m_nLostTicks = 0;
    m_bWriteFailed = false;
}

bool CPyrelleDlg::WatchReadings() {
    const bool lost = m_nTemperature == kNoReading && m_nAuxTemperature == kNoReading;
    if (lost) {
        if (++m_nLostTicks == kLostTicks)
            Notify(
                "The instrument has not answered for 10 seconds. The heating element stays off until "
                "readings "
                "return; the run goes on. Check the instrument, its cable and the port.",
                MB_ICONEXCLAMATION);
        return false;
    }
    if (m_nLostTicks >= kLostTicks)
        Notify("Readings from the instrument have returned; control goes on.", MB_ICONINFORMATION);
    m_nLostTicks = 0;
    return true;
}

bool CPyrelleDlg::WatchGuard(bool heating) {
    const control::Trip trip =
        m_guard.Tick(control::Shown{m_nTemperature, m_nAuxTemperature, m_nDisplaySeconds}, heating);
    if (trip == control::Trip::kNone) return true;
    // Halted as by Halt: the samples stay for Abort, and Run starts afresh.
    static constexpr const char* kWhat[] = {"", "stalled", "frozen display", "over the limit"};
    platform::Trace((std::string("GUARD ") + kWhat[static_cast<int>(trip)]).c_str());
    OnHalt();  // the tick runs, so this halts
    Notify(m_guard.Explain(trip).c_str(), MB_ICONSTOP);
    return false;
}

void CPyrelleDlg::Notify(const CString& text, UINT type) {
    m_notices.push_back({text, type});
}

void CPyrelleDlg::ShowNotices() {
    // A tick inside an open box only queues its notices: this loop shows them.
    if (m_bShowingNotice) return;
    m_bShowingNotice = true;
    while (!m_notices.empty()) {
        const Notice notice = m_notices.front();
        m_notices.erase(m_notices.begin());
        AfxMessageBox(notice.text, notice.type);
    }
    m_bShowingNotice = false;
}
