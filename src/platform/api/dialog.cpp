// The dialog manager: windows from templates, the client-area surface and
// its default painting, the keyboard's Enter rule, what the window system is
// asked to show, and the modal loops, which ask the installed user side for
// the next step whenever a modal window is idle.
#include <algorithm>

#include "platform/api/internal.h"
#include "platform/clock.h"
#include "platform/user.h"

namespace platform {
namespace {

constexpr std::uint32_t kFace = 0xFFF0F0F0, kWhite = 0xFFFFFFFF;

WindowSystem* g_windowSystem = nullptr;
UserSide* g_user = nullptr;
std::vector<HWND> g_modal;  // open modal windows, innermost last

// The dialog's default push button, `otherwise` where it has none.
int DefaultButton(HWND dialog, int otherwise) {
    for (auto& c : dialog->children)
        if (c->cls == ControlClass::Button && (c->style & 0xF) == BS_DEFPUSHBUTTON) otherwise = c->id;
    return otherwise;
}

// Closes a window the user has left: its default push button, else IDCANCEL.
void CloseByDefault(HWND dialog) {
    SendTo(dialog, WM_COMMAND, MAKEWPARAM(DefaultButton(dialog, IDCANCEL), BN_CLICKED), 0);
    if (!dialog->ended) {
        dialog->ended = true;
        dialog->result = IDCANCEL;
    }
}

HWND HwndOf(CWnd* w) {
    return w ? w->m_hWnd : nullptr;
}

// Fills the pixels from (x0, y0) up to, not including, (x1, y1).
void Fill(Surface& s, int x0, int y0, int x1, int y1, std::uint32_t colour) {
    x0 = std::max(x0, 0), y0 = std::max(y0, 0), x1 = std::min(x1, s.width), y1 = std::min(y1, s.height);
    for (int y = y0; y < y1 && x0 < x1; ++y) std::fill(s.Row(y) + x0, s.Row(y) + x1, colour);
}

// The one-pixel frame of the rectangle from (l, t) to (r, b), both corners
// inside: `tl` above and left, `br` below and right.
void Edge(Surface& s, int l, int t, int r, int b, std::uint32_t tl, std::uint32_t br) {
    Fill(s, l, t, r, t + 1, tl);
    Fill(s, l, t, l + 1, b, tl);
    Fill(s, l, b, r + 1, b + 1, br);
    Fill(s, r, t, r + 1, b + 1, br);
}

void PaintDefault(HWND dialog) {
    Surface& s = dialog->surface;
    std::fill(s.pixels.begin(), s.pixels.end(), kFace);
    for (auto& c : dialog->children) {
        if (c->cls != ControlClass::Static || (c->style & 0x1F) != SS_WHITERECT) continue;
        if (!(c->style & WS_VISIBLE)) continue;
        const RECT& r = c->rect;
        Fill(s, r.left, r.top, r.right, r.bottom, kWhite);
        if ((c->exStyle & WS_EX_CLIENTEDGE) || (c->style & SS_SUNKEN)) {
            // A sunken edge: shadow above and left, light below and right.
            Edge(s, r.left, r.top, r.right - 1, r.bottom - 1, 0xFFA0A0A0, kWhite);
            Edge(s, r.left + 1, r.top + 1, r.right - 2, r.bottom - 2, 0xFF696969, 0xFFE3E3E3);
        }
    }
    SurfaceChanged(dialog);
}

}  // namespace

int DluToPixelX(int v) {
    return v >= 0 ? (v * 6 + 2) / 4 : -((-v * 6 + 2) / 4);
}
int DluToPixelY(int v) {
    return v >= 0 ? (v * 13 + 4) / 8 : -((-v * 13 + 4) / 8);
}

void InstallWindowSystem(WindowSystem* system) {
    g_windowSystem = system;
}

WindowSystem* TheWindowSystem() {
    return g_windowSystem;
}

HWND CreateDialogWindow(const DialogTemplate& t, CDialog* owner) {
    auto* hwnd = new HWND__;
    hwnd->isDialog = true;
    hwnd->tmpl = &t;
    hwnd->style = t.style;
    hwnd->exStyle = t.exStyle;
    hwnd->owner = owner;
    const int width = DluToPixelX(t.cx), height = DluToPixelY(t.cy);
    hwnd->rect = RECT{0, 0, width, height};
    if (width > 0 && height > 0)
        hwnd->surface =
            Surface{width, height, std::vector<std::uint32_t>(std::size_t(width) * height, kFace)};
    if (t.style & WS_SYSMENU) {
        hwnd->sysMenu = std::make_unique<CMenu>();
        hwnd->sysMenu->AppendMenu(MF_STRING, SC_MOVE, "&Move");
        hwnd->sysMenu->AppendMenu(MF_STRING, SC_CLOSE, "&Close");
    }
    for (int i = 0; i < t.count; ++i) {
        const DialogControl& dc = t.controls[i];
        auto c = std::make_unique<HWND__>();
        c->id = dc.id;
        c->cls = dc.cls;
        c->style = dc.style;
        c->exStyle = dc.exStyle;
        c->parent = hwnd;
        c->rect = RECT{DluToPixelX(dc.x), DluToPixelY(dc.y), DluToPixelX(dc.x) + DluToPixelX(dc.cx),
                       DluToPixelY(dc.y) + DluToPixelY(dc.cy)};
        c->wrapper = std::make_unique<CWnd>();
        c->wrapper->m_hWnd = c.get();
        c->owner = c->wrapper.get();
        hwnd->children.push_back(std::move(c));
    }
    if (g_windowSystem) {
        hwnd->liveUpdates = g_windowSystem->Live();
        g_windowSystem->Create(hwnd);
    }
    return hwnd;
}

void DestroyDialogWindow(HWND hwnd) {
    if (!hwnd) return;
    ClockKillTimers(hwnd);
    ForgetWindowDCs(hwnd);
    if (hwnd->owner) hwnd->owner->m_hWnd = nullptr;
    for (auto& c : hwnd->children)
        if (c->owner && c->owner != c->wrapper.get()) c->owner->m_hWnd = nullptr;  // bound controls
    hwnd->peer.reset();
    delete hwnd;
}

HWND FindChild(HWND dialog, int id) {
    if (!dialog) return nullptr;
    for (auto& c : dialog->children)
        if (c->id == id) return c.get();
    return nullptr;
}

std::string GetText(HWND hwnd) {
    return hwnd && hwnd->peer ? hwnd->peer->Text() : std::string();
}

void SetText(HWND hwnd, const std::string& text) {
    if (hwnd && hwnd->peer) hwnd->peer->SetText(text);
}

void SetFocusTo(HWND hwnd) {
    if (!hwnd || hwnd->isDialog || !hwnd->parent) return;
    hwnd->parent->focus = hwnd;
    if (hwnd->peer) hwnd->peer->Focus();
}

void ShowDialog(HWND hwnd) {
    if (!hwnd->peer) return;
    HWND active = ActiveDialog();
    hwnd->visible = true;
    hwnd->peer->Show(hwnd->parent == nullptr && active && active != hwnd);
    // The window's first paint.
    SendTo(hwnd, WM_PAINT, 0, 0);
}

void SetIconic(HWND dialog, bool iconic) {
    if (dialog->iconic == iconic) return;
    dialog->iconic = iconic;
    if (dialog->peer) dialog->peer->SetIconic(iconic);
    SendTo(dialog, WM_PAINT, 0, 0);
}

void SurfaceChanged(HWND dialog) {
    if (!dialog->liveUpdates || dialog->updatePending || !dialog->peer) return;
    dialog->updatePending = true;
    dialog->peer->Repaint();
}

void PressEnterIn(HWND dialog) {
    // Enter on a focused push button clicks it; anywhere else it is IDOK, or
    // the default push button where the dialog has one.
    HWND f = dialog->focus;
    const bool button = f && f->cls == ControlClass::Button && (f->style & 0xF) != BS_GROUPBOX;
    SendTo(dialog, WM_COMMAND, MAKEWPARAM(button ? f->id : DefaultButton(dialog, IDOK), BN_CLICKED), 0);
}

LRESULT DialogDefault(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_PAINT:
            PaintDefault(hwnd);
            return 0;
        case WM_SYSCOMMAND:
            switch (wParam & 0xFFF0) {
                case SC_CLOSE:
                    return SendTo(hwnd, WM_CLOSE, 0, 0);
                case SC_MINIMIZE:
                case SC_RESTORE:
                    SetIconic(hwnd, (wParam & 0xFFF0) == SC_MINIMIZE);
                    return 0;
                case SC_MOVE:
                    if (hwnd->peer) hwnd->peer->StartMove();
                    return 0;
                default:
                    return 0;
            }
        case WM_CLOSE:
            return SendTo(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        default:
            return 0;
    }
}

HWND ActiveDialog() {
    if (!g_modal.empty()) return g_modal.back();
    CWinApp* app = AfxGetApp();
    return app ? HwndOf(app->m_pMainWnd) : nullptr;
}

INT_PTR RunModalLoop(HWND dialog) {
    g_modal.push_back(dialog);
    if (g_user) g_user->Opened(dialog->tmpl ? dialog->tmpl->id : 0);
    WindowSystem* ws = TheWindowSystem();
    while (!dialog->ended) {
        if (QuitRequested()) {
            CloseByDefault(dialog);
            continue;
        }
        UserSide::Step step = g_user ? g_user->Next() : UserSide::Step::Wait;
        if (step == UserSide::Step::Wait && ws && ws->Live())
            ws->WaitForEvents();
        else if (step != UserSide::Step::Acted)
            CloseByDefault(dialog);
    }
    g_modal.pop_back();
    return dialog->result;
}

void ReportBox(const char* text) {
    if (g_user) g_user->Box(text);
}

void InstallUserSide(UserSide* user) {
    g_user = user;
}

CWnd* ActiveWindow() {
    HWND h = ActiveDialog();
    return h ? h->owner : nullptr;
}

void Type(CWnd* control, const std::string& text) {
    SetFocusTo(HwndOf(control));
    SetText(HwndOf(control), text);
}

void Click(CWnd* control) {
    HWND h = HwndOf(control);
    if (!h || !h->parent) return;
    if (h->cls == ControlClass::Button && (h->style & 0xF) != BS_GROUPBOX) SetFocusTo(h);
    SendTo(h->parent, WM_COMMAND, MAKEWPARAM(h->id, BN_CLICKED), 0);
}

void PressEnter(CWnd* dialog) {
    if (HWND h = HwndOf(dialog)) PressEnterIn(h);
}

bool Screenshot(CWnd* dialog, const std::string& path) {
    HWND h = HwndOf(dialog);
    return h && h->peer && h->peer->Screenshot(path);
}

void LetTimePass(std::int64_t ms) {
    std::int64_t target = NowMs() + ms;
    if (WindowSystem* ws = TheWindowSystem(); ws && ws->Live()) ws->ServeUntil(target);
    ClockAdvanceTo(target);
}

}  // namespace platform
