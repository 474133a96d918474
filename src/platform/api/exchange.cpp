// Dialog data exchange and validation, with the framework's rules and messages.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/api/internal.h"

namespace platform {
namespace {

// Thrown by CDataExchange::Fail, caught by UpdateData: the exchange stops.
struct ExchangeFailed {};

// The number in `text`, with blanks and tabs around it: an optional sign and
// digits, and for a real number an optional point and exponent. "" for none.
std::string Number(const std::string& text, bool real) {
    auto blanks = [](const char* p) {
        while (*p == ' ' || *p == '\t') ++p;
        return p;
    };
    auto digits = [](const char*& p) {
        const char* first = p;
        while (*p >= '0' && *p <= '9') ++p;
        return p > first;
    };
    const char* start = blanks(text.c_str());
    const char* p = start + (*start == '+' || *start == '-');
    bool any = digits(p);
    if (real && *p == '.') any = digits(++p) || any;
    if (!any) return "";
    if (real && (*p == 'e' || *p == 'E')) {
        const char* q = p + 1 + (p[1] == '+' || p[1] == '-');
        if (!digits(q)) return "";
        p = q;
    }
    return *blanks(p) ? "" : std::string(start, p);
}

bool ParseInt(const std::string& text, int& value) {
    const std::string n = Number(text, false);
    errno = 0;
    const long long v = n.empty() ? 0 : std::strtoll(n.c_str(), nullptr, 10);
    // A number beyond the int range is no integer the field can hold.
    if (n.empty() || errno == ERANGE || v < std::numeric_limits<int>::min() ||
        v > std::numeric_limits<int>::max())
        return false;
    value = static_cast<int>(v);
    return true;
}

bool ParseDouble(const std::string& text, double& value) {
    const std::string n = Number(text, true);
    const double v = n.empty() ? 0 : std::strtod(n.c_str(), nullptr);
    if (n.empty() || !std::isfinite(v)) return false;
    value = v;
    return true;
}

std::string FormatDouble(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    return buf;
}

// The user is told why, then the exchange ends at the control.
[[noreturn]] void Reject(CDataExchange* pDX, const char* message, UINT type) {
    AfxMessageBox(message, type);
    pDX->Fail();
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
    // The framework reads at most 31 characters of the control.
    if (!pDX->m_bSaveAndValidate)
        SetText(c, std::to_string(value));
    else if (!ParseInt(GetText(c).substr(0, 31), value))
        Reject(pDX, "Please enter an integer.", MB_OK);
}

void DDX_Text(CDataExchange* pDX, int nIDC, double& value) {
    HWND c = pDX->PrepareEditCtrl(nIDC);
    if (!pDX->m_bSaveAndValidate)
        SetText(c, FormatDouble(value));
    else if (!ParseDouble(GetText(c).substr(0, 399), value))
        Reject(pDX, "Please enter a number.", MB_OK);
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal) {
    if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal)) return;
    CString msg;
    msg.Format("Please enter an integer between %d and %d.", minVal, maxVal);
    Reject(pDX, msg, MB_ICONEXCLAMATION);
}

void DDV_MinMaxDouble(CDataExchange* pDX, double const& value, double minVal, double maxVal) {
    if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal)) return;
    Reject(pDX,
           ("Please enter a number between " + FormatDouble(minVal) + " and " + FormatDouble(maxVal) + ".")
               .c_str(),
           MB_ICONEXCLAMATION);
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
