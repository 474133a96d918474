// The About box.
#pragma once

#include "platform/afxwin.h"
#include "res/resource.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg() : CDialog(IDD_ABOUTBOX) {}
    enum { IDD = IDD_ABOUTBOX };
};
