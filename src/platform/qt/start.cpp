// Qt as the window system: start-up, the event loop, and the timer that wakes
// it when the platform clock follows real time.
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <clocale>
#include <string>

#include "platform/clock.h"
#include "platform/internal.h"
#include "platform/qt/qt.h"
#include "platform/user.h"

namespace platform {
namespace {

QApplication* g_app = nullptr;
QTimer* g_clockTimer = nullptr;
double g_speed = 1.0;

// Qt wants a private runtime folder and complains on standard error where the
// session has none; standard error belongs to the program's own lines.
void EnsureRuntimeDir() {
    if (qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")) return;
    std::string dir = "/tmp/runtime-" + std::to_string(getuid());
    mkdir(dir.c_str(), 0700);
    chmod(dir.c_str(), 0700);
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(dir));
}

// On a display the platform clock follows real time: a Qt timer wakes the
// loop when the next window timer is due.
void ArmClockTimer() {
    if (!g_clockTimer) return;
    std::int64_t due = ClockNextDue();
    if (due < 0) {
        g_clockTimer->stop();
        return;
    }
    double delay = static_cast<double>(due - NowMs()) / g_speed;
    g_clockTimer->start(static_cast<int>(std::clamp(delay, 0.0, 1e9)));
}

}  // namespace

void WaitForEvents() {
    QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void ServeUntil(std::int64_t t) {
    while (NowMs() < t) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
}

bool Screenshot(CWnd* dialog, const std::string& path) {
    if (!dialog || !dialog->m_hWnd || !dialog->m_hWnd->widget) return false;
    QWidget* w = dialog->m_hWnd->widget;
    QImage image(w->size(), QImage::Format_RGB32);
    w->render(&image);
    return image.save(QString::fromLocal8Bit(path.c_str()), "PNG");
}

void qt::Start(int argc, char** argv, bool live, double speed) {
    if (!live) qputenv("QT_QPA_PLATFORM", "offscreen");
    EnsureRuntimeDir();
    static int s_argc;
    s_argc = argc;
    g_app = new QApplication(s_argc, argv);
    // Qt takes the user's locale; numbers in the form, the status line and
    // the run log are written and read with a decimal point all the same.
    std::setlocale(LC_NUMERIC, "C");
    TheSession().mode = live ? Mode::Gui : Mode::Headless;
    if (!live) return;
    g_speed = speed;
    ClockUseRealTime(speed);
    g_clockTimer = new QTimer(g_app);
    g_clockTimer->setSingleShot(true);
    g_clockTimer->setTimerType(Qt::PreciseTimer);
    QObject::connect(g_clockTimer, &QTimer::timeout, [] { ClockAdvanceTo(NowMs()); });
    ClockOnTimersChanged(&ArmClockTimer);
}

void qt::Stop() {
    ClockOnTimersChanged(nullptr);
    g_clockTimer = nullptr;
    delete g_app;
    g_app = nullptr;
}

}  // namespace platform
