// Windows: message routing through message maps, the controls' window
// procedure, CWnd, buttons, menus and dialogs.
#include "platform/api/internal.h"

namespace platform {
namespace {

// The window procedure of controls.
LRESULT ControlProc(HWND c, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == BM_GETSTATE) return c->pushed ? BST_PUSHED : 0;
    if (message == BM_SETSTATE) c->pushed = wParam != 0;
    return c->peer ? c->peer->Control(message, wParam, lParam) : 0;
}

}  // namespace

LRESULT SendTo(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!hwnd) return 0;
    if (!hwnd->isDialog) return ControlProc(hwnd, message, wParam, lParam);
    return hwnd->owner ? hwnd->owner->WindowProc(message, wParam, lParam) : 0;
}

}  // namespace platform

using namespace platform;

// ---------------------------------------------------------------- CWnd
CWnd::~CWnd() {
    // A bound control's object (a dialog member) goes before the dialog's
    // window does: the control falls back to its own wrapper instead of
    // keeping a dangling owner.
    if (m_hWnd && !m_hWnd->isDialog && m_hWnd->owner == this) m_hWnd->owner = m_hWnd->wrapper.get();
}

const AFX_MSGMAP* CWnd::GetMessageMap() const {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, nullptr}};
    static const AFX_MSGMAP map{nullptr, entries};
    return &map;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    CurrentMessage saved = m_current;
    m_current = {message, wParam, lParam};
    UINT code = 0, id = 0;
    if (message == WM_COMMAND) {
        id = LOWORD(wParam);
        code = HIWORD(wParam);
    }
    LRESULT result = 0;
    bool handled = false;
    for (const AFX_MSGMAP* map = GetMessageMap(); map && !handled; map = map->pBaseMap) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfn; ++e) {
            if (e->nMessage != message) continue;
            if (message == WM_COMMAND && (e->nID != id || e->nCode != code)) continue;
            result = e->pfn(this, wParam, lParam);
            handled = true;
            break;
        }
    }
    if (!handled) result = DefWindowProc(message, wParam, lParam);
    m_current = saved;
    return result;
}

LRESULT CWnd::Default() {
    return DefWindowProc(m_current.message, m_current.wParam, m_current.lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_hWnd && m_hWnd->isDialog) return DialogDefault(m_hWnd, message, wParam, lParam);
    return 0;
}

CWnd* CWnd::GetDlgItem(int nID) const {
    HWND c = FindChild(m_hWnd, nID);
    return c ? c->owner : nullptr;
}

int CWnd::GetDlgCtrlID() const {
    return m_hWnd ? m_hWnd->id : 0;
}

void CWnd::SetWindowText(LPCSTR text) {
    SetText(m_hWnd, text ? text : "");
}

void CWnd::GetWindowText(CString& text) const {
    text = CString(GetText(m_hWnd));
}

BOOL CWnd::IsWindowVisible() const {
    if (!m_hWnd) return FALSE;
    if (m_hWnd->isDialog) return m_hWnd->visible;
    return (m_hWnd->style & WS_VISIBLE) ? TRUE : FALSE;
}

BOOL CWnd::IsIconic() const {
    return m_hWnd && m_hWnd->iconic;
}

void CWnd::GetClientRect(LPRECT rect) const {
    if (!rect) return;
    *rect = RECT{0, 0, 0, 0};
    if (m_hWnd)
        *rect = RECT{0, 0, m_hWnd->rect.right - m_hWnd->rect.left, m_hWnd->rect.bottom - m_hWnd->rect.top};
}

CWnd* CWnd::SetFocus() {
    CWnd* old = GetFocus();
    SetFocusTo(m_hWnd);
    return old;
}

CWnd* CWnd::GetFocus() {
    HWND d = ActiveDialog();
    return d && d->focus ? d->focus->owner : nullptr;
}

CMenu* CWnd::GetSystemMenu(BOOL) const {
    return m_hWnd ? m_hWnd->sysMenu.get() : nullptr;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETICON && m_hWnd && m_hWnd->isDialog) {
        auto icon = reinterpret_cast<HICON>(lParam);
        HICON& slot = wParam == ICON_BIG ? m_hWnd->bigIcon : m_hWnd->smallIcon;
        HICON old = slot;
        slot = icon;
        if (m_hWnd->peer && icon) m_hWnd->peer->SetIcon(icon);
        return reinterpret_cast<LRESULT>(old);
    }
    return SendTo(m_hWnd, message, wParam, lParam);
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, void*) {
    return m_hWnd ? ClockSetTimer(m_hWnd, nIDEvent, nElapse) : 0;
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent) {
    return m_hWnd && ClockKillTimer(m_hWnd, nIDEvent);
}

// ---------------------------------------------------------------- CButton
UINT CButton::GetState() const {
    return static_cast<UINT>(SendTo(m_hWnd, BM_GETSTATE, 0, 0));
}

// ---------------------------------------------------------------- CDialog
BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, &CDialog::OnOK)
ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() {
    if (m_hWnd) DestroyDialogWindow(m_hWnd);
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd*) {
    const DialogTemplate* t = m_lpDialogTemplate ? m_lpDialogTemplate : FindDialogTemplate(nIDTemplate);
    if (!t || m_hWnd) return FALSE;
    m_nIDTemplate = nIDTemplate;
    m_hWnd = CreateDialogWindow(*t, this);
    if (OnInitDialog()) {
        // The dialog manager gives the focus to the first tab stop.
        for (auto& c : m_hWnd->children) {
            if ((c->style & WS_TABSTOP) && (c->style & WS_VISIBLE)) {
                SetFocusTo(c.get());
                break;
            }
        }
    }
    if (m_hWnd && !m_hWnd->ended) ShowDialog(m_hWnd);
    return TRUE;
}

INT_PTR CDialog::DoModal() {
    if (!Create(m_nIDTemplate, m_pParentWnd)) return -1;
    INT_PTR result = RunModalLoop(m_hWnd);
    DestroyDialogWindow(m_hWnd);
    return result;
}

void CDialog::EndDialog(int nResult) {
    if (!m_hWnd) return;
    m_hWnd->ended = true;
    m_hWnd->result = nResult;
    m_hWnd->visible = false;
    if (m_hWnd->peer) m_hWnd->peer->Hide();
}

bool CDialog::IsEnded() const {
    return m_hWnd && m_hWnd->ended;
}
