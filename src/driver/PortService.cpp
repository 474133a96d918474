// Starting or installing the port driver's service.
#include "app/PyrelleDlg.h"

bool CPyrelleDlg::StartPortDriver() { return false; }
void CPyrelleDlg::InstallPortDriver() {}
