// The once-a-second run controller and the Run, Halt, Abort and Measure
// commands. The element is switched only by a running tick and its pulse;
// whenever control stops, the element is switched off and left off. What
// watches the ticks for trouble is in run_watch.cpp.
#include <algorithm>

#include "app/pyrelle_dlg.h"
#include "control/duty.h"
#include "driver/port_requests.h"
#include "platform/clock.h"

namespace {

constexpr UINT kTickPeriodMs = 1000;
// A pulse ends this long before the next tick at the latest.
constexpr int kPulseMarginMs = 10;

}  // namespace

void CPyrelleDlg::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == m_nPulseTimer) {
        // The pulse expiry: flip the level once, then the timer is done.
        m_bElementOn = m_bElementOn != 1 ? 1 : 0;
        WriteElement();
        KillTimer(m_nPulseTimer);
        Default();
        return;
    }
    if (m_nRunState == kRunHalted) {
        Default();
        return;
    }

    bool bLastTick = false;
    if (m_nRunState == kRunRunning) {
        bLastTick = control::IsLastTick(CurrentProgram(), m_nElapsedSeconds, m_nTickCount, kHistorySize);
        if (bLastTick) KillTimer(m_nTickTimer);
    }

    UpdateReadings();

    if (m_nRunState == kRunRunning && m_nTickCount < kHistorySize) {
        ++m_nTickCount;
        m_nElapsedSeconds = control::ProgramTime(m_nTickCount);
        m_bElementOn = 0;
        const int nTarget = SegmentTargetTemp(m_nElapsedSeconds);
        auto d = static_cast<unsigned char>(ComputeDuty(m_nTemperature, nTarget));
        DrawDuty();
        // A tick without a reading never heats, whatever the target.
        if (!WatchReadings()) d = 0;
        if (WatchGuard(d != 0)) {
            // What is left of the period once the reading is in: the tick
            // was due at NowMs, the next one a period later.
            const auto left = std::clamp<std::int64_t>(
                platform::NowMs() + kTickPeriodMs - platform::ActualMs() - kPulseMarginMs, -1, kTickPeriodMs);
            const control::PulseTimer pulse =
                control::FitPulse(control::DecidePulse(d), static_cast<int>(left));
            m_bElementOn = pulse.level;
            // Re-arming replaces the previous tick's pulse if it is still pending.
            if (pulse.ms >= 0)
                m_nPulseTimer = SetTimer(kPulseTimerId, static_cast<UINT>(pulse.ms), nullptr);
            else
                KillTimer(m_nPulseTimer);
            WriteElement();
        }
        // After the element's write, which is the tick's errand in time.
        JournalSample(m_aHistory[m_nTickCount - 1]);
    }

    // The last tick's own period is not left to its pulse: the element goes off.
    if (bLastTick) {
        StopControl();
        DrawState("Ended  ");  // as wide as the other state words, which it covers
    }
    Default();
    ShowNotices();
}

void CPyrelleDlg::UpdateReadings() {
    ReadDisplay();
    DrawTemps();
    PlotSample(m_nTemperature, m_nAuxTemperature, m_nElapsedSeconds);
    // An idle tick overwrites the entry one past the run's samples; a full
    // history has no such entry.
    if (m_nTickCount >= 0 && m_nTickCount < kHistorySize)
        m_aHistory[m_nTickCount] = HistoryEntry{m_nTemperature, m_nAuxTemperature};
    DrawTime();
}

// The duty field keeps what was typed, even when its check failed; the
// duty is bounded to what a setting of 0 to 100 gives.
int CPyrelleDlg::ComputeDuty(int nMeasured, int nTarget) {
    const double duty = control::Duty(nMeasured, nTarget, m_nDutyPercent);
    m_strDuty = control::DutyText(duty).c_str();
    return static_cast<int>(duty);
}

control::Program CPyrelleDlg::CurrentProgram() const {
    return control::Program({m_nSeg1Temp, m_nSeg2Temp, m_nSeg3Temp, m_nSeg4Temp},
                            {m_nSeg1Time, m_nSeg2Time, m_nSeg3Time, m_nSeg4Time});
}

// The program is read afresh at every question: values the form takes over
// apply from the next one on, also in the middle of a run.
int CPyrelleDlg::SegmentTargetTemp(int t) {
    return CurrentProgram().TargetTemp(t);
}

int CPyrelleDlg::SegmentTime(int t) {
    return CurrentProgram().SegmentTime(t);
}

// Once a write to an open port has failed, the element's real state is
// unknown: every write after it asks for off, and the user is told at once.
// (Without a device nothing was ever switched: those writes fail by design.)
void CPyrelleDlg::WriteElement() {
    if (m_bWriteFailed) m_bElementOn = 0;
    if (driver::WriteLevel(m_hDevice, m_bElementOn) || m_bWriteFailed || m_hDevice == INVALID_HANDLE_VALUE)
        return;
    m_bWriteFailed = true;
    m_bElementOn = 0;
    driver::WriteLevel(m_hDevice, 0);
    Notify(
        "Writing to the port failed: the heating element's state is unknown. Cut the furnace's power by "
        "hand now.\n\nThe element is asked to stay off for the rest of this run; mend the port, then start "
        "the run again with Run.",
        MB_ICONSTOP);
}

void CPyrelleDlg::StopControl() {
    KillTimer(m_nPulseTimer);
    m_bElementOn = 0;
    WriteElement();
}

// A form that fails its check starts nothing: its message is shown once, and
// a run in progress goes on as it was.
void CPyrelleDlg::OnRunPcMode() {
    if (!TakeWholeForm()) return;
    SaveUnloggedRun();
    DrawState("Running");
    m_nRunState = kRunRunning;
    m_nPlotTimeMin = m_nAxisTimeMin;
    m_nPlotTimeMax = m_nAxisTimeMax;
    m_nPlotTempMin = m_nAxisTempMin;
    m_nPlotTempMax = m_nAxisTempMax;
    // The redraw still replays the previous run: the counters reset after it.
    RedrawChart();
    PlotProgram();
    m_bFirstPoint = 1;
    m_nElapsedSeconds = 0;
    m_nTickCount = 0;
    StartWatch();
    StartJournal();
    m_nTickTimer = SetTimer(kTickTimerId, kTickPeriodMs, nullptr);
    ComputeDuty(m_nTemperature, SegmentTargetTemp(0));
    DrawDuty();
    ShowNotices();
}

void CPyrelleDlg::OnHalt() {
    if (m_nRunState == kRunHalted) {
        m_nRunState = kRunIdle;
        m_btnHalt.SendMessage(BM_SETSTATE, 0);
    } else {
        m_btnHalt.SendMessage(BM_SETSTATE, 1);
        m_nRunState = kRunHalted;
        StopControl();
    }
    UpdateData(FALSE);
}

void CPyrelleDlg::OnAbort() {
    KillTimer(m_nTickTimer);
    StopControl();
    DrawState("Aborted");
    // The log goes where the File field says, even when an earlier field
    // fails its check: an earlier run's log is never taken for this one.
    if (!UpdateData(TRUE)) GetDlgItem(IDC_FILE_NUMBER)->GetWindowText(m_strFileNumber);
    UpdateData(FALSE);
    WriteRunLog();
}

void CPyrelleDlg::OnMeasure() {
    ReadDisplay();
    m_nStartTemp = control::WholeDegrees(m_nTemperature);
    UpdateData(FALSE);
}

void CPyrelleDlg::OnOK() {
    CDialog::OnOK();
    // Enter with a field that fails its check leaves the window open and the
    // run going; only a dialog that really ended stops control.
    if (!IsEnded()) return;
    KillTimer(m_nTickTimer);
    StopControl();
    SaveUnloggedRun();
    ShowNotices();
}
