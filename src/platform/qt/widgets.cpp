// The framework's windows as Qt widgets: the dialog shows its client-area
// surface under its controls and turns the window system's events into the
// dialog's messages.
#include "platform/qt/widgets.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QWindow>
#include <cstdlib>

#include "platform/clock.h"
#include "platform/qt/text.h"

#if __has_include(<xcb/xcb.h>)
#include <xcb/xcb.h>
#define PYRELLE_HAVE_XCB 1
#endif

namespace platform::qt {
namespace {

HWND HwndOf(const QObject* w) {
    return w ? static_cast<HWND>(w->property("hwnd").value<void*>()) : nullptr;
}

QImage IconImage(HICON icon) {
    if (!icon) return QImage();
    return QImage(reinterpret_cast<const uchar*>(icon->pixels.data()), icon->width, icon->height,
                  icon->width * 4, QImage::Format_ARGB32);
}

// A system icon as the style draws a message box's, else the program's own.
QPixmap IconPixmap(UINT id, QWidget* w) {
    const int size = w->style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, w);
    for (auto [system, pixmap] : {std::pair{IDI_HAND, QStyle::SP_MessageBoxCritical},
                                  std::pair{IDI_EXCLAMATION, QStyle::SP_MessageBoxWarning},
                                  std::pair{IDI_ASTERISK, QStyle::SP_MessageBoxInformation}})
        if (id == system) return w->style()->standardIcon(pixmap, nullptr, w).pixmap(size, size);
    return QPixmap::fromImage(IconImage(LoadIconResource(id)));
}

// Whether the window system has destroyed the window under `w` (another
// program can, on X11); unknown elsewhere.
bool NativeWindowGone(QWidget* w) {
#ifdef PYRELLE_HAVE_XCB
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection()) return false;
    xcb_connection_t* c = x11->connection();
    xcb_generic_error_t* error = nullptr;
    std::free(xcb_get_window_attributes_reply(
        c, xcb_get_window_attributes(c, static_cast<xcb_window_t>(w->winId())), &error));
    const bool gone = error && error->error_code == 3;  // BadWindow
    std::free(error);
    return gone;
#else
    (void)w;
    return false;
#endif
}

class DialogWidget : public QWidget {
public:
    explicit DialogWidget(HWND hwnd) : m_hwnd(hwnd) {}

    // A window destroyed from outside stops being exposed without being
    // minimised: the application is then asked to end, as by Close.
    void WatchNativeWindow() {
        if (windowHandle() && !m_watching) {
            windowHandle()->installEventFilter(this);
            m_watching = true;
        }
    }

    void ShowSystemMenu() {
        if (!m_hwnd->sysMenu) return;
        QMenu menu(this);
        for (const auto& item : m_hwnd->sysMenu->Items()) {
            if (item.flags & MF_SEPARATOR) {
                menu.addSeparator();
                continue;
            }
            QAction* a = menu.addAction(QString::fromStdString(item.text));
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
            PressEnterIn(m_hwnd);
            return true;
        }
        if (e->key() == Qt::Key_Escape) {
            SendTo(m_hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return true;
        }
        return false;
    }

protected:
    void paintEvent(QPaintEvent*) override {
        const Surface& s = m_hwnd->surface;
        QPainter p(this);
        p.drawImage(0, 0,
                    QImage(reinterpret_cast<const uchar*>(s.pixels.data()), s.width, s.height, s.width * 4,
                           QImage::Format_RGB32));
    }
    void keyPressEvent(QKeyEvent* e) override {
        if (!HandleKey(e)) QWidget::keyPressEvent(e);
    }
    bool eventFilter(QObject* obj, QEvent* e) override {
        if (obj == windowHandle() && e->type() == QEvent::Expose && !windowHandle()->isExposed() &&
            !(windowState() & Qt::WindowMinimized) && isVisible() && !m_hwnd->ended && NativeWindowGone(this))
            RequestQuit();
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
    bool m_watching = false;
};

// A window's widget: a dialog's own, which goes with it, or a control's.
// The window's text is the widget's property `text` names (none: no text).
class Peer : public WindowPeer {
public:
    Peer(HWND hwnd, QWidget* widget, const char* text, bool live)
        : m_hwnd(hwnd), m_w(widget), m_text(text), m_live(live), m_own(hwnd->isDialog) {}
    ~Peer() override {
        if (m_own) delete m_w.data();
    }

    std::string Text() const override {
        return m_w && m_text ? m_w->property(m_text).toString().toStdString() : std::string();
    }
    void SetText(const std::string& text) override {
        if (m_w && m_text)
            m_w->setProperty(m_text, QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    }
    void Focus() override {
        if (m_w) m_w->setFocus(Qt::OtherFocusReason);
    }
    LRESULT Control(UINT message, WPARAM wParam, LPARAM lParam) override {
        auto* e = qobject_cast<QLineEdit*>(m_w.data());
        if (auto* b = qobject_cast<QPushButton*>(m_w.data()); b && message == BM_SETSTATE) b->setDown(wParam);
        if (!e || (message != EM_SETSEL && message != EM_GETSEL)) return 0;
        if (message == EM_SETSEL && wParam == 0 && lParam == -1) {
            e->selectAll();
        } else if (message == EM_SETSEL) {
            e->setSelection(static_cast<int>(wParam), static_cast<int>(static_cast<WPARAM>(lParam) - wParam));
        } else {
            int start = e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
            return static_cast<LRESULT>(
                MAKEWPARAM(start, start + static_cast<int>(e->selectedText().size())));
        }
        return 0;
    }
    void Show(bool appModal) override {
        if (!m_w) return;
        if (appModal) m_w->setWindowModality(Qt::ApplicationModal);
        m_w->show();
        // Off screen there is nothing to raise or to watch.
        if (!m_live || QGuiApplication::platformName() == QStringLiteral("offscreen")) return;
        if (auto* d = dynamic_cast<DialogWidget*>(m_w.data())) d->WatchNativeWindow();
        m_w->raise();
        m_w->activateWindow();
        if (m_hwnd->focus && m_hwnd->focus->peer) m_hwnd->focus->peer->Focus();
    }
    void Hide() override {
        if (m_w) m_w->hide();
    }
    void SetIconic(bool iconic) override {
        if (!m_live || !m_w) return;
        Qt::WindowStates st = m_w->windowState();
        if (iconic != bool(st & Qt::WindowMinimized))
            m_w->setWindowState(iconic ? (st | Qt::WindowMinimized) : (st & ~Qt::WindowMinimized));
    }
    void Repaint() override {
        QPointer<QWidget> w = m_w;
        HWND dialog = m_hwnd;
        QMetaObject::invokeMethod(
            w,
            [dialog, w] {
                if (!w) return;
                dialog->updatePending = false;
                w->update();
            },
            Qt::QueuedConnection);
    }
    void SetIcon(HICON icon) override {
        if (m_w) m_w->setWindowIcon(QIcon(QPixmap::fromImage(IconImage(icon))));
    }
    void StartMove() override {
        if (m_live && m_w && m_w->windowHandle()) m_w->windowHandle()->startSystemMove();
    }
    bool Screenshot(const std::string& path) const override {
        if (!m_w) return false;
        QImage image(m_w->size(), QImage::Format_RGB32);
        m_w->render(&image);
        return image.save(QString::fromUtf8(path.c_str()), "PNG");
    }

private:
    HWND m_hwnd;
    QPointer<QWidget> m_w;
    const char* m_text;
    bool m_live;
    bool m_own;
};

// A control's widget; `text` is set to the name of its text property.
QWidget* MakeControlWidget(HWND c, DialogWidget* parent, const DialogControl& dc, const char*& text) {
    const QString caption = QString::fromUtf8(dc.text ? dc.text : "");
    const DWORD type = dc.style & (dc.cls == ControlClass::Static ? 0x1F : 0xF);
    const bool groupBox = dc.cls == ControlClass::Button && type == BS_GROUPBOX;
    const bool focusless = dc.cls == ControlClass::Static || groupBox;
    QWidget* w = nullptr;
    text = "text";
    if (dc.cls == ControlClass::Edit) {
        auto* e = new QLineEdit(parent);
        if (dc.style & ES_CENTER) e->setAlignment(Qt::AlignCenter);
        if (dc.exStyle & WS_EX_RIGHT) e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        e->setFrame(true);
        e->setTextMargins(0, 0, 0, 0);
        e->setStyleSheet("QLineEdit { padding: 0px; }");
        w = e;
    } else if (groupBox) {
        w = new QGroupBox(caption, parent);
        w->setAttribute(Qt::WA_TransparentForMouseEvents);
        text = "title";
    } else if (dc.cls == ControlClass::Button) {
        auto* b = new QPushButton(caption, parent);
        b->setAutoDefault(false);
        QObject::connect(b, &QPushButton::clicked, b,
                         [c] { SendTo(c->parent, WM_COMMAND, MAKEWPARAM(c->id, BN_CLICKED), 0); });
        w = b;
    } else if (type == SS_WHITERECT) {
        // Painted by the dialog's default painting, on the surface.
        w = new QWidget(parent);
        w->setAttribute(Qt::WA_TransparentForMouseEvents);
        text = nullptr;
    } else if (type == SS_ICON) {
        auto* l = new QLabel(parent);
        l->setPixmap(IconPixmap(dc.icon, l));
        w = l;
    } else if (dc.style & SS_EDITCONTROL) {
        w = MakeWrappingText(parent, caption);
    } else {
        auto* l = new QLabel(caption, parent);
        l->setTextFormat(Qt::PlainText);
        if (dc.style & SS_CENTER) l->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        w = l;
    }
    w->setFocusPolicy(focusless ? Qt::NoFocus : (dc.style & WS_TABSTOP) ? Qt::StrongFocus : Qt::ClickFocus);
    return w;
}

}  // namespace

void CreateWidgets(HWND hwnd, bool live) {
    const DialogTemplate& t = *hwnd->tmpl;
    auto* w = new DialogWidget(hwnd);
    hwnd->peer = std::make_unique<Peer>(hwnd, w, "windowTitle", live);
    w->setProperty("hwnd", QVariant::fromValue<void*>(hwnd));
    w->setWindowTitle(QString::fromUtf8(t.caption));
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (t.style & WS_SYSMENU) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (t.style & WS_MINIMIZEBOX) flags |= Qt::WindowMinimizeButtonHint;
    w->setWindowFlags(flags);
    w->setFixedSize(hwnd->rect.right, hwnd->rect.bottom);
    w->setAutoFillBackground(false);
    w->setFont(DialogFont());
    // Group boxes as the original platform draws them: the frame runs
    // through the middle of the title.
    w->setStyleSheet(
        "QGroupBox { border: 1px solid #a0a0a0; border-radius: 0px; margin-top: 6px; }"
        "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 6px; padding: 0 "
        "2px; }");
    for (int i = 0; i < t.count; ++i) {
        HWND c = hwnd->children[static_cast<std::size_t>(i)].get();
        const char* text = nullptr;
        QWidget* cw = MakeControlWidget(c, w, t.controls[i], text);
        cw->setProperty("hwnd", QVariant::fromValue<void*>(c));
        cw->setGeometry(c->rect.left, c->rect.top, c->rect.right - c->rect.left,
                        c->rect.bottom - c->rect.top);
        cw->setVisible(c->style & WS_VISIBLE);
        cw->installEventFilter(w);
        c->peer = std::make_unique<Peer>(c, cw, text, live);
    }
}

}  // namespace platform::qt
