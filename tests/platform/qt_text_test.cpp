// What a person reads on the Qt widgets behind the windows: texts cross as
// UTF-8, every caption fits its control, and a message box shows the icon of
// its type and the whole of its text.
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QTextLayout>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "automation/script.h"
#include "platform/api/internal.h"
#include "support/fixture.h"

namespace {

QWidget* WidgetOf(HWND hwnd) {
    for (QWidget* w : QApplication::allWidgets())
        if (hwnd && w->property("hwnd").value<void*>() == hwnd) return w;
    return nullptr;
}
QWidget* WidgetOf(const CWnd* wnd) {
    return wnd ? WidgetOf(wnd->m_hWnd) : nullptr;
}

// ---------------------------------------------------------------- UTF-8

class Utf8Test : public test::MainWindowTest {
protected:
    void SetUp() override {
        m_home = std::filesystem::current_path();
        std::filesystem::current_path(test::FreshDir("platform/utf8"));
        MainWindowTest::SetUp();
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        std::filesystem::current_path(m_home);
    }

private:
    std::filesystem::path m_home;
};

TEST_F(Utf8Test, TextsCrossToAndFromTheWidgetsAsUtf8) {
    const char* const texts[] = {
        "\xC3\xA9"
        "5",
        "Grad \xC2\xB0"
        "C",
        "Zone \xE2\x91\xA0"};
    struct Window {
        CWnd* wnd;
        const char* property;
    } windows[] = {{dlg.get(), "windowTitle"},
                   {dlg->GetDlgItem(IDC_FILE_NUMBER), "text"},
                   {dlg->GetDlgItem(IDC_DEGREES_LABEL), "text"},
                   {dlg->GetDlgItem(IDC_ABORT), "text"}};
    for (const Window& w : windows) {
        QWidget* widget = WidgetOf(w.wnd);
        ASSERT_NE(widget, nullptr);
        for (const char* text : texts) {
            SCOPED_TRACE(std::string(w.property) + " " + text);
            w.wnd->SetWindowText(text);
            EXPECT_EQ(widget->property(w.property).toString().toStdString(), text);
            CString back;
            w.wnd->GetWindowText(back);
            EXPECT_EQ(back.str(), text);
        }
    }
}

TEST_F(Utf8Test, AFileNumberTypedInTheFormNamesTheRunLogInUtf8) {
    auto* edit = qobject_cast<QLineEdit*>(WidgetOf(dlg->GetDlgItem(IDC_FILE_NUMBER)));
    ASSERT_NE(edit, nullptr);
    edit->setText(
        QString::fromUtf8("\xC3\xA9"
                          "5"));  // as the keyboard puts it
    Click(IDC_ABORT);
    EXPECT_TRUE(
        std::filesystem::exists("Tdata\xC3\xA9"
                                "5.txt"));
    EXPECT_TRUE(Boxes().empty()) << Boxes().front();
}

// ---------------------------------------------------------------- captions

// How `text` in `font`, placed in `room` with `align`, leaves it: "" when
// its ink and its line fit, with the pixels it has to `spare` across.
std::string Overflow(const QString& text, const QFont& font, const QRect& room, Qt::Alignment align,
                     int& spare) {
    const QFontMetrics fm(font);
    const int advance = fm.horizontalAdvance(text);
    const QRect ink = fm.boundingRect(text);
    const int left = std::min(0, ink.left()), right = std::max(advance, ink.right() + 1);
    int x = room.left();
    if (align & Qt::AlignHCenter) x += (room.width() - advance) / 2;
    if (align & Qt::AlignRight) x = room.right() + 1 - advance;
    spare = room.width() - (right - left);
    if (x + left >= room.left() && x + right <= room.right() + 1 && fm.height() <= room.height()) return "";
    char why[128];
    std::snprintf(why, sizeof why, "needs %d x %d px from x %d, has %d x %d", right - left, fm.height(),
                  x + left, room.width(), room.height());
    return why;
}

// The room a caption has on its widget, as the style lays it out.
QRect CaptionRoom(QWidget* w, Qt::Alignment& align) {
    align = Qt::AlignLeft;
    if (auto* b = qobject_cast<QPushButton*>(w)) {
        QStyleOptionButton opt;
        opt.initFrom(b);
        opt.text = b->text();
        align = Qt::AlignHCenter;
        return b->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, b);
    }
    if (auto* g = qobject_cast<QGroupBox*>(w)) {
        QStyleOptionGroupBox opt;
        opt.initFrom(g);
        opt.text = g->title();
        opt.textAlignment = g->alignment();
        opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        opt.lineWidth = 1;
        QStyle* s = g->style();
        const QRect frame = s->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxFrame, g);
        const QRect label = s->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, g);
        // The title sits at its label's place, and inside the frame's sides.
        return QRect(label.left(), label.top(), frame.right() - label.left(), label.height());
    }
    auto* l = qobject_cast<QLabel*>(w);
    if (!l) return QRect();
    align = l->alignment();
    return l->contentsRect();
}

TEST(DialogFont, EveryCaptionOfTheThreeDialogsFitsItsControl) {
    std::string tightest;
    int least = 1 << 20;
    for (UINT id : {IDD_ABOUTBOX, IDD_PYRELLE_DIALOG, IDD_CALIBRATION}) {
        const platform::DialogTemplate* t = platform::FindDialogTemplate(id);
        ASSERT_NE(t, nullptr);
        CDialog dialog(id);
        ASSERT_TRUE(dialog.Create(id));
        for (int i = 0; i < t->count; ++i) {
            const platform::DialogControl& c = t->controls[i];
            if (!c.text || !*c.text) continue;
            SCOPED_TRACE(std::to_string(id) + " \"" + c.text + "\"");
            QWidget* w = WidgetOf(dialog.m_hWnd->children[static_cast<std::size_t>(i)].get());
            ASSERT_NE(w, nullptr);
            w->ensurePolished();
            Qt::Alignment align;
            const QRect room = CaptionRoom(w, align);
            ASSERT_FALSE(room.isNull()) << "no caption on " << w->metaObject()->className();
            int spare = 0;
            EXPECT_EQ(Overflow(QString::fromUtf8(c.text), w->font(), room, align, spare), "");
            if (spare < least) least = spare, tightest = c.text;
        }
    }
    std::printf("tightest caption: \"%s\", %d px to spare\n", tightest.c_str(), least);
}

// ---------------------------------------------------------------- message boxes

// A user who looks at each message box while it is open, then leaves it.
class Looker : public platform::UserSide {
public:
    explicit Looker(std::function<void(CWnd*)> look) : m_look(std::move(look)) {
        platform::InstallUserSide(this);
    }
    ~Looker() override { platform::InstallUserSide(&automation::User()); }
    Step Next() override {
        m_look(platform::ActiveWindow());
        ++looked;
        return Step::Leave;
    }
    int looked = 0;

private:
    std::function<void(CWnd*)> m_look;
};

TEST(MessageBox, ShowsTheStyleIconItsTypeAsksFor) {
    const struct {
        UINT type;
        int icon;  // a QStyle::StandardPixmap, -1 for none
    } cases[] = {{MB_ICONEXCLAMATION, QStyle::SP_MessageBoxWarning},
                 {MB_ICONINFORMATION, QStyle::SP_MessageBoxInformation},
                 {MB_ICONSTOP, QStyle::SP_MessageBoxCritical},
                 {MB_OK, -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        Looker looker([&](CWnd* box) {
            QWidget* w = WidgetOf(box);
            ASSERT_NE(w, nullptr);
            std::vector<QLabel*> icons;
            for (QLabel* l : w->findChildren<QLabel*>())
                if (!l->pixmap().isNull()) icons.push_back(l);
            if (c.icon < 0) {
                EXPECT_TRUE(icons.empty());
                return;
            }
            ASSERT_EQ(icons.size(), 1u);
            const QPixmap shown = icons[0]->pixmap();
            const QPixmap style = w->style()
                                      ->standardIcon(static_cast<QStyle::StandardPixmap>(c.icon), nullptr, w)
                                      .pixmap(shown.size());
            EXPECT_EQ(shown.toImage().convertToFormat(QImage::Format_ARGB32),
                      style.toImage().convertToFormat(QImage::Format_ARGB32));
            EXPECT_TRUE(w->rect().contains(icons[0]->geometry()));
        });
        EXPECT_EQ(AfxMessageBox("Check the furnace.", c.type), IDOK);
        EXPECT_EQ(looker.looked, 1);
    }
}

TEST(MessageBox, SizesItselfToItsTextWrappingLongNamesWithoutClipping) {
    const std::string unsaved =
        "The run log \"Tdata/nowhere/" + std::string(60, '7') +
        ".txt\" was not saved: No such file or directory.\n\nThe run's samples are "
        "still held: mend the cause or change the file number, then press Abort again.";
    const struct {
        std::string text;
        int minLines;
    } cases[] = {
        {unsaved, 4}, {"Saved in /" + std::string(150, 'x') + ".", 2}, {"Please enter an integer.", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Looker looker([&](CWnd* box) {
            QWidget* w = WidgetOf(box);
            QWidget* text = WidgetOf(box->GetDlgItem(0xFFFF));
            QWidget* ok = WidgetOf(box->GetDlgItem(IDOK));
            ASSERT_TRUE(w && text && ok);
            CString shown;
            box->GetDlgItem(0xFFFF)->GetWindowText(shown);
            EXPECT_EQ(shown.str(), c.text);
            EXPECT_LE(w->width(), 600) << "a box no wider than a few hundred pixels";
            EXPECT_TRUE(w->rect().contains(text->geometry()));
            EXPECT_TRUE(w->rect().contains(ok->geometry()));
            EXPECT_FALSE(text->geometry().intersects(ok->geometry()));
            // The text laid out at its control's width: every line within
            // the width, all the lines within the height.
            QString s = QString::fromStdString(c.text);
            s.replace(QLatin1Char('\n'), QChar::LineSeparator);
            QTextLayout layout(s, text->font());
            QTextOption option;
            option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            layout.setTextOption(option);
            layout.beginLayout();
            int lines = 0;
            qreal height = 0;
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine(), ++lines) {
                line.setLineWidth(text->width());
                EXPECT_LE(line.naturalTextWidth(), text->width());
                height += line.height();
            }
            layout.endLayout();
            EXPECT_GE(lines, c.minLines);
            EXPECT_LE(height, text->height());
        });
        EXPECT_EQ(AfxMessageBox(c.text.c_str(), MB_ICONEXCLAMATION), IDOK);
        EXPECT_EQ(looker.looked, 1);
    }
}

}  // namespace
