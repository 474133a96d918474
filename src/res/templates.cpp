// Dialog templates 100 (About), 102 (main window) and 130 (calibration),
// and the string table.
#include "platform/afxwin.h"
#include "platform/restypes.h"
#include "res/resource.h"

namespace {

using platform::ControlClass;
using platform::DialogControl;
using platform::DialogTemplate;

constexpr DWORD kEdit = WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kHiddenEdit = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kButton = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kLabel = WS_VISIBLE | WS_GROUP;
constexpr DWORD kGroupBox = WS_VISIBLE | BS_GROUPBOX;

const DialogControl kMainControls[] = {
    {IDCANCEL, ControlClass::Button, "Exit", 551, 148, 55, 14, kButton, 0},
    {IDC_CHART_FRAME, ControlClass::Static, "", 35, 11, 416, 250, WS_VISIBLE | SS_WHITERECT | SS_SUNKEN,
     WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME},
    {IDC_SPARE, ControlClass::Edit, "", 89, 262, 54, 12, kHiddenEdit, 0},
    {IDC_REDRAW, ControlClass::Button, "Redraw Screen", 551, 52, 55, 14, kButton, 0},
    {IDC_ABORT, ControlClass::Button, "Abort", 551, 116, 55, 14, kButton, 0},
    {IDC_HALT, ControlClass::Button, "Halt", 551, 180, 55, 14, WS_VISIBLE | BS_PUSHBUTTON, 0},
    {IDC_ENTER, ControlClass::Button, "Enter", 459, 38, 36, 12, WS_TABSTOP | BS_PUSHBUTTON, 0},
    {IDC_MEASURE, ControlClass::Button, "Measure", 459, 20, 36, 12, kButton, 0},
    {IDC_DEGREES_LABEL, ControlClass::Static, "Degrees", 459, 128, 29, 12, kLabel, 0},
    {IDC_SECONDS_LABEL, ControlClass::Static, "Seconds", 505, 128, 29, 12, kLabel, 0},
    {IDC_SEG1_TEMP, ControlClass::Edit, "", 459, 146, 23, 12, kEdit, 0},
    {IDC_SEG1_TIME, ControlClass::Edit, "", 505, 146, 30, 12, kEdit, 0},
    {IDC_SEG2_TEMP, ControlClass::Edit, "", 459, 170, 23, 12, kEdit, 0},
    {IDC_SEG2_TIME, ControlClass::Edit, "", 505, 170, 30, 12, kEdit, 0},
    {IDC_SEG3_TEMP, ControlClass::Edit, "", 459, 199, 23, 12, kEdit, 0},
    {IDC_SEG3_TIME, ControlClass::Edit, "", 505, 199, 30, 12, kEdit, 0},
    {IDC_SEG4_TEMP, ControlClass::Edit, "", 457, 226, 23, 12, kEdit, 0},
    {IDC_SEG4_TIME, ControlClass::Edit, "", 505, 226, 30, 12, kEdit, 0},
    {IDC_START_TEMP, ControlClass::Edit, "", 507, 26, 28, 12, kEdit | ES_CENTER, 0},
    {IDC_STATIC, ControlClass::Button, "Ambient Temperature, C", 451, 7, 94, 52, kGroupBox, 0},
    {IDC_STATIC, ControlClass::Button, "Program", 451, 112, 94, 149, kGroupBox, 0},
    {IDC_RUN_PC_MODE, ControlClass::Button, "Run - PC Mode", 551, 20, 55, 14, kButton, 0},
    {IDC_PULSE, ControlClass::Button, "Pulse", 551, 212, 55, 14, WS_TABSTOP | BS_PUSHBUTTON, 0},
    {IDC_PULSE_DUTY, ControlClass::Edit, "", 637, 214, 23, 12, kHiddenEdit, 0},
    {IDC_STATIC, ControlClass::Static, "Duty, %", 609, 216, 28, 10, WS_GROUP, 0},
    {IDC_TIME_MAX, ControlClass::Edit, "", 417, 262, 34, 12, kEdit, 0},
    {IDC_TIME_MIN, ControlClass::Edit, "", 35, 262, 34, 12, kEdit, 0},
    {IDC_TEMP_MIN, ControlClass::Edit, "", 7, 249, 23, 12, kEdit, 0},
    {IDC_TEMP_MAX, ControlClass::Edit, "", 7, 11, 23, 12, kEdit, 0},
    {IDC_STATIC, ControlClass::Static, "SECONDS", 247, 266, 34, 9, kLabel | SS_CENTER, 0},
    {IDC_SPARE_STATIC, ControlClass::Static, "", 7, 161, 23, 12, kLabel | SS_CENTER, 0},
    {IDC_CALIBRATE, ControlClass::Button, "Calibrate", 551, 84, 55, 14, kButton, 0},
    {IDC_STATIC, ControlClass::Button, "Ranges", 451, 55, 94, 58, kGroupBox, 0},
    {IDC_STATIC, ControlClass::Static, "Element duty", 455, 95, 42, 9, kLabel, 0},
    {IDC_STATIC, ControlClass::Button, "Program Control", 546, 7, 122, 254, kGroupBox, 0},
    {IDC_DUTY_PERCENT, ControlClass::Edit, "", 499, 92, 17, 12, kEdit, WS_EX_RIGHT},
    {IDC_STATIC, ControlClass::Static, "File, #", 611, 120, 24, 10, kLabel, 0},
    {IDC_FILE_NUMBER, ControlClass::Edit, "", 637, 118, 23, 12, kEdit, 0},
};

const DialogControl kAboutControls[] = {
    {IDC_STATIC, ControlClass::Static, nullptr, 11, 17, 20, 20, WS_VISIBLE | SS_ICON, 0, IDR_MAINFRAME},
    {IDC_STATIC, ControlClass::Static, "Pyrelle Version 1.0", 40, 10, 119, 8, kLabel | SS_NOPREFIX, 0},
    {IDOK, ControlClass::Button, "OK", 178, 7, 50, 14, WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON,
     0},
};

const DialogControl kCalibrationControls[] = {
    {IDCANCEL, ControlClass::Button, "Exit", 121, 68, 50, 14, kButton, 0},
    {IDC_STATIC, ControlClass::Static, "Temperature Scaling", 21, 18, 72, 11, kLabel, 0},
    {IDC_STATIC, ControlClass::Static, "Temperature Offset", 21, 43, 72, 11, kLabel, 0},
    {IDC_CAL_SET, ControlClass::Button, "Set", 21, 68, 50, 14, kButton, 0},
    {IDC_CAL_SCALE, ControlClass::Edit, "", 121, 17, 38, 12, kEdit, 0},
    {IDC_CAL_OFFSET, ControlClass::Edit, "", 121, 42, 38, 12, kEdit, 0},
};

template <std::size_t N>
constexpr int Count(const DialogControl (&)[N]) {
    return static_cast<int>(N);
}

constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;

const DialogTemplate kTemplates[] = {
    {IDD_PYRELLE_DIALOG, "Pyrelle", kDialogStyle | WS_VISIBLE, WS_EX_APPWINDOW, 675, 330, 8, "MS Sans Serif",
     kMainControls, Count(kMainControls)},
    {IDD_ABOUTBOX, "About Pyrelle", kDialogStyle, 0, 235, 55, 8, "MS Sans Serif", kAboutControls,
     Count(kAboutControls)},
    {IDD_CALIBRATION, "Temperature Calibration", kDialogStyle, 0, 186, 95, 8, "MS Sans Serif",
     kCalibrationControls, Count(kCalibrationControls)},
};

}  // namespace

namespace platform {

const DialogTemplate* FindDialogTemplate(UINT id) {
    for (const auto& t : kTemplates)
        if (t.id == id) return &t;
    return nullptr;
}

const char* FindString(UINT id) {
    if (id == AFX_IDS_APP_TITLE) return "Pyrelle";
    return id == IDS_ABOUTBOX ? "&About Pyrelle..." : nullptr;
}

}  // namespace platform
