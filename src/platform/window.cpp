// Windows and dialogs: template windows on Qt widgets, message routing, the
// dialog manager's keyboard rules, and the system menu.
#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QWindow>
#include <algorithm>

#include "platform/internal.h"

namespace platform {
namespace {

constexpr QRgb kFaceColour = qRgb(240, 240, 240);

HWND HwndOf(const QObject* w) {
    return w ? static_cast<HWND>(w->property("pyrelle_hwnd").value<void*>()) : nullptr;
}

// The top-level widget of a dialog: shows the client-area surface under the
// controls and turns the window system's events into the dialog's messages.
class DialogWidget : public QWidget {
public:
    explicit DialogWidget(HWND hwnd) : m_hwnd(hwnd) {}

    void ShowSystemMenu() {
        if (!m_hwnd->sysMenu) return;
        QMenu menu(this);
        for (const auto& item : m_hwnd->sysMenu->items) {
            if (item.flags & MF_SEPARATOR) {
                menu.addSeparator();
                continue;
            }
            QAction* a = menu.addAction(QString::fromLatin1(item.text.c_str()));
            a->setData(QVariant::fromValue<qulonglong>(item.id));
        }
        QAction* chosen = menu.exec(mapToGlobal(QPoint(0, 0)));
        if (chosen) SendTo(m_hwnd, WM_SYSCOMMAND, static_cast<WPARAM>(chosen->data().toULongLong()), 0);
    }

    bool HandleKey(QKeyEvent* e) {
        if (e->key() == Qt::Key_Space && (e->modifiers() & Qt::AltModifier)) {
            ShowSystemMenu();
            return true;
        }
        if (e->modifiers() & (Qt::AltModifier | Qt::ControlModifier)) return false;
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
            PressEnter(m_hwnd);
            return true;
        }
        if (e->key() == Qt::Key_Escape) {
            SendTo(m_hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return true;
        }
        return false;
    }

    static void PressEnter(HWND dialog);

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawImage(0, 0, m_hwnd->surface);
    }
    void keyPressEvent(QKeyEvent* e) override {
        if (!HandleKey(e)) QWidget::keyPressEvent(e);
    }
    bool eventFilter(QObject* obj, QEvent* e) override {
        if (e->type() == QEvent::KeyPress && HandleKey(static_cast<QKeyEvent*>(e))) return true;
        if (e->type() == QEvent::FocusIn) {
            if (HWND h = HwndOf(obj)) m_hwnd->focus = h;
        }
        return QWidget::eventFilter(obj, e);
    }
    void closeEvent(QCloseEvent* e) override {
        // The dialog decides: closing arrives as the system menu's Close.
        e->ignore();
        if (!m_hwnd->ended) SendTo(m_hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    void changeEvent(QEvent* e) override {
        if (e->type() == QEvent::WindowStateChange) {
            bool minimized = windowState() & Qt::WindowMinimized;
            if (minimized != m_hwnd->iconic) SetIconic(m_hwnd, minimized);
        }
        QWidget::changeEvent(e);
    }

private:
    HWND m_hwnd;
};

void DialogWidget::PressEnter(HWND dialog) {
    // Enter on a focused push button clicks it; anywhere else it is IDOK, or
    // the default push button where the dialog has one.
    HWND f = dialog->focus;
    if (f && f->cls == ControlClass::Button && (f->style & 0xF) != BS_GROUPBOX) {
        SendTo(dialog, WM_COMMAND, MAKEWPARAM(f->id, BN_CLICKED), 0);
        return;
    }
    int id = IDOK;
    for (auto& c : dialog->children)
        if (c->cls == ControlClass::Button && (c->style & 0xF) == BS_DEFPUSHBUTTON) id = c->id;
    SendTo(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

QWidget* MakeControlWidget(HWND c, DialogWidget* parent, const DialogControl& dc) {
    QString text = QString::fromLatin1(dc.text ? dc.text : "");
    QWidget* w = nullptr;
    switch (dc.cls) {
        case ControlClass::Edit: {
            auto* e = new QLineEdit(parent);
            if (dc.style & ES_CENTER) e->setAlignment(Qt::AlignCenter);
            if (dc.exStyle & WS_EX_RIGHT) e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            e->setFrame(true);
            e->setTextMargins(0, 0, 0, 0);
            e->setStyleSheet("QLineEdit { padding: 0px; }");
            w = e;
            break;
        }
        case ControlClass::Button:
            if ((dc.style & 0xF) == BS_GROUPBOX) {
                auto* g = new QGroupBox(text, parent);
                g->setAttribute(Qt::WA_TransparentForMouseEvents);
                w = g;
            } else {
                auto* b = new QPushButton(text, parent);
                b->setAutoDefault(false);
                QObject::connect(b, &QPushButton::clicked, b,
                                 [c] { SendTo(c->parent, WM_COMMAND, MAKEWPARAM(c->id, BN_CLICKED), 0); });
                w = b;
            }
            break;
        case ControlClass::Static: {
            if ((dc.style & 0x1F) == SS_WHITERECT) {
                // Painted by the dialog's default painting, on the surface.
                w = new QWidget(parent);
                w->setAttribute(Qt::WA_TransparentForMouseEvents);
            } else if ((dc.style & 0x1F) == SS_ICON) {
                auto* l = new QLabel(parent);
                l->setPixmap(QPixmap::fromImage(IconImage(AfxGetApp()->LoadIcon(dc.icon))));
                w = l;
            } else {
                auto* l = new QLabel(text, parent);
                l->setTextFormat(Qt::PlainText);
                if (dc.style & SS_CENTER) l->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
                w = l;
            }
            break;
        }
    }
    bool tabStop = dc.style & WS_TABSTOP;
    if (dc.cls == ControlClass::Static || (dc.cls == ControlClass::Button && (dc.style & 0xF) == BS_GROUPBOX))
        w->setFocusPolicy(Qt::NoFocus);
    else
        w->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
    return w;
}

}  // namespace

int DluToPixelX(int v) {
    return v >= 0 ? (v * 6 + 2) / 4 : -((-v * 6 + 2) / 4);
}
int DluToPixelY(int v) {
    return v >= 0 ? (v * 13 + 4) / 8 : -((-v * 13 + 4) / 8);
}

HWND CreateDialogWindow(const DialogTemplate& t, CDialog* owner) {
    auto* hwnd = new HWND__;
    hwnd->isDialog = true;
    hwnd->tmpl = &t;
    hwnd->style = t.style;
    hwnd->exStyle = t.exStyle;
    hwnd->owner = owner;
    int width = DluToPixelX(t.cx), height = DluToPixelY(t.cy);
    hwnd->rect = RECT{0, 0, width, height};
    hwnd->surface = QImage(width, height, QImage::Format_RGB32);
    hwnd->surface.fill(kFaceColour);
    hwnd->liveUpdates = TheSession().mode == Mode::Gui;
    if (t.style & WS_SYSMENU) {
        hwnd->sysMenu = std::make_unique<Menu>();
        hwnd->sysMenu->items = {{MF_STRING, SC_MOVE, "&Move"}, {MF_STRING, SC_CLOSE, "&Close"}};
        hwnd->sysMenuHandle.m_impl = hwnd->sysMenu.get();
    }

    auto* w = new DialogWidget(hwnd);
    hwnd->widget = w;
    w->setProperty("pyrelle_hwnd", QVariant::fromValue<void*>(hwnd));
    w->setWindowTitle(QString::fromLatin1(t.caption));
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (t.style & WS_SYSMENU) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (t.style & WS_MINIMIZEBOX) flags |= Qt::WindowMinimizeButtonHint;
    w->setWindowFlags(flags);
    w->setFixedSize(width, height);
    w->setAutoFillBackground(false);
    // The dialog font's usual size: base units of 6 by 13 pixels.
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(11);
    w->setFont(font);
    // Group boxes as the original platform draws them: the frame runs
    // through the middle of the title.
    w->setStyleSheet(
        "QGroupBox { border: 1px solid #a0a0a0; border-radius: 0px; margin-top: 6px; }"
        "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 6px; padding: 0 "
        "2px; }");

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
        QWidget* cw = MakeControlWidget(c.get(), w, dc);
        cw->setProperty("pyrelle_hwnd", QVariant::fromValue<void*>(c.get()));
        cw->setGeometry(c->rect.left, c->rect.top, c->rect.right - c->rect.left,
                        c->rect.bottom - c->rect.top);
        cw->setVisible(dc.style & WS_VISIBLE);
        cw->installEventFilter(w);
        c->widget = cw;
        hwnd->children.push_back(std::move(c));
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
    delete hwnd->widget.data();
    delete hwnd;
}

HWND FindChild(HWND dialog, int id) {
    if (!dialog) return nullptr;
    for (auto& c : dialog->children)
        if (c->id == id) return c.get();
    return nullptr;
}

std::string GetText(HWND hwnd) {
    if (!hwnd || !hwnd->widget) return {};
    QWidget* w = hwnd->widget;
    if (hwnd->isDialog) return w->windowTitle().toLatin1().toStdString();
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text().toLatin1().toStdString();
    if (auto* b = qobject_cast<QPushButton*>(w)) return b->text().toLatin1().toStdString();
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title().toLatin1().toStdString();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text().toLatin1().toStdString();
    return {};
}

void SetText(HWND hwnd, const std::string& text) {
    if (!hwnd || !hwnd->widget) return;
    QString s = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    QWidget* w = hwnd->widget;
    if (hwnd->isDialog)
        w->setWindowTitle(s);
    else if (auto* e = qobject_cast<QLineEdit*>(w))
        e->setText(s);
    else if (auto* b = qobject_cast<QPushButton*>(w))
        b->setText(s);
    else if (auto* g = qobject_cast<QGroupBox*>(w))
        g->setTitle(s);
    else if (auto* l = qobject_cast<QLabel*>(w))
        l->setText(s);
}

void SetFocusTo(HWND hwnd) {
    if (!hwnd || hwnd->isDialog || !hwnd->parent) return;
    hwnd->parent->focus = hwnd;
    if (hwnd->widget) hwnd->widget->setFocus(Qt::OtherFocusReason);
}

void ShowDialog(HWND hwnd) {
    QWidget* w = hwnd->widget;
    if (!w) return;
    if (hwnd->parent == nullptr && ActiveDialog() && ActiveDialog() != hwnd)
        w->setWindowModality(Qt::ApplicationModal);
    w->show();
    if (TheSession().mode == Mode::Gui) {
        w->raise();
        w->activateWindow();
        if (hwnd->focus && hwnd->focus->widget) hwnd->focus->widget->setFocus(Qt::OtherFocusReason);
    }
    // The window's first paint.
    SendTo(hwnd, WM_PAINT, 0, 0);
}

void SetIconic(HWND dialog, bool iconic) {
    if (dialog->iconic == iconic) return;
    dialog->iconic = iconic;
    if (TheSession().mode == Mode::Gui && dialog->widget) {
        Qt::WindowStates st = dialog->widget->windowState();
        if (iconic != bool(st & Qt::WindowMinimized))
            dialog->widget->setWindowState(iconic ? (st | Qt::WindowMinimized) : (st & ~Qt::WindowMinimized));
    }
    SendTo(dialog, WM_PAINT, 0, 0);
}

void SurfaceChanged(HWND dialog) {
    if (!dialog->liveUpdates || dialog->updatePending || !dialog->widget) return;
    dialog->updatePending = true;
    QPointer<QWidget> w = dialog->widget;
    QMetaObject::invokeMethod(
        w,
        [dialog, w] {
            if (!w) return;
            dialog->updatePending = false;
            w->update();
        },
        Qt::QueuedConnection);
}

void PaintDefault(HWND dialog) {
    QImage& s = dialog->surface;
    s.fill(kFaceColour);
    QPainter p(&s);
    for (auto& c : dialog->children) {
        if (c->cls != ControlClass::Static || (c->style & 0x1F) != SS_WHITERECT) continue;
        if (!(c->style & WS_VISIBLE)) continue;
        QRect r(c->rect.left, c->rect.top, c->rect.right - c->rect.left, c->rect.bottom - c->rect.top);
        p.fillRect(r, Qt::white);
        if ((c->exStyle & WS_EX_CLIENTEDGE) || (c->style & SS_SUNKEN)) {
            // A sunken edge: shadow above and left, light below and right.
            auto edge = [&](QRect q, QColor tl, QColor br) {
                p.setPen(tl);
                p.drawLine(q.left(), q.top(), q.right() - 1, q.top());
                p.drawLine(q.left(), q.top(), q.left(), q.bottom() - 1);
                p.setPen(br);
                p.drawLine(q.left(), q.bottom(), q.right(), q.bottom());
                p.drawLine(q.right(), q.top(), q.right(), q.bottom());
            };
            edge(r, QColor(160, 160, 160), QColor(255, 255, 255));
            edge(r.adjusted(1, 1, -1, -1), QColor(105, 105, 105), QColor(227, 227, 227));
        }
    }
    p.end();
    SurfaceChanged(dialog);
}

// The window procedure of controls and the dialogs' default handling.
LRESULT ControlProc(HWND c, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case BM_SETSTATE:
            c->pushed = wParam != 0;
            if (auto* b = qobject_cast<QPushButton*>(c->widget.data())) b->setDown(c->pushed);
            return 0;
        case BM_GETSTATE:
            return c->pushed ? BST_PUSHED : 0;
        case EM_SETSEL:
            if (auto* e = qobject_cast<QLineEdit*>(c->widget.data())) {
                if (wParam == 0 && lParam == -1)
                    e->selectAll();
                else
                    e->setSelection(static_cast<int>(wParam),
                                    static_cast<int>(lParam - static_cast<LPARAM>(wParam)));
            }
            return 0;
        case EM_GETSEL:
            if (auto* e = qobject_cast<QLineEdit*>(c->widget.data())) {
                int start = e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
                int end = start + static_cast<int>(e->selectedText().size());
                return static_cast<LRESULT>(MAKEWPARAM(start, end));
            }
            return 0;
        default:
            return 0;
    }
}

LRESULT SendTo(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!hwnd) return 0;
    if (!hwnd->isDialog) return ControlProc(hwnd, message, wParam, lParam);
    return hwnd->owner ? hwnd->owner->WindowProc(message, wParam, lParam) : 0;
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
                    SetIconic(hwnd, true);
                    return 0;
                case SC_RESTORE:
                    SetIconic(hwnd, false);
                    return 0;
                case SC_MOVE:
                    if (TheSession().mode == Mode::Gui && hwnd->widget && hwnd->widget->windowHandle())
                        hwnd->widget->windowHandle()->startSystemMove();
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

void PressEnterIn(HWND dialog) {
    DialogWidget::PressEnter(dialog);
}

}  // namespace platform

using namespace platform;

// ---------------------------------------------------------------- CWnd
CWnd::~CWnd() {
    // A bound control's object (a dialog member) goes before the dialog's
    // window does: the control falls back to its own wrapper instead of
    // keeping a dangling owner.
    if (m_hWnd && !m_hWnd->isDialog && m_hWnd->owner == this) m_hWnd->owner = m_hWnd->wrapper.get();
}

const AFX_MSGMAP* CWnd::GetMessageMap() const {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, nullptr}};
    static const AFX_MSGMAP map{nullptr, entries};
    return &map;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    CurrentMessage saved = m_current;
    m_current = {message, wParam, lParam};
    UINT code = 0, id = 0;
    if (message == WM_COMMAND) {
        id = LOWORD(wParam);
        code = HIWORD(wParam);
    }
    LRESULT result = 0;
    bool handled = false;
    for (const AFX_MSGMAP* map = GetMessageMap(); map && !handled; map = map->pBaseMap) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfn; ++e) {
            if (e->nMessage != message) continue;
            if (message == WM_COMMAND && (e->nID != id || e->nCode != code)) continue;
            result = e->pfn(this, wParam, lParam);
            handled = true;
            break;
        }
    }
    if (!handled) result = DefWindowProc(message, wParam, lParam);
    m_current = saved;
    return result;
}

LRESULT CWnd::Default() {
    return DefWindowProc(m_current.message, m_current.wParam, m_current.lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_hWnd && m_hWnd->isDialog) return DialogDefault(m_hWnd, message, wParam, lParam);
    return 0;
}

void CWnd::OnSysCommand(UINT, LPARAM) {
    Default();
}
void CWnd::OnPaint() {
    Default();
}
HCURSOR CWnd::OnQueryDragIcon() {
    return reinterpret_cast<HCURSOR>(Default());
}
void CWnd::OnTimer(UINT_PTR) {
    Default();
}

CWnd* CWnd::GetDlgItem(int nID) const {
    HWND c = FindChild(m_hWnd, nID);
    return c ? c->owner : nullptr;
}

int CWnd::GetDlgCtrlID() const {
    return m_hWnd ? m_hWnd->id : 0;
}

void CWnd::SetWindowText(LPCSTR text) {
    SetText(m_hWnd, text ? text : "");
}

void CWnd::GetWindowText(CString& text) const {
    text = CString(GetText(m_hWnd));
}

BOOL CWnd::IsWindowVisible() const {
    if (!m_hWnd) return FALSE;
    if (m_hWnd->isDialog) return m_hWnd->widget && m_hWnd->widget->isVisible();
    return (m_hWnd->style & WS_VISIBLE) ? TRUE : FALSE;
}

BOOL CWnd::IsWindowEnabled() const {
    return m_hWnd ? TRUE : FALSE;
}

BOOL CWnd::IsIconic() const {
    return m_hWnd && m_hWnd->iconic;
}

void CWnd::GetClientRect(LPRECT rect) const {
    if (!rect) return;
    *rect = RECT{0, 0, 0, 0};
    if (m_hWnd)
        *rect = RECT{0, 0, m_hWnd->rect.right - m_hWnd->rect.left, m_hWnd->rect.bottom - m_hWnd->rect.top};
}

CWnd* CWnd::SetFocus() {
    CWnd* old = GetFocus();
    SetFocusTo(m_hWnd);
    return old;
}

CWnd* CWnd::GetFocus() {
    HWND d = ActiveDialog();
    return d && d->focus ? d->focus->owner : nullptr;
}

void CWnd::Invalidate(BOOL) {
    if (m_hWnd && m_hWnd->isDialog) SendTo(m_hWnd, WM_PAINT, 0, 0);
}

CMenu* CWnd::GetSystemMenu(BOOL) const {
    return (m_hWnd && m_hWnd->sysMenu) ? &m_hWnd->sysMenuHandle : nullptr;
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETICON && m_hWnd && m_hWnd->isDialog) {
        auto icon = reinterpret_cast<HICON>(lParam);
        HICON& slot = wParam == ICON_BIG ? m_hWnd->bigIcon : m_hWnd->smallIcon;
        HICON old = slot;
        slot = icon;
        if (m_hWnd->widget && icon) m_hWnd->widget->setWindowIcon(QIcon(QPixmap::fromImage(IconImage(icon))));
        return reinterpret_cast<LRESULT>(old);
    }
    return SendTo(m_hWnd, message, wParam, lParam);
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, void*) {
    return m_hWnd ? ClockSetTimer(m_hWnd, nIDEvent, nElapse) : 0;
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent) {
    return m_hWnd && ClockKillTimer(m_hWnd, nIDEvent);
}

// ---------------------------------------------------------------- CButton, CMenu
UINT CButton::GetState() const {
    return static_cast<UINT>(SendTo(m_hWnd, BM_GETSTATE, 0, 0));
}
void CButton::SetState(BOOL bHighlight) {
    SendTo(m_hWnd, BM_SETSTATE, bHighlight, 0);
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, LPCSTR lpszNewItem) {
    auto* m = static_cast<Menu*>(m_impl);
    if (!m) return FALSE;
    m->items.push_back({nFlags, (nFlags & MF_SEPARATOR) ? 0 : nIDNewItem, lpszNewItem ? lpszNewItem : ""});
    return TRUE;
}

int CMenu::GetMenuItemCount() const {
    auto* m = static_cast<Menu*>(m_impl);
    return m ? static_cast<int>(m->items.size()) : -1;
}

UINT CMenu::GetMenuItemID(int nPos) const {
    auto* m = static_cast<Menu*>(m_impl);
    if (!m || nPos < 0 || nPos >= static_cast<int>(m->items.size())) return static_cast<UINT>(-1);
    return static_cast<UINT>(m->items[static_cast<std::size_t>(nPos)].id);
}

int CMenu::GetMenuString(int nPos, CString& text) const {
    auto* m = static_cast<Menu*>(m_impl);
    if (!m || nPos < 0 || nPos >= static_cast<int>(m->items.size())) return 0;
    text = CString(m->items[static_cast<std::size_t>(nPos)].text);
    return text.GetLength();
}

// ---------------------------------------------------------------- CDialog
BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, &CDialog::OnOK)
ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() {
    if (m_hWnd) DestroyDialogWindow(m_hWnd);
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd*) {
    const DialogTemplate* t = m_lpDialogTemplate ? m_lpDialogTemplate : FindDialogTemplate(nIDTemplate);
    if (!t || m_hWnd) return FALSE;
    m_nIDTemplate = nIDTemplate;
    m_hWnd = CreateDialogWindow(*t, this);
    if (OnInitDialog()) {
        // The dialog manager gives the focus to the first tab stop.
        for (auto& c : m_hWnd->children) {
            if ((c->style & WS_TABSTOP) && (c->style & WS_VISIBLE)) {
                SetFocusTo(c.get());
                break;
            }
        }
    }
    if (m_hWnd && !m_hWnd->ended) ShowDialog(m_hWnd);
    return TRUE;
}

INT_PTR CDialog::DoModal() {
    if (!Create(m_nIDTemplate, m_pParentWnd)) return -1;
    INT_PTR result = RunModalLoop(m_hWnd);
    DestroyDialogWindow(m_hWnd);
    return result;
}

void CDialog::EndDialog(int nResult) {
    if (!m_hWnd) return;
    m_hWnd->ended = true;
    m_hWnd->result = nResult;
    if (m_hWnd->widget) m_hWnd->widget->hide();
}

bool CDialog::IsEnded() const {
    return m_hWnd && m_hWnd->ended;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*) {}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return CWnd::DefWindowProc(message, wParam, lParam);
}
