// ReadDisplay and DecodeDigit of the main dialog: one sample request, then
// the panel decoder over the dialog's fields.
#include <cstring>

#include "app/pyrelle_dlg.h"
#include "driver/port_requests.h"
#include "readout/panel_decoder.h"

void CPyrelleDlg::ReadDisplay() {
    unsigned char abWindow[driver::kWindowSize];
    // A request that fails leaves the window as prepared: one edge, data 1,
    // so every digit reads 8.
    std::memset(abWindow, 0xFF, sizeof abWindow);
    abWindow[0] = 0;
    driver::SampleWindow(m_hDevice, abWindow);

    const readout::PanelReading r = readout::Decode(abWindow, sizeof abWindow, m_abDisplayBits);
    m_nTemperature = r.main;
    m_nAuxTemperature = r.aux;
    m_nDisplaySeconds = r.seconds;
}

int CPyrelleDlg::DecodeDigit(int base) {
    return readout::DecodeDigit(m_abDisplayBits, base);
}
