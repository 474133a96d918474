// The application object, strings and message boxes.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/api/internal.h"
#include "platform/clock.h"

namespace platform {
namespace {

CWinApp* g_app = nullptr;
constexpr DWORD kBoxStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr DWORD kOkStyle = WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON;
constexpr int kIconId = 20, kTextId = 0xFFFF;
// Dialog units: margins, the icon's square of 32 pixels, the OK button.
constexpr int kMargin = 7, kIconCx = 22, kIconCy = 20, kOkCx = 50, kOkCy = 14, kMinCx = 120;
// The widest the text may be, in pixels: longer lines wrap.
constexpr int kMaxTextWidth = 400;

// The system icon a box's type asks for, 0 for none.
UINT IconOf(UINT type) {
    switch (type & 0xF0) {
        case MB_ICONSTOP:
            return IDI_HAND;
        case MB_ICONEXCLAMATION:
            return IDI_EXCLAMATION;
        case MB_ICONINFORMATION:
            return IDI_ASTERISK;
        default:
            return 0;
    }
}

// Pixels to dialog units, rounded up so that the pixels always fit.
int DluX(int px) {
    return (std::clamp(px, 1, 1 << 20) * 4 + 5) / 6;
}
int DluY(int px) {
    return (std::clamp(px, 1, 1 << 20) * 8 + 12) / 13;
}

TextExtent Measure(const std::string& text, int maxWidth) {
    // Without a window system nothing shows, and any size will do.
    WindowSystem* ws = TheWindowSystem();
    return ws ? ws->MeasureText(text, maxWidth) : TextExtent{maxWidth, 13};
}

// A message box: the icon of its type, its text and an OK button, as a
// dialog of its own that sizes itself to the text, as the system's box does.
class CMessageBoxDlg : public CDialog {
public:
    CMessageBoxDlg(const std::string& text, const char* caption, UINT type) : CDialog(0), m_text(text) {
        const UINT icon = IconOf(type);
        const int textX = icon ? 2 * kMargin + kIconCx : kMargin;
        const int textCx = DluX(Measure(text, kMaxTextWidth).width);
        // The lines as they break at the width the control really gets.
        const int textCy = DluY(Measure(text, DluToPixelX(textCx)).height);
        const int textY = kMargin + (icon ? std::max(0, (kIconCy - textCy) / 2) : 0);
        const int okY = std::max(textY + textCy, icon ? kMargin + kIconCy : 0) + kMargin;
        const int cx = std::max({textX + textCx + kMargin, kOkCx + 2 * kMargin, kMinCx});
        if (icon)
            m_controls.push_back({kIconId, ControlClass::Static, nullptr, kMargin, kMargin, kIconCx, kIconCy,
                                  WS_VISIBLE | SS_ICON, 0, icon});
        m_controls.push_back({kTextId, ControlClass::Static, m_text.c_str(), textX, textY, textCx, textCy,
                              WS_VISIBLE | SS_NOPREFIX | SS_EDITCONTROL, 0});
        m_controls.push_back(
            {IDOK, ControlClass::Button, "OK", (cx - kOkCx) / 2, okY, kOkCx, kOkCy, kOkStyle, 0});
        const int cy = okY + kOkCy + kMargin;
        m_template = {0, caption, kBoxStyle, 0, cx, cy, 8, "MS Sans Serif", m_controls.data(), 0};
        m_template.count = static_cast<int>(m_controls.size());
        m_lpDialogTemplate = &m_template;
    }
    // A box with only OK answers Esc and closing with OK.
    void OnCancel() override { EndDialog(IDOK); }

private:
    std::string m_text;
    std::vector<DialogControl> m_controls;
    DialogTemplate m_template{};
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

int AfxMessageBox(LPCSTR lpszText, UINT nType, UINT) {
    std::string text = lpszText ? lpszText : "";
    ReportBox(text.c_str());
    // While the application ends on request, nobody is there to answer a box.
    if (QuitRequested()) return IDOK;
    // The caption is the application's name, else its title in the string table.
    const char* caption = g_app && g_app->m_pszAppName ? g_app->m_pszAppName : FindString(AFX_IDS_APP_TITLE);
    CMessageBoxDlg box(text, caption ? caption : "", nType);
    return static_cast<int>(box.DoModal());
}
