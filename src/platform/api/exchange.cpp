// Dialog data exchange and validation, with the framework's rules and messages.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/api/internal.h"

namespace platform {
namespace {

// Thrown by CDataExchange::Fail, caught by UpdateData: the exchange stops.
struct ExchangeFailed {};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

const char* SkipBlanks(const char* p) {
    while (IsBlank(*p)) ++p;
    return p;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// An optionally signed decimal integer with blanks and tabs around it.
bool ParseInt(const std::string& text, int& value) {
    const char* p = SkipBlanks(text.c_str());
    const char* start = p;
    if (*p == '+' || *p == '-') ++p;
    if (!IsDigit(*p)) return false;
    while (IsDigit(*p)) ++p;
    const char* end = p;
    if (*SkipBlanks(p) != '\0') return false;
    errno = 0;
    long long v = std::strtoll(std::string(start, end).c_str(), nullptr, 10);
    // A number beyond the int range is no integer the field can hold.
    if (errno == ERANGE || v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        return false;
    value = static_cast<int>(v);
    return true;
}

// A decimal number: sign, digits with an optional point, optional exponent.
bool ParseDouble(const std::string& text, double& value) {
    const char* p = SkipBlanks(text.c_str());
    const char* start = p;
    if (*p == '+' || *p == '-') ++p;
    bool digits = false;
    while (IsDigit(*p)) ++p, digits = true;
    if (*p == '.') {
        ++p;
        while (IsDigit(*p)) ++p, digits = true;
    }
    if (!digits) return false;
    if (*p == 'e' || *p == 'E') {
        const char* q = p + 1;
        if (*q == '+' || *q == '-') ++q;
        if (!IsDigit(*q)) return false;
        while (IsDigit(*q)) ++q;
        p = q;
    }
    const char* end = p;
    if (*SkipBlanks(p) != '\0') return false;
    double v = std::strtod(std::string(start, end).c_str(), nullptr);
    if (!(v > -std::numeric_limits<double>::infinity() && v < std::numeric_limits<double>::infinity()))
        return false;
    value = v;
    return true;
}

std::string FormatDouble(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    return buf;
}

}  // namespace
}  // namespace platform

using namespace platform;

HWND CDataExchange::PrepareCtrl(int nIDC) {
    HWND c = FindChild(m_pDlgWnd ? m_pDlgWnd->m_hWnd : nullptr, nIDC);
    m_idLastControl = nIDC;
    m_bEditLastControl = FALSE;
    return c;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC) {
    HWND c = PrepareCtrl(nIDC);
    m_bEditLastControl = TRUE;
    return c;
}

void CDataExchange::Fail() {
    if (m_bSaveAndValidate) {
        HWND c = FindChild(m_pDlgWnd ? m_pDlgWnd->m_hWnd : nullptr, m_idLastControl);
        if (c) {
            SetFocusTo(c);
            if (m_bEditLastControl) SendTo(c, EM_SETSEL, 0, -1);
        }
    }
    throw ExchangeFailed{};
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (rControl.m_hWnd) return;
    HWND c = pDX->PrepareCtrl(nIDC);
    if (!c) return;
    rControl.m_hWnd = c;
    c->owner = &rControl;  // the object takes over the control's messages
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
    HWND c = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = CString(GetText(c));
    else
        SetText(c, value.str());
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value) {
    HWND c = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        // The framework reads at most 31 characters of the control.
        std::string text = GetText(c).substr(0, 31);
        if (!ParseInt(text, value)) {
            AfxMessageBox("Please enter an integer.");
            pDX->Fail();
        }
    } else {
        SetText(c, std::to_string(value));
    }
}

void DDX_Text(CDataExchange* pDX, int nIDC, double& value) {
    HWND c = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        std::string text = GetText(c).substr(0, 399);
        if (!ParseDouble(text, value)) {
            AfxMessageBox("Please enter a number.");
            pDX->Fail();
        }
    } else {
        SetText(c, FormatDouble(value));
    }
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal) {
    if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal)) return;
    CString msg;
    msg.Format("Please enter an integer between %d and %d.", minVal, maxVal);
    AfxMessageBox(msg, MB_ICONEXCLAMATION);
    pDX->Fail();
}

void DDV_MinMaxDouble(CDataExchange* pDX, double const& value, double minVal, double maxVal) {
    if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal)) return;
    std::string msg =
        "Please enter a number between " + FormatDouble(minVal) + " and " + FormatDouble(maxVal) + ".";
    AfxMessageBox(msg.c_str(), MB_ICONEXCLAMATION);
    pDX->Fail();
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const ExchangeFailed&) {
        return FALSE;
    }
    return TRUE;
}
