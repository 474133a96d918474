// The user's side of the windows besides the window system's own events: the
// hook a modal loop asks when it is idle, and what a user does to a window.
#pragma once

#include <cstdint>
#include <string>

#include "platform/afxwin.h"

namespace platform {

class UserSide {
public:
    enum class Step { Acted, Wait, Leave };
    virtual ~UserSide() = default;
    // A modal window opened: its template id, 0 for a message box.
    virtual void Opened(UINT) {}
    // A message box is about to open with `text`.
    virtual void Box(const char*) {}
    // An open modal window is idle: the user has acted, waits for the window
    // system's events, or leaves it (it closes as by its default button,
    // else IDCANCEL).
    virtual Step Next() = 0;
};

// Installs the user's side (nullptr: the window system's events alone).
void InstallUserSide(UserSide* user);

// The topmost open modal window, else the application's main window.
CWnd* ActiveWindow();
// Typing: the control takes the focus and `text` replaces its text.
void Type(CWnd* control, const std::string& text);
// A click: a push button takes the focus first, then its dialog hears it.
void Click(CWnd* control);
// The Enter key in a dialog: the focused push button, else the default one, else IDOK.
void PressEnter(CWnd* dialog);
// Writes a dialog's client area, controls included, as a PNG file.
bool Screenshot(CWnd* dialog, const std::string& path);
// Lets `ms` milliseconds of the platform clock pass; on a display, in real
// time while the window system's events are handled.
void LetTimePass(std::int64_t ms);

}  // namespace platform
