// The calibration dialog: a temperature scaling and offset kept in memory
// until the program ends. Nothing else reads them.
#pragma once

#include "platform/afxwin.h"
#include "res/resource.h"

// The values of the last Set; 0 and 0 at program start.
extern double g_dCalScale;
extern int g_nCalOffset;

class CCalibrationDlg : public CDialog {
public:
    explicit CCalibrationDlg(CWnd* pParent = nullptr);
    ~CCalibrationDlg() override = default;

    enum { IDD = IDD_CALIBRATION };

    int m_nOffset;
    double m_dScale;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    afx_msg void OnSet();

    DECLARE_MESSAGE_MAP()
};
