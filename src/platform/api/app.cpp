// The application object, strings and message boxes.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/api/internal.h"
#include "platform/clock.h"

namespace platform {
namespace {

CWinApp* g_app = nullptr;
constexpr DWORD kBoxStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr DWORD kOkStyle = WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON;

// A message box: its text and an OK button, as a dialog of its own. Its
// width grows with the text, as the system's box does.
class CMessageBoxDlg : public CDialog {
public:
    CMessageBoxDlg(const std::string& text, const char* caption)
        : CDialog(0), m_text(text), m_cx(std::clamp(static_cast<int>(text.size()) * 4 + 24, 120, 420)) {
        m_template.caption = caption;
        m_lpDialogTemplate = &m_template;
    }
    // A box with only OK answers Esc and closing with OK.
    void OnCancel() override { EndDialog(IDOK); }

private:
    std::string m_text;
    int m_cx;
    DialogControl m_controls[2] = {
        {0xFFFF, ControlClass::Static, m_text.c_str(), 12, 10, m_cx - 24, 20, WS_VISIBLE | SS_NOPREFIX, 0},
        {IDOK, ControlClass::Button, "OK", m_cx / 2 - 25, 36, 50, 14, kOkStyle, 0}};
    DialogTemplate m_template{0, "", kBoxStyle, 0, m_cx, 56, 8, "MS Sans Serif", m_controls, 2};
};

}  // namespace
}  // namespace platform

using namespace platform;

void CString::Format(const char* fmt, ...) {
    va_list ap, ap2;
    va_start(ap, fmt);
    va_copy(ap2, ap);
    const int n = std::max(std::vsnprintf(nullptr, 0, fmt, ap), 0);
    va_end(ap);
    // Written aside first: an argument may be this string's own text.
    std::string s(static_cast<std::size_t>(n) + 1, '\0');
    std::vsnprintf(s.data(), s.size(), fmt, ap2);
    va_end(ap2);
    s.resize(static_cast<std::size_t>(n));
    m_s = std::move(s);
}

CString& CString::operator=(const char* s) {
    if (s)
        m_s.assign(s, std::strlen(s));
    else
        m_s.clear();
    return *this;
}

BOOL CString::LoadString(UINT id) {
    const char* s = FindString(id);
    m_s = s ? s : "";
    return s != nullptr;
}

CWinApp::CWinApp(LPCSTR lpszAppName) : m_pszAppName(lpszAppName) {
    g_app = this;
}
CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}
HICON CWinApp::LoadIcon(UINT nIDResource) const {
    return LoadIconResource(nIDResource);
}
CWinApp* AfxGetApp() {
    return g_app;
}

int AfxMessageBox(LPCSTR lpszText, UINT, UINT) {
    std::string text = lpszText ? lpszText : "";
    ReportBox(text.c_str());
    // While the application ends on request, nobody is there to answer a box.
    if (QuitRequested()) return IDOK;
    // The caption is the application's name, else its title in the string table.
    const char* caption = g_app && g_app->m_pszAppName ? g_app->m_pszAppName : FindString(AFX_IDS_APP_TITLE);
    CMessageBoxDlg box(text, caption ? caption : "");
    return static_cast<int>(box.DoModal());
}
