// The run log file written by Abort.
#include "app/PyrelleDlg.h"

void CPyrelleDlg::WriteRunLog() {}
