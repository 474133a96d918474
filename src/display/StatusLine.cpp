// The status line below the chart.
#include "app/PyrelleDlg.h"

void CPyrelleDlg::OnPaint() { CDialog::OnPaint(); }
void CPyrelleDlg::SetupStatusFont() {}
void CPyrelleDlg::DrawTemps() {}
void CPyrelleDlg::DrawTime() {}
void CPyrelleDlg::DrawDuty() {}
void CPyrelleDlg::DrawState(LPCSTR) {}
