// The once-a-second run controller and the Run, Halt, Abort and Measure commands.
#include "app/PyrelleDlg.h"

void CPyrelleDlg::OnTimer(UINT_PTR) { Default(); }
void CPyrelleDlg::UpdateReadings() {}
int CPyrelleDlg::ComputeDuty(int, int) { return 0; }
void CPyrelleDlg::WriteElement() {}
void CPyrelleDlg::StopControl() {}
void CPyrelleDlg::OnRunPcMode() {}
void CPyrelleDlg::OnHalt() {}
void CPyrelleDlg::OnAbort() {}
void CPyrelleDlg::OnMeasure() {}
void CPyrelleDlg::OnOK() { CDialog::OnOK(); }
