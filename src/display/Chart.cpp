// The chart: grid, program curve and measured curves, drawn straight onto the client area.
#include "app/PyrelleDlg.h"

void CPyrelleDlg::RedrawChart() {}
void CPyrelleDlg::PlotProgram() {}
void CPyrelleDlg::PlotSample(int, int, int) {}
