// The application object, strings and message boxes.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/api/internal.h"

namespace platform {

namespace {

CWinApp* g_app = nullptr;

// A message box: its text and an OK button, as a dialog of its own.
class CMessageBoxDlg : public CDialog {
public:
    CMessageBoxDlg(const char* text, UINT type, const char* caption) : CDialog(0), m_text(text ? text : "") {
        (void)type;
        // Width grows with the text, as the system's box does.
        int cx = std::clamp(static_cast<int>(m_text.size()) * 4 + 24, 120, 420);
        m_controls[0] = DialogControl{
            0xFFFF, ControlClass::Static, m_text.c_str(), 12, 10, cx - 24, 20, WS_VISIBLE | SS_NOPREFIX, 0};
        m_controls[1] = DialogControl{IDOK, ControlClass::Button,
                                      "OK", cx / 2 - 25,
                                      36,   50,
                                      14,   WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                                      0};
        m_template = DialogTemplate{0,
                                    caption,
                                    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                                    0,
                                    cx,
                                    56,
                                    8,
                                    "MS Sans Serif",
                                    m_controls,
                                    2};
        m_lpDialogTemplate = &m_template;
    }

    // A box with only OK answers Esc and closing with OK.
    void OnCancel() override { EndDialog(IDOK); }

private:
    std::string m_text;
    DialogControl m_controls[2];
    DialogTemplate m_template{};
};

}  // namespace
}  // namespace platform

using namespace platform;

void CString::Format(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    va_list ap2;
    va_copy(ap2, ap);
    int n = std::vsnprintf(nullptr, 0, fmt, ap);
    va_end(ap);
    if (n < 0) {
        va_end(ap2);
        m_s.clear();
        return;
    }
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
BOOL CWinApp::InitInstance() {
    return TRUE;
}
HICON CWinApp::LoadIcon(UINT nIDResource) const {
    return LoadIconResource(nIDResource);
}

CWinApp* AfxGetApp() {
    return g_app;
}
BOOL AfxEnableControlContainer() {
    return TRUE;
}

int AfxMessageBox(LPCSTR lpszText, UINT nType, UINT) {
    std::string text = lpszText ? lpszText : "";
    ReportBox(text.c_str());
    // The caption is the application's name, else its title in the string table.
    CWinApp* app = AfxGetApp();
    const char* caption = app && app->m_pszAppName ? app->m_pszAppName : FindString(AFX_IDS_APP_TITLE);
    CMessageBoxDlg box(text.c_str(), nType, caption ? caption : "");
    return static_cast<int>(box.DoModal());
}
