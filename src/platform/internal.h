// Internals shared by the platform's own sources. Qt may appear here; no
// header outside src/platform includes this one.
#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "platform/afxwin.h"
#include "platform/restypes.h"

class QPushButton;

namespace platform {

struct MenuItem {
    UINT flags;
    UINT_PTR id;
    std::string text;
};

struct Menu {
    std::vector<MenuItem> items;
};

enum class Mode { Test, Headless, Gui };

// How the program runs: set once at start-up.
struct Session {
    Mode mode = Mode::Test;
};
Session& TheSession();

}  // namespace platform

// A window: a dialog (top level) or one of its controls.
struct HWND__ {
    bool isDialog = false;
    int id = 0;
    platform::ControlClass cls = platform::ControlClass::Static;
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND parent = nullptr;
    CWnd* owner = nullptr;          // the object that handles its messages
    std::unique_ptr<CWnd> wrapper;  // a control's permanent CWnd (GetDlgItem)
    std::vector<std::unique_ptr<HWND__>> children;
    QPointer<QWidget> widget;
    RECT rect{};  // pixels, client coordinates of the parent

    // Controls.
    bool pushed = false;

    // Dialogs.
    const platform::DialogTemplate* tmpl = nullptr;
    QImage surface;            // the client area, drawn by device contexts
    bool liveUpdates = false;  // the window system shows the surface
    bool updatePending = false;
    bool ended = false;
    int result = 0;
    bool iconic = false;
    HWND focus = nullptr;
    std::unique_ptr<platform::Menu> sysMenu;
    CMenu sysMenuHandle;
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
};

namespace platform {

// Dialog units to pixels, as the dialog manager rounds them.
int DluToPixelX(int v);
int DluToPixelY(int v);

HWND CreateDialogWindow(const DialogTemplate& t, CDialog* owner);
void DestroyDialogWindow(HWND hwnd);
HWND FindChild(HWND dialog, int id);
LRESULT SendTo(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
std::string GetText(HWND hwnd);
void SetText(HWND hwnd, const std::string& text);
void SetFocusTo(HWND hwnd);
void ShowDialog(HWND hwnd);
void SetIconic(HWND dialog, bool iconic);
void SurfaceChanged(HWND dialog);
void PaintDefault(HWND dialog);
QImage IconImage(HICON icon);
HICON LoadIconResource(UINT id);
void ForgetWindowDCs(HWND hwnd);
void PressEnterIn(HWND dialog);

// Modal loops and the user's side.
INT_PTR RunModalLoop(HWND dialog);
HWND ActiveDialog();
void ReportBox(const char* text);
void WaitForEvents();
void ServeUntil(std::int64_t t);

// Timers of the platform clock.
UINT_PTR ClockSetTimer(HWND hwnd, UINT_PTR id, UINT elapse);
bool ClockKillTimer(HWND hwnd, UINT_PTR id);
void ClockKillTimers(HWND hwnd);
void ClockUseRealTime(double speed);
std::int64_t ClockNextDue();  // -1 when no timer is armed
void ClockAdvanceTo(std::int64_t t);
using TimersChanged = void (*)();
void ClockOnTimersChanged(TimersChanged fn);

}  // namespace platform
