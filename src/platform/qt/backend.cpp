// Qt as the window system: start-up, the event loop and the timer that wakes
// it when the platform clock follows real time, and the font mapper.
#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/clock.h"
#include "platform/qt/qt.h"
#include "platform/qt/text.h"
#include "platform/qt/widgets.h"

namespace platform::qt {
namespace {

class Font : public FontPeer {
public:
    explicit Font(const QFont& font) : m_font(font) {}
    void Render(char32_t ch, int x, int y, int width, int height, unsigned char* coverage) const override {
        QImage img(width, height, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        QPainter p(&img);
        p.setFont(m_font);
        p.setPen(Qt::black);
        p.drawText(x, y, QString(QChar(static_cast<char16_t>(ch))));
        p.end();
        for (int row = 0; row < height; ++row)
            for (int col = 0; col < width; ++col)
                coverage[static_cast<std::size_t>(row) * width + col] =
                    static_cast<unsigned char>(qAlpha(img.pixel(col, row)));
    }

private:
    QFont m_font;
};

class QtWindowSystem : public WindowSystem {
public:
    explicit QtWindowSystem(bool live) : m_live(live) {}
    bool Live() const override { return m_live; }
    void Create(HWND dialog) override { CreateWidgets(dialog, m_live); }

    // The font mapper: a fixed-pitch request (or a Courier face) gets the
    // machine's monospaced font, Liberation Mono else DejaVu Sans Mono, as
    // found by fontconfig. A positive height is the cell height, and the font
    // is the largest pixel size whose cell fits in it; a negative one is the
    // em size.
    std::unique_ptr<FontPeer> MapFont(const LOGFONT& lf, FontMetrics& m) override {
        const bool fixed = (lf.lfPitchAndFamily & 0x3) == 1 || std::strncmp(lf.lfFaceName, "Courier", 7) == 0;
        QFont font(QStringLiteral("DejaVu Sans"));
        if (fixed) {
            font = QFont(QStringLiteral("Liberation Mono"));
            font.setStyleHint(QFont::Monospace);
            font.setFixedPitch(true);
            if (QFontInfo(font).family() != QStringLiteral("Liberation Mono"))
                font.setFamily(QStringLiteral("DejaVu Sans Mono"));
        }
        if (lf.lfWeight >= 600) font.setBold(true);
        font.setItalic(lf.lfItalic != 0);
        font.setUnderline(lf.lfUnderline != 0);
        font.setStrikeOut(lf.lfStrikeOut != 0);
        font.setHintingPreference(QFont::PreferFullHinting);
        const long long requested = lf.lfHeight;
        const int height =
            requested == 0 ? 16 : static_cast<int>(std::min<long long>(std::llabs(requested), 1000));
        if (requested > 0) {
            int px = height;
            for (; px > 1; --px) {
                font.setPixelSize(px);
                if (QFontMetrics(font).height() <= height) break;
            }
            font.setPixelSize(px);
        } else {
            font.setPixelSize(height);
        }
        QFontMetrics fm(font);
        m.ascent = fm.ascent();
        m.cellHeight = requested > 0 ? height : fm.height();
        m.advance = std::max(1, fm.horizontalAdvance(QLatin1Char('0')));
        return std::make_unique<Font>(font);
    }

    TextExtent MeasureText(const std::string& text, int maxWidth) const override {
        return MeasureWrapping(text, maxWidth);
    }

    void WaitForEvents() override { QApplication::processEvents(QEventLoop::WaitForMoreEvents); }
    void ServeUntil(std::int64_t t) override {
        while (NowMs() < t && !QuitRequested()) {
            QApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::msleep(1);
        }
    }

private:
    bool m_live;
};

QApplication* g_app = nullptr;
QtWindowSystem* g_system = nullptr;
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

void Start(int argc, char** argv, bool live, double speed, const char* desktopId) {
    if (!live) qputenv("QT_QPA_PLATFORM", "offscreen");
    EnsureRuntimeDir();
    static int s_argc;
    s_argc = argc;
    g_app = new QApplication(s_argc, argv);
    if (desktopId) QGuiApplication::setDesktopFileName(QString::fromUtf8(desktopId));
    // Qt takes the user's locale; numbers in forms and files are written and
    // read with a decimal point all the same.
    std::setlocale(LC_NUMERIC, "C");
    g_system = new QtWindowSystem(live);
    InstallWindowSystem(g_system);
    // A request to end wakes a loop that waits for events.
    int wake[2];
    if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) == 0) {
        auto* notifier = new QSocketNotifier(wake[0], QSocketNotifier::Read, g_app);
        QObject::connect(notifier, &QSocketNotifier::activated, [fd = wake[0]] {
            char buf[16];
            while (::read(fd, buf, sizeof buf) > 0) {
            }
        });
        ClockOnQuitWake(wake[1]);
    }
    if (!live) return;
    g_speed = speed;
    ClockUseRealTime(speed);
    // On a busy machine the window timers keep their times only above the
    // ordinary tasks: a low real-time priority where the system grants it.
    sched_param rt{};
    rt.sched_priority = 10;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &rt);
    g_clockTimer = new QTimer(g_app);
    g_clockTimer->setSingleShot(true);
    g_clockTimer->setTimerType(Qt::PreciseTimer);
    QObject::connect(g_clockTimer, &QTimer::timeout, [] { ClockAdvanceTo(NowMs()); });
    ClockOnTimersChanged(&ArmClockTimer);
}

void Stop() {
    ClockOnQuitWake(-1);
    ClockOnTimersChanged(nullptr);
    g_clockTimer = nullptr;
    InstallWindowSystem(nullptr);
    delete g_system;
    g_system = nullptr;
    delete g_app;
    g_app = nullptr;
}

}  // namespace platform::qt
