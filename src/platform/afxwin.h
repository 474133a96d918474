// The application framework as this program uses it: application object,
// dialogs from templates with message maps and data exchange, CString,
// buttons, menus, device contexts, message boxes and timers. The window
// system behind it is installed at start-up and never appears here.
#pragma once

#include <string>
#include <type_traits>
#include <vector>

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
    operator const char*() const { return m_s.c_str(); }  // NOLINT: implicit, as the framework's
    const std::string& str() const { return m_s; }

    CString& operator=(const char* s);
    template <typename T>  // a CString, a C string or a char
    CString& operator+=(const T& s) {
        if constexpr (std::is_same_v<T, CString>)
            m_s += s.m_s;
        else
            m_s += s;
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

namespace platform {
// A message map entry's call of `F`, a member of T: the handler's parameters
// say what of the message it takes.
template <typename T, auto F>
LRESULT CallHandler(CWnd* w, WPARAM wp, LPARAM lp) {
    T* t = static_cast<T*>(w);
    if constexpr (std::is_invocable_v<decltype(F), T*, UINT, LPARAM>)
        (t->*F)(static_cast<UINT>(wp), lp);
    else if constexpr (std::is_invocable_v<decltype(F), T*, UINT_PTR>)
        (t->*F)(wp);
    else if constexpr (!std::is_void_v<std::invoke_result_t<decltype(F), T*>>)
        return reinterpret_cast<LRESULT>((t->*F)());
    else
        (t->*F)();
    return 0;
}
}  // namespace platform

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

#define AFX_ENTRY(message, code, id, fn) \
    {message, code, static_cast<UINT>(id), &platform::CallHandler<ThisClass, fn>},
#define ON_WM_SYSCOMMAND() AFX_ENTRY(WM_SYSCOMMAND, 0, 0, &ThisClass::OnSysCommand)
#define ON_WM_PAINT() AFX_ENTRY(WM_PAINT, 0, 0, &ThisClass::OnPaint)
#define ON_WM_QUERYDRAGICON() AFX_ENTRY(WM_QUERYDRAGICON, 0, 0, &ThisClass::OnQueryDragIcon)
#define ON_WM_TIMER() AFX_ENTRY(WM_TIMER, 0, 0, &ThisClass::OnTimer)
#define ON_COMMAND(id, memberFxn) AFX_ENTRY(WM_COMMAND, 0, id, memberFxn)
#define ON_BN_CLICKED(id, memberFxn) AFX_ENTRY(WM_COMMAND, BN_CLICKED, id, memberFxn)

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
    BOOL IsIconic() const;
    void GetClientRect(LPRECT rect) const;
    CWnd* SetFocus();
    static CWnd* GetFocus();
    CMenu* GetSystemMenu(BOOL bRevert) const;

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, void* lpfnTimer);
    BOOL KillTimer(UINT_PTR nIDEvent);

    // Routes a message through the message map; unhandled ones reach DefWindowProc.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

protected:
    virtual const AFX_MSGMAP* GetMessageMap() const;
    LRESULT Default();
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    afx_msg void OnSysCommand(UINT, LPARAM) { Default(); }
    afx_msg void OnPaint() { Default(); }
    afx_msg HCURSOR OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }
    afx_msg void OnTimer(UINT_PTR) { Default(); }

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
};

class CMenu {
public:
    struct Item {
        UINT flags;
        UINT_PTR id;  // 0 for a separator
        std::string text;
    };
    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCSTR lpszNewItem = nullptr) {
        m_items.push_back({nFlags, (nFlags & MF_SEPARATOR) ? 0 : nIDNewItem, lpszNewItem ? lpszNewItem : ""});
        return TRUE;
    }
    int GetMenuItemCount() const { return static_cast<int>(m_items.size()); }
    UINT GetMenuItemID(int nPos) const { return At(nPos) ? static_cast<UINT>(At(nPos)->id) : ~0u; }
    int GetMenuString(int nPos, CString& text) const {
        if (!At(nPos)) return 0;
        text = CString(At(nPos)->text);
        return text.GetLength();
    }
    const std::vector<Item>& Items() const { return m_items; }

private:
    const Item* At(int nPos) const {
        return nPos >= 0 && nPos < GetMenuItemCount() ? &m_items[static_cast<std::size_t>(nPos)] : nullptr;
    }
    std::vector<Item> m_items;
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

    virtual BOOL OnInitDialog() {
        UpdateData(FALSE);
        return TRUE;
    }
    virtual void OnOK() {
        if (UpdateData(TRUE)) EndDialog(IDOK);
    }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

protected:
    virtual void DoDataExchange(CDataExchange*) {}
    DECLARE_MESSAGE_MAP()

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    const platform::DialogTemplate* m_lpDialogTemplate = nullptr;  // an in-memory template
};

// ---------------------------------------------------------------- GDI
struct LOGFONT {
    LONG lfHeight, lfWidth, lfEscapement, lfOrientation, lfWeight;
    BYTE lfItalic, lfUnderline, lfStrikeOut, lfCharSet, lfOutPrecision, lfClipPrecision, lfQuality;
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

class CPaintDC : public CClientDC {
public:
    using CClientDC::CClientDC;
};

int GetSystemMetrics(int nIndex);

// ---------------------------------------------------------------- application
class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(LPCSTR lpszAppName = nullptr);
    ~CWinApp() override;
    virtual BOOL InitInstance() { return TRUE; }
    HICON LoadIcon(UINT nIDResource) const;
    CWnd* m_pMainWnd = nullptr;
    LPCSTR m_pszAppName;  // the name given, else nullptr

protected:
    BOOL Enable3dControlsStatic() { return TRUE; }  // the look is the window system's
};

// The string that names the application where it was given no name.
constexpr UINT AFX_IDS_APP_TITLE = 0xE000;

CWinApp* AfxGetApp();
inline BOOL AfxEnableControlContainer() {
    return TRUE;
}
int AfxMessageBox(LPCSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
