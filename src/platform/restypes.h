// Resources as data: dialog templates, string table and icons. The program's
// own resources are defined in src/res and looked up by id.
#pragma once

#include <cstdint>

#include "platform/wintypes.h"

// Window styles (the values of the original platform, so templates read alike).
constexpr DWORD WS_POPUP = 0x80000000u;
constexpr DWORD WS_VISIBLE = 0x10000000u;
constexpr DWORD WS_CAPTION = 0x00C00000u;
constexpr DWORD WS_BORDER = 0x00800000u;
constexpr DWORD WS_SYSMENU = 0x00080000u;
constexpr DWORD WS_GROUP = 0x00020000u;
constexpr DWORD WS_TABSTOP = 0x00010000u;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000u;
constexpr DWORD DS_MODALFRAME = 0x80u;
constexpr DWORD DS_SETFONT = 0x40u;
constexpr DWORD WS_EX_DLGMODALFRAME = 0x1u;
constexpr DWORD WS_EX_RIGHT = 0x1000u;
constexpr DWORD WS_EX_CLIENTEDGE = 0x200u;
constexpr DWORD WS_EX_APPWINDOW = 0x40000u;
constexpr DWORD BS_PUSHBUTTON = 0x0u;
constexpr DWORD BS_DEFPUSHBUTTON = 0x1u;
constexpr DWORD BS_GROUPBOX = 0x7u;
constexpr DWORD ES_CENTER = 0x1u;
constexpr DWORD ES_AUTOHSCROLL = 0x80u;
constexpr DWORD SS_CENTER = 0x1u;
constexpr DWORD SS_ICON = 0x3u;
constexpr DWORD SS_WHITERECT = 0x6u;
constexpr DWORD SS_NOPREFIX = 0x80u;
constexpr DWORD SS_EDITCONTROL = 0x2000u;  // wraps as a multi-line edit does
constexpr DWORD SS_SUNKEN = 0x1000u;

namespace platform {

enum class ControlClass { Button, Edit, Static };

struct DialogControl {
    int id;
    ControlClass cls;
    const char* text;  // caption; for an icon static, nullptr and `icon` set
    int x, y, cx, cy;  // dialog units
    DWORD style;
    DWORD exStyle;
    UINT icon = 0;
};

struct DialogTemplate {
    UINT id;
    const char* caption;
    DWORD style;
    DWORD exStyle;
    int cx, cy;  // dialog units
    int pointSize;
    const char* font;
    const DialogControl* controls;
    int count;
};

// An icon as pixels: width × height, 0xAARRGGBB, row by row.
struct IconResource {
    UINT id;
    int width, height;
    const std::uint32_t* pixels;
};

// The system's icons, as an icon static names them.
constexpr UINT IDI_HAND = 32513;
constexpr UINT IDI_EXCLAMATION = 32515;
constexpr UINT IDI_ASTERISK = 32516;

// Defined by the program's resources (src/res).
const DialogTemplate* FindDialogTemplate(UINT id);
const char* FindString(UINT id);
const IconResource* FindIcon(UINT id);

}  // namespace platform
