// The main dialog: the whole controller state and every operation on it.
// Its members are thin adapters defined in the folder of their subsystem,
// each over that subsystem's core (values in, values out):
//   app/      construction, start-up, shutdown, form exchange, system menu
//   driver/   the port driver link and its service (port_requests.h)
//   readout/  the instrument panel's decoder (panel_decoder.h)
//   control/  the temperature program and the run controller (program.h, duty.h)
//   display/  the chart and the status line on the screen (chart_map.h, status_text.h)
//   records/  the run log and the calibration command (run_log.h)
#pragma once

#include <vector>

#include "control/history.h"
#include "control/program.h"
#include "control/runaway_guard.h"
#include "display/chart_map.h"
#include "platform/afxwin.h"
#include "records/journal.h"
#include "res/resource.h"

using control::kHistorySize;
inline constexpr UINT_PTR kTickTimerId = 1;
inline constexpr UINT_PTR kPulseTimerId = 2;

// The runaway guard's settings for every run (--runaway-guard, --max-temp).
extern control::GuardSettings g_guardSettings;

// The values of m_nRunState.
inline constexpr int kRunIdle = 0;
inline constexpr int kRunHalted = 10;
inline constexpr int kRunRunning = 11;

class CPyrelleDlg : public CDialog {
public:
    explicit CPyrelleDlg(CWnd* pParent = nullptr);
    ~CPyrelleDlg() override;

    enum { IDD = IDD_PYRELLE_DIALOG };

    // ------------------------------------------------------------ state record
    SC_HANDLE m_hService = nullptr;
    HANDLE m_hDevice = INVALID_HANDLE_VALUE;
    int m_nDisplaySeconds;
    int m_nAuxTemperature;
    int m_nTemperature;
    unsigned char m_abDisplayBits[256];
    unsigned char m_bElementOn = 0;
    HistoryEntry m_aHistory[kHistorySize];
    int m_nRunState = kRunIdle;
    CString m_strDuty;
    CString m_strTime;
    CString m_strTemps;
    LOGFONT m_logFont{};
    HFONT m_hFont = nullptr;
    CClientDC* m_pChartDC = nullptr;
    int m_nPlotTempMax = 390;
    int m_nPlotTimeMax = 3600;
    int m_nPlotTempMin = 10;
    int m_nPlotTimeMin = 0;
    int m_nElapsedSeconds = 0;
    int m_bFirstPoint = 1;
    UINT_PTR m_nTickTimer;
    UINT_PTR m_nPulseTimer;
    CString m_strLogName;
    int m_nTickCount = 0;
    CButton m_btnHalt;
    CString m_strSpare;
    int m_nStartTemp;
    int m_nSeg1Temp;
    int m_nSeg1Time;
    int m_nSeg2Time;
    int m_nSeg3Time;
    int m_nSeg4Time;
    int m_nSeg2Temp;
    int m_nSeg3Temp;
    int m_nSeg4Temp;
    int m_nPulseDuty;
    int m_nAxisTempMin;
    int m_nAxisTempMax;
    int m_nAxisTimeMin;
    int m_nAxisTimeMax;
    int m_nDutyPercent;
    CString m_strFileNumber;
    HICON m_hIcon;

    // ------------------------------------------------------------ the run's watch
    control::RunawayGuard m_guard;
    int m_nLostTicks = 0;         // running ticks in a row without a reading
    bool m_bWriteFailed = false;  // a write failed in this run: every write asks for off
    struct Notice {
        CString text;
        UINT type;
    };
    std::vector<Notice> m_notices;  // told at the end of the tick that found them
    bool m_bShowingNotice = false;
    records::Journal m_journal;  // the run's samples on disk as they are taken
    std::string m_strRunFolder;  // where the run was started
    long long m_nRunStarted = 0;
    bool m_bRunUnlogged = false;  // the run has samples that Abort has not saved
    bool m_bJournalWarned = false;

    // ------------------------------------------------------------ driver/
    void OpenPortDriver();
    bool StartPortDriver();
    void InstallPortDriver();

    // ------------------------------------------------------------ readout/
    void ReadDisplay();
    int DecodeDigit(int base);

    // ------------------------------------------------------------ control/
    // The program as the eight fields hold it now.
    control::Program CurrentProgram() const;
    int SegmentTargetTemp(int t);
    int SegmentTime(int t);
    void UpdateReadings();
    int ComputeDuty(int nMeasured, int nTarget);
    // Writes m_bElementOn to the element output.
    void WriteElement();
    // Ends control safely: kills a pending pulse and switches the element off.
    void StopControl();
    // The watch over a run's ticks: set up at Run; WatchReadings is false for
    // a tick without a reading, WatchGuard false when the guard has halted
    // control.
    void StartWatch();
    bool WatchReadings();
    bool WatchGuard(bool heating);
    void Notify(const CString& text, UINT type);
    void ShowNotices();

    // ------------------------------------------------------------ display/
    // The latched ranges the chart draws with.
    display::ChartRanges PlotRanges() const;
    void RedrawChart();
    void PlotProgram();
    // Plots one measured sample (tenths) at program time t.
    void PlotSample(int nMain, int nAux, int t);
    void SetupStatusFont();
    void DrawTemps();
    void DrawTime();
    void DrawDuty();
    void DrawState(LPCSTR word);

    // ------------------------------------------------------------ records/
    void WriteRunLog();
    // The run journal: started at Run, a sample a running tick; a run that
    // ends without Abort is saved as a run log of a new name.
    void StartJournal();
    void JournalSample(const HistoryEntry& sample);
    void RunLogged();
    void SaveUnloggedRun();
    // Saves the runs of earlier starts that ended without Abort.
    void RecoverJournals();

    // ------------------------------------------------------------ app/
    // Takes the form into the record only when every field passes its check;
    // after a failed check (its message shown) the record is as it was.
    bool TakeWholeForm();

    // ------------------------------------------------------------ handlers
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    // The program ends without its window, as when the window system goes:
    // the element off, the port closed, the run saved; what Exit would show
    // goes to standard error.
    void LetGo();
    // The element off, the port closed, the run saved: what every end does.
    void ReleasePort();

    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
    afx_msg void OnPaint();
    afx_msg HCURSOR OnQueryDragIcon();
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnRunPcMode();
    afx_msg void OnHalt();
    afx_msg void OnAbort();
    afx_msg void OnMeasure();
    afx_msg void OnCalibrate();

    DECLARE_MESSAGE_MAP()
};
