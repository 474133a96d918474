// The application framework as this program uses it: application object,
// dialogs from templates with message maps and data exchange, CString,
// buttons, menus, device contexts, message boxes and timers. The window
// system behind it is installed at start-up and never appears here.
#pragma once

#include <string>

#include "platform/wintypes.h"

#define afx_msg

namespace platform {
struct DialogTemplate;
}

// ---------------------------------------------------------------- strings
class CString {
public:
    CString() = default;
    CString(const char* s) : m_s(s ? s : "") {}  // NOLINT: implicit, as the framework's
    CString(const char* s, int n) : m_s(s, static_cast<std::size_t>(n)) {}
    explicit CString(std::string s) : m_s(std::move(s)) {}

    void Format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    BOOL LoadString(UINT id);

    int GetLength() const { return static_cast<int>(m_s.size()); }
    bool IsEmpty() const { return m_s.empty(); }
    void Empty() { m_s.clear(); }
    operator const char*() const { return m_s.c_str(); }  // NOLINT: implicit, as the framework's
    const std::string& str() const { return m_s; }

    CString& operator=(const char* s);
    CString& operator+=(const CString& s) {
        m_s += s.m_s;
        return *this;
    }
    CString& operator+=(const char* s) {
        m_s += s;
        return *this;
    }
    CString& operator+=(char c) {
        m_s += c;
        return *this;
    }
    friend CString operator+(const CString& a, const CString& b) { return CString(a.m_s + b.m_s); }
    friend CString operator+(const CString& a, const char* b) { return CString(a.m_s + b); }
    friend bool operator==(const CString& a, const CString& b) { return a.m_s == b.m_s; }
    friend bool operator==(const CString& a, const char* b) { return a.m_s == b; }

private:
    std::string m_s;
};

// ---------------------------------------------------------------- message maps
class CWnd;
struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nCode;
    UINT nID;
    LRESULT (*pfn)(CWnd*, WPARAM, LPARAM);
};
struct AFX_MSGMAP {
    const AFX_MSGMAP* pBaseMap;
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP() \
protected:                    \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)          \
    const AFX_MSGMAP* theClass::GetMessageMap() const { \
        using ThisClass = theClass;                     \
        using TheBaseClass = baseClass;                 \
        static const AFX_MSGMAP_ENTRY entries[] = {
#define END_MESSAGE_MAP()                                                      \
    { 0, 0, 0, nullptr }                                                       \
    }                                                                          \
    ;                                                                          \
    static const AFX_MSGMAP map{this->TheBaseClass::GetMessageMap(), entries}; \
    return &map;                                                               \
    }

#define ON_WM_SYSCOMMAND()                                                    \
    {WM_SYSCOMMAND, 0, 0, [](CWnd* w, WPARAM wp, LPARAM lp) -> LRESULT {      \
         static_cast<ThisClass*>(w)->OnSysCommand(static_cast<UINT>(wp), lp); \
         return 0;                                                            \
     }},
#define ON_WM_PAINT()                                         \
    {WM_PAINT, 0, 0, [](CWnd* w, WPARAM, LPARAM) -> LRESULT { \
         static_cast<ThisClass*>(w)->OnPaint();               \
         return 0;                                            \
     }},
#define ON_WM_QUERYDRAGICON()                                                             \
    {WM_QUERYDRAGICON, 0, 0, [](CWnd* w, WPARAM, LPARAM) -> LRESULT {                     \
         return reinterpret_cast<LRESULT>(static_cast<ThisClass*>(w)->OnQueryDragIcon()); \
     }},
#define ON_WM_TIMER()                                            \
    {WM_TIMER, 0, 0, [](CWnd* w, WPARAM wp, LPARAM) -> LRESULT { \
         static_cast<ThisClass*>(w)->OnTimer(wp);                \
         return 0;                                               \
     }},
#define ON_COMMAND(id, memberFxn)                                                   \
    {WM_COMMAND, 0, static_cast<UINT>(id), [](CWnd* w, WPARAM, LPARAM) -> LRESULT { \
         (static_cast<ThisClass*>(w)->*(memberFxn))();                              \
         return 0;                                                                  \
     }},
#define ON_BN_CLICKED(id, memberFxn)                                                         \
    {WM_COMMAND, BN_CLICKED, static_cast<UINT>(id), [](CWnd* w, WPARAM, LPARAM) -> LRESULT { \
         (static_cast<ThisClass*>(w)->*(memberFxn))();                                       \
         return 0;                                                                           \
     }},

// ---------------------------------------------------------------- windows
class CMenu;

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;
};

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    ~CWnd() override;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }

    CWnd* GetDlgItem(int nID) const;
    int GetDlgCtrlID() const;
    void SetWindowText(LPCSTR text);
    void GetWindowText(CString& text) const;
    BOOL IsWindowVisible() const;
    BOOL IsWindowEnabled() const;
    BOOL IsIconic() const;
    void GetClientRect(LPRECT rect) const;
    CWnd* SetFocus();
    static CWnd* GetFocus();
    void Invalidate(BOOL bErase = TRUE);
    CMenu* GetSystemMenu(BOOL bRevert) const;
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, void* lpfnTimer);
    BOOL KillTimer(UINT_PTR nIDEvent);

    // Routes a message through the message map; unhandled ones reach DefWindowProc.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

protected:
    virtual const AFX_MSGMAP* GetMessageMap() const;
    LRESULT Default();
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
    afx_msg void OnPaint();
    afx_msg HCURSOR OnQueryDragIcon();
    afx_msg void OnTimer(UINT_PTR nIDEvent);

private:
    struct CurrentMessage {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    } m_current{};
    friend class CDataExchange;
};

class CButton : public CWnd {
public:
    UINT GetState() const;
    void SetState(BOOL bHighlight);
};

class CMenu {
public:
    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCSTR lpszNewItem = nullptr);
    int GetMenuItemCount() const;
    UINT GetMenuItemID(int nPos) const;  // 0 for a separator
    int GetMenuString(int nPos, CString& text) const;

    void* m_impl = nullptr;  // the platform's menu
};

// ---------------------------------------------------------------- data exchange
class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
    HWND PrepareCtrl(int nIDC);
    HWND PrepareEditCtrl(int nIDC);
    // Shows nothing itself: puts the focus on the last prepared control,
    // selects its text and ends the exchange.
    [[noreturn]] void Fail();

    int m_idLastControl = 0;
    BOOL m_bEditLastControl = FALSE;
};

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
void DDX_Text(CDataExchange* pDX, int nIDC, double& value);
void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal);
void DDV_MinMaxDouble(CDataExchange* pDX, double const& value, double minVal, double maxVal);

// ---------------------------------------------------------------- dialogs
class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Creates the window from the template, runs OnInitDialog, shows it and
    // runs the modal loop until EndDialog.
    virtual INT_PTR DoModal();
    // Creates the window and runs OnInitDialog without a modal loop.
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    void EndDialog(int nResult);
    // Whether EndDialog has ended the dialog (its window may still exist).
    bool IsEnded() const;
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    UINT GetTemplateId() const { return m_nIDTemplate; }

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    DECLARE_MESSAGE_MAP()

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    const platform::DialogTemplate* m_lpDialogTemplate = nullptr;  // an in-memory template
};

// ---------------------------------------------------------------- GDI
struct LOGFONT {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    char lfFaceName[32];
};
HFONT CreateFontIndirectA(const LOGFONT* lplf);

struct CPoint {
    LONG x = 0, y = 0;
};

class CDC {
public:
    CDC() = default;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;
    virtual ~CDC() = default;

    HDC m_hDC = nullptr;
    HDC GetSafeHdc() const { return m_hDC; }

    COLORREF SetPixel(int x, int y, COLORREF color);
    COLORREF GetPixel(int x, int y) const;
    CPoint MoveTo(int x, int y);
    BOOL LineTo(int x, int y);
    BOOL TextOut(int x, int y, LPCSTR text, int nCount);
    BOOL TextOut(int x, int y, const CString& text) { return TextOut(x, y, text, text.GetLength()); }
    int SetBkMode(int mode);
    COLORREF SetBkColor(COLORREF color);
    HFONT SelectObject(HFONT font);
    BOOL DrawIcon(int x, int y, HICON icon);
};

class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* pWnd);
    ~CClientDC() override;
};

class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;
};

int GetSystemMetrics(int nIndex);

// ---------------------------------------------------------------- application
class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(LPCSTR lpszAppName = nullptr);
    ~CWinApp() override;
    virtual BOOL InitInstance();
    HICON LoadIcon(UINT nIDResource) const;
    CWnd* m_pMainWnd = nullptr;
    LPCSTR m_pszAppName;  // the name given, else nullptr

protected:
    BOOL Enable3dControlsStatic() { return TRUE; }  // the look is the window system's
};

// The string that names the application where it was given no name.
constexpr UINT AFX_IDS_APP_TITLE = 0xE000;

CWinApp* AfxGetApp();
BOOL AfxEnableControlContainer();
int AfxMessageBox(LPCSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
