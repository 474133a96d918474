// The seam between the framework and the window system that shows its
// windows: all the framework asks of one. A window system is installed at
// start-up; none of its types appear here.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/afxwin.h"

namespace platform {

// The window system's side of one window: a dialog or one of its controls.
class WindowPeer {
public:
    virtual ~WindowPeer() = default;
    // A dialog's caption or a control's text, in UTF-8.
    virtual std::string Text() const = 0;
    virtual void SetText(const std::string& text) = 0;
    virtual void Focus() = 0;
    // A control's own messages: BM_SETSTATE, EM_SETSEL and EM_GETSEL.
    virtual LRESULT Control(UINT, WPARAM, LPARAM) { return 0; }
    // Dialogs. Repaint shows the surface soon, once however often it is
    // asked until then, and clears the dialog's updatePending when it does.
    virtual void Show(bool /*appModal*/) {}
    virtual void Hide() {}
    virtual void SetIconic(bool) {}
    virtual void Repaint() {}
    virtual void SetIcon(HICON) {}
    virtual void StartMove() {}
    virtual bool Screenshot(const std::string&) const { return false; }
};

// A text's widest line and its height, in pixels.
struct TextExtent {
    int width = 0, height = 0;
};

struct FontMetrics {
    int ascent = 12, cellHeight = 16, advance = 8;
};

// A font as the window system maps a LOGFONT.
class FontPeer {
public:
    virtual ~FontPeer() = default;
    // Renders `ch` in black with its baseline from (x, y) into `coverage`,
    // width × height values from 0 to 255, row by row.
    virtual void Render(char32_t ch, int x, int y, int width, int height, unsigned char* coverage) const = 0;
};

class WindowSystem {
public:
    virtual ~WindowSystem() = default;
    // Whether windows show on a display, so a changed surface is repainted.
    virtual bool Live() const = 0;
    // Gives a new dialog and each of its controls a peer.
    virtual void Create(HWND dialog) = 0;
    virtual std::unique_ptr<FontPeer> MapFont(const LOGFONT& lf, FontMetrics& metrics) = 0;
    // `text` as a wrapping static (SS_EDITCONTROL) in the dialog font shows
    // it at most `maxWidth` pixels wide: lines end at line ends, between
    // words, and inside a word longer than a line.
    virtual TextExtent MeasureText(const std::string& text, int maxWidth) const = 0;
    // Waits for the next events and handles them.
    virtual void WaitForEvents() = 0;
    // Handles events until the platform clock reaches `t`.
    virtual void ServeUntil(std::int64_t t) = 0;
};

// Installs the window system (nullptr: none, and windows have no peers).
void InstallWindowSystem(WindowSystem* system);
WindowSystem* TheWindowSystem();

}  // namespace platform
