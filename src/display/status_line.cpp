// The status line below the chart: labels at every paint, each value drawn
// by the operation that changes it.
#include <cstring>

#include "app/pyrelle_dlg.h"
#include "display/status_text.h"

namespace {

constexpr int kRow = 458;  // top of the text cells
constexpr int kTimeX = 120, kTempsX = 390, kDutyX = 710, kStateX = 880;
constexpr COLORREF kValueBackground = RGB(128, 128, 128);

}  // namespace

// Labels only: the chart and the values come back with their next update.
void CPyrelleDlg::OnPaint() {
    if (IsIconic()) {
        CPaintDC dc(this);
        SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
        const int cxIcon = GetSystemMetrics(SM_CXICON);
        const int cyIcon = GetSystemMetrics(SM_CYICON);
        RECT rect;
        GetClientRect(&rect);
        const int x = (rect.right - rect.left - cxIcon + 1) / 2;
        const int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
        dc.DrawIcon(x, y, m_hIcon);
    } else {
        CDialog::OnPaint();
    }
    if (!m_pChartDC) return;
    m_pChartDC->SetBkMode(TRANSPARENT);
    m_pChartDC->TextOut(60, kRow, "Time");
    m_pChartDC->TextOut(230, kRow, "Temperature");
    m_pChartDC->TextOut(650, kRow, "Duty");
    m_pChartDC->TextOut(800, kRow, "State");
    // Every value text paints its grey cells over what was there.
    m_pChartDC->SetBkColor(kValueBackground);
    m_pChartDC->SetBkMode(OPAQUE);
}

void CPyrelleDlg::SetupStatusFont() {
    m_logFont = LOGFONT{};
    m_logFont.lfHeight = 24;            // positive: the cell height
    m_logFont.lfCharSet = 255;          // OEM: byte 0xA7 is the degree mark
    m_logFont.lfPitchAndFamily = 0x31;  // fixed pitch, modern family
    std::strcpy(m_logFont.lfFaceName, "Courier");
    m_hFont = CreateFontIndirectA(&m_logFont);
    m_pChartDC->SelectObject(m_hFont);
}

void CPyrelleDlg::DrawTemps() {
    m_strTemps = display::TempsText(m_nTemperature, m_nAuxTemperature).c_str();
    m_pChartDC->TextOut(kTempsX, kRow, m_strTemps);
}

void CPyrelleDlg::DrawTime() {
    m_strTime = display::TimeText(m_nElapsedSeconds).c_str();
    m_pChartDC->TextOut(kTimeX, kRow, m_strTime);
}

void CPyrelleDlg::DrawDuty() {
    m_pChartDC->TextOut(kDutyX, kRow, m_strDuty);
}

void CPyrelleDlg::DrawState(LPCSTR word) {
    m_pChartDC->TextOut(kStateX, kRow, word, static_cast<int>(std::strlen(word)));
}
