// Modal loops and the user's side: a modal window runs until it ends, asking
// the installed user side for the next step whenever it is idle.
#include <vector>

#include "platform/api/internal.h"
#include "platform/clock.h"
#include "platform/trace.h"
#include "platform/user.h"

namespace platform {
namespace {

UserSide* g_user = nullptr;
TraceSink g_trace = nullptr;

std::vector<HWND>& Modal() {
    static std::vector<HWND> modal;  // innermost last
    return modal;
}

HWND MainHwnd() {
    CWinApp* app = AfxGetApp();
    return app && app->m_pMainWnd ? app->m_pMainWnd->m_hWnd : nullptr;
}

// Closes a window the user has left: its default push button, else IDCANCEL.
void CloseByDefault(HWND dialog) {
    int id = IDCANCEL;
    for (auto& ch : dialog->children)
        if (ch->cls == ControlClass::Button && (ch->style & 0xF) == BS_DEFPUSHBUTTON) id = ch->id;
    SendTo(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    if (!dialog->ended) {
        dialog->ended = true;
        dialog->result = IDCANCEL;
    }
}

}  // namespace

HWND ActiveDialog() {
    return Modal().empty() ? MainHwnd() : Modal().back();
}

INT_PTR RunModalLoop(HWND dialog) {
    Modal().push_back(dialog);
    if (g_user) g_user->Opened(dialog->tmpl ? dialog->tmpl->id : 0);
    WindowSystem* ws = TheWindowSystem();
    while (!dialog->ended) {
        UserSide::Step step = g_user ? g_user->Next() : UserSide::Step::Wait;
        if (step == UserSide::Step::Wait && ws && ws->Live())
            ws->WaitForEvents();
        else if (step != UserSide::Step::Acted)
            CloseByDefault(dialog);
    }
    Modal().pop_back();
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
    if (!control || !control->m_hWnd) return;
    SetFocusTo(control->m_hWnd);
    SetText(control->m_hWnd, text);
}

void Click(CWnd* control) {
    HWND h = control ? control->m_hWnd : nullptr;
    if (!h || !h->parent) return;
    if (h->cls == ControlClass::Button && (h->style & 0xF) != BS_GROUPBOX) SetFocusTo(h);
    SendTo(h->parent, WM_COMMAND, MAKEWPARAM(h->id, BN_CLICKED), 0);
}

void PressEnter(CWnd* dialog) {
    if (dialog && dialog->m_hWnd) PressEnterIn(dialog->m_hWnd);
}

void Minimize(CWnd* dialog, bool iconic) {
    if (dialog && dialog->m_hWnd) SetIconic(dialog->m_hWnd, iconic);
}

bool Screenshot(CWnd* dialog, const std::string& path) {
    return dialog && dialog->m_hWnd && dialog->m_hWnd->peer && dialog->m_hWnd->peer->Screenshot(path);
}

void LetTimePass(std::int64_t ms) {
    std::int64_t target = NowMs() + ms;
    if (WindowSystem* ws = TheWindowSystem(); ws && ws->Live()) ws->ServeUntil(target);
    ClockAdvanceTo(target);
}

void SetTraceSink(TraceSink sink) {
    g_trace = sink;
}

void Trace(const char* event) {
    if (g_trace) g_trace(event);
}

}  // namespace platform
