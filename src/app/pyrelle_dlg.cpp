// The main dialog's life: construction, start-up, the form's data exchange,
// the system menu and shutdown.
#include "app/pyrelle_dlg.h"

#include <cstdio>
#include <tuple>

#include "app/about_dlg.h"
#include "platform/device.h"

BEGIN_MESSAGE_MAP(CPyrelleDlg, CDialog)
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_WM_TIMER()
ON_BN_CLICKED(IDC_REDRAW, &CPyrelleDlg::RedrawChart)
ON_BN_CLICKED(IDC_ABORT, &CPyrelleDlg::OnAbort)
ON_BN_CLICKED(IDC_MEASURE, &CPyrelleDlg::OnMeasure)
ON_BN_CLICKED(IDC_RUN_PC_MODE, &CPyrelleDlg::OnRunPcMode)
ON_BN_CLICKED(IDC_HALT, &CPyrelleDlg::OnHalt)
ON_BN_CLICKED(IDC_CALIBRATE, &CPyrelleDlg::OnCalibrate)
END_MESSAGE_MAP()

CPyrelleDlg::CPyrelleDlg(CWnd* pParent) : CDialog(IDD_PYRELLE_DIALOG, pParent) {
    m_nDisplaySeconds = 0;
    m_nAuxTemperature = 0;
    m_nTemperature = 0;
    m_nTickTimer = 0;
    m_nPulseTimer = 0;
    m_nStartTemp = 0;
    m_nSeg1Temp = 0;
    m_nSeg1Time = 0;
    m_nSeg2Time = 0;
    m_nSeg3Time = 0;
    m_nSeg4Time = 0;
    m_nSeg2Temp = 0;
    m_nSeg3Temp = 0;
    m_nSeg4Temp = 0;
    m_nPulseDuty = 0;
    m_nAxisTempMin = 0;
    m_nAxisTempMax = 0;
    m_nAxisTimeMin = 0;
    m_nAxisTimeMax = 0;
    m_nDutyPercent = 0;
    for (auto& b : m_abDisplayBits) b = 9;
    for (auto& e : m_aHistory) e = HistoryEntry{0, 0};
    m_hIcon = AfxGetApp() ? AfxGetApp()->LoadIcon(IDR_MAINFRAME) : nullptr;
}

// The chart's device context is the dialog's own and goes with it.
CPyrelleDlg::~CPyrelleDlg() {
    delete m_pChartDC;
}

void CPyrelleDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_HALT, m_btnHalt);
    DDX_Text(pDX, IDC_SPARE, m_strSpare);
    DDX_Text(pDX, IDC_START_TEMP, m_nStartTemp);
    DDX_Text(pDX, IDC_SEG1_TEMP, m_nSeg1Temp);
    DDX_Text(pDX, IDC_SEG1_TIME, m_nSeg1Time);
    DDX_Text(pDX, IDC_SEG2_TIME, m_nSeg2Time);
    DDX_Text(pDX, IDC_SEG3_TIME, m_nSeg3Time);
    DDX_Text(pDX, IDC_SEG4_TIME, m_nSeg4Time);
    DDX_Text(pDX, IDC_SEG2_TEMP, m_nSeg2Temp);
    DDX_Text(pDX, IDC_SEG3_TEMP, m_nSeg3Temp);
    DDX_Text(pDX, IDC_SEG4_TEMP, m_nSeg4Temp);
    DDX_Text(pDX, IDC_PULSE_DUTY, m_nPulseDuty);
    DDV_MinMaxInt(pDX, m_nPulseDuty, 0, 100);
    DDX_Text(pDX, IDC_TEMP_MIN, m_nAxisTempMin);
    DDV_MinMaxInt(pDX, m_nAxisTempMin, -100, 800);
    DDX_Text(pDX, IDC_TEMP_MAX, m_nAxisTempMax);
    DDV_MinMaxInt(pDX, m_nAxisTempMax, -100, 800);
    DDX_Text(pDX, IDC_TIME_MIN, m_nAxisTimeMin);
    DDV_MinMaxInt(pDX, m_nAxisTimeMin, 0, 60000);
    DDX_Text(pDX, IDC_TIME_MAX, m_nAxisTimeMax);
    DDV_MinMaxInt(pDX, m_nAxisTimeMax, 0, 60000);
    DDX_Text(pDX, IDC_DUTY_PERCENT, m_nDutyPercent);
    DDV_MinMaxInt(pDX, m_nDutyPercent, 0, 100);
    DDX_Text(pDX, IDC_FILE_NUMBER, m_strFileNumber);
}

bool CPyrelleDlg::TakeWholeForm() {
    auto fields = [this] {
        return std::tie(m_strSpare, m_nStartTemp, m_nSeg1Temp, m_nSeg1Time, m_nSeg2Time, m_nSeg3Time,
                        m_nSeg4Time, m_nSeg2Temp, m_nSeg3Temp, m_nSeg4Temp, m_nPulseDuty, m_nAxisTempMin,
                        m_nAxisTempMax, m_nAxisTimeMin, m_nAxisTimeMax, m_nDutyPercent, m_strFileNumber);
    };
    const auto saved = std::apply([](const auto&... f) { return std::make_tuple(f...); }, fields());
    if (UpdateData(TRUE)) return true;
    fields() = saved;
    return false;
}

BOOL CPyrelleDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    if (CMenu* pSysMenu = GetSystemMenu(FALSE)) {
        CString strAboutMenu;
        strAboutMenu.LoadString(IDS_ABOUTBOX);
        if (!strAboutMenu.IsEmpty()) {
            pSysMenu->AppendMenu(MF_SEPARATOR);
            pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, strAboutMenu);
        }
    }

    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    m_bFirstPoint = 1;
    if (!m_pChartDC) m_pChartDC = new CClientDC(this);
    m_strFileNumber = "1";
    SetupStatusFont();
    m_nRunState = kRunIdle;
    GetDlgItem(IDC_HALT)->SendMessage(BM_SETSTATE, FALSE);

    m_nAxisTempMax = m_nPlotTempMax = 390;
    m_nAxisTimeMin = 0;
    m_nAxisTimeMax = 3600;
    m_nAxisTempMin = 10;
    m_nSeg1Temp = 380;
    m_nSeg1Time = 29000;
    m_nSeg2Temp = 200;
    m_nSeg2Time = 900;
    m_nSeg3Temp = 300;
    m_nSeg3Time = 900;
    m_nSeg4Temp = 360;
    m_nSeg4Time = 20000;
    m_nElapsedSeconds = 0;
    m_nTickCount = 0;
    m_nPlotTimeMin = 0;
    m_nPlotTimeMax = 3600;
    m_nPlotTempMin = 10;
    m_nDutyPercent = 98;
    UpdateData(FALSE);

    // No level is written at start-up: nothing is switched until the user acts.
    m_bElementOn = 0;
    OpenPortDriver();
    RecoverJournals();
    return TRUE;
}

void CPyrelleDlg::OnSysCommand(UINT nID, LPARAM lParam) {
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg dlgAbout;
        dlgAbout.DoModal();
    } else {
        CDialog::OnSysCommand(nID, lParam);
    }
}

HCURSOR CPyrelleDlg::OnQueryDragIcon() {
    return m_hIcon;
}

void CPyrelleDlg::ReleasePort() {
    // The element goes off before the device closes: nothing controls it after.
    StopControl();
    CloseHandle(m_hDevice);
    m_hDevice = INVALID_HANDLE_VALUE;
    SaveUnloggedRun();
}

void CPyrelleDlg::LetGo() {
    if (m_hDevice == INVALID_HANDLE_VALUE && !m_bRunUnlogged) return;
    KillTimer(m_nTickTimer);
    ReleasePort();
    for (const Notice& n : m_notices) std::fprintf(stderr, "pyrelle: %s\n", static_cast<const char*>(n.text));
    m_notices.clear();
}

void CPyrelleDlg::OnCancel() {
    KillTimer(m_nTickTimer);
    KillTimer(m_nPulseTimer);
    ReleasePort();
    ShowNotices();
    CDialog::OnCancel();
}
