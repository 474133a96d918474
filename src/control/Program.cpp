// The four-segment temperature program.
#include "app/PyrelleDlg.h"

int CPyrelleDlg::SegmentTargetTemp(int) { return 0; }

int CPyrelleDlg::SegmentTime(int) { return 0; }
