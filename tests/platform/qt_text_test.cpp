// What a person reads on the Qt widgets behind the windows: texts cross as
// UTF-8.
#include <QApplication>
#include <QLineEdit>
#include <filesystem>

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

}  // namespace
