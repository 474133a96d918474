// The calibration dialog and the Calibrate command.
#include "records/calibration_dlg.h"

#include "app/pyrelle_dlg.h"

double g_dCalScale = 0.0;
int g_nCalOffset = 0;

BEGIN_MESSAGE_MAP(CCalibrationDlg, CDialog)
ON_BN_CLICKED(IDC_CAL_SET, &CCalibrationDlg::OnSet)
END_MESSAGE_MAP()

CCalibrationDlg::CCalibrationDlg(CWnd* pParent) : CDialog(IDD_CALIBRATION, pParent) {
    m_nOffset = 0;
    m_dScale = 0.0;
}

// The offset comes first: letters in it stop the exchange before the scaling.
void CCalibrationDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_CAL_OFFSET, m_nOffset);
    DDX_Text(pDX, IDC_CAL_SCALE, m_dScale);
    DDV_MinMaxDouble(pDX, m_dScale, 0.01, 100.0);
}

BOOL CCalibrationDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_dScale = g_dCalScale;
    m_nOffset = g_nCalOffset;
    UpdateData(FALSE);
    return TRUE;
}

// Saves the fields as the exchange left them, an out-of-range scaling included;
// the dialog stays open.
void CCalibrationDlg::OnSet() {
    UpdateData(TRUE);
    g_dCalScale = m_dScale;
    g_nCalOffset = m_nOffset;
}

// The main window's timers keep running in the dialog's modal loop.
void CPyrelleDlg::OnCalibrate() {
    CCalibrationDlg dlg;
    dlg.DoModal();
}
