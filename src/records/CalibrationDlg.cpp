// The calibration dialog and the Calibrate command.
#include "app/PyrelleDlg.h"

void CPyrelleDlg::OnCalibrate() {}
