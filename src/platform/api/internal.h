// Internals shared by the framework's sources and the window system behind
// them: the windows behind CWnd, their client-area surfaces, the modal loops
// and the clock's timers. No window-system type appears here.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/api/window_system.h"
#include "platform/restypes.h"

namespace platform {

// A client area's pixels, 0xFFRRGGBB, row by row.
struct Surface {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t* Row(std::int64_t y) { return pixels.data() + y * width; }
};

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
    RECT rect{};                                 // pixels, client coordinates of the parent
    std::unique_ptr<platform::WindowPeer> peer;  // its side in the window system

    // Controls.
    bool pushed = false;

    // Dialogs.
    const platform::DialogTemplate* tmpl = nullptr;
    platform::Surface surface;  // the client area, drawn by device contexts
    bool liveUpdates = false;   // the window system shows the surface
    bool updatePending = false;
    bool visible = false;
    bool ended = false;
    int result = 0;
    bool iconic = false;
    HWND focus = nullptr;
    std::unique_ptr<CMenu> sysMenu;
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
};

// An icon's pixels, 0xAARRGGBB, row by row.
struct HICON__ {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
};

namespace platform {

// Dialog units to pixels, as the dialog manager rounds them.
int DluToPixelX(int v);
int DluToPixelY(int v);

HWND CreateDialogWindow(const DialogTemplate& t, CDialog* owner);
void DestroyDialogWindow(HWND hwnd);
HWND FindChild(HWND dialog, int id);
LRESULT SendTo(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DialogDefault(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
std::string GetText(HWND hwnd);
void SetText(HWND hwnd, const std::string& text);
void SetFocusTo(HWND hwnd);
void ShowDialog(HWND dialog);
void SetIconic(HWND dialog, bool iconic);
// A device context changed the surface: the window system shows it soon.
void SurfaceChanged(HWND dialog);
void PressEnterIn(HWND dialog);
HICON LoadIconResource(UINT id);
void ForgetWindowDCs(HWND hwnd);

// Modal loops.
INT_PTR RunModalLoop(HWND dialog);
HWND ActiveDialog();
void ReportBox(const char* text);

// Timers of the platform clock.
UINT_PTR ClockSetTimer(HWND hwnd, UINT_PTR id, UINT elapse);
bool ClockKillTimer(HWND hwnd, UINT_PTR id);
void ClockKillTimers(HWND hwnd);
void ClockUseRealTime(double speed);
std::int64_t ClockNextDue();  // -1 when no timer is armed
void ClockAdvanceTo(std::int64_t t);
using TimersChanged = void (*)();
void ClockOnTimersChanged(TimersChanged fn);
// A file descriptor that RequestQuit writes a byte to, so that a window
// system waiting for events wakes (-1: none).
void ClockOnQuitWake(int fd);

}  // namespace platform
