// Starts, and quits as soon as the first frame has been painted: Quillet itself, or with
// --bare a bare full-screen Qt window for comparison. Prints, on one line, when the window was
// mapped (the X server's MapNotify reached the program) and when its first paint was delivered,
// both as wall-clock nanoseconds, and the process's peak resident memory in KiB, for
// scripts/measure-startup.sh, which subtracts the moment it started the process.
#include "app/UMainBoard.h"
#include "program/Program.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QByteArray>
#include <QEvent>
#include <QFile>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

std::int64_t nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

long peakKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// The first MapNotify of any of the program's windows.
class MapWatch : public QAbstractNativeEventFilter {
public:
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        constexpr std::uint8_t kMapNotify = 19;
        if (mappedNs == 0 && type == "xcb_generic_event_t" &&
            (*static_cast<const std::uint8_t*>(message) & 0x7f) == kMapNotify)
            mappedNs = nowNs();
        return false;
    }
    std::int64_t mappedNs = 0;
};

// Ends the event loop right after the first paint of any widget has been delivered (watching the
// whole application: a window covered by its children gets no paint event of its own).
class QuitAfterFirstPaint : public QObject {
public:
    explicit QuitAfterFirstPaint(MapWatch& map) : map_(map) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && paintedNs_ == 0) {
            paintedNs_ = nowNs();
            QTimer::singleShot(0, qApp, [this] {
                std::printf("mapped %lld painted %lld peak %ld\n",
                            static_cast<long long>(map_.mappedNs),
                            static_cast<long long>(paintedNs_), peakKiB());
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    MapWatch& map_;
    std::int64_t paintedNs_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    MapWatch map;
    QuitAfterFirstPaint quitter(map);
    if (argc > 1 && std::strcmp(argv[1], "--bare") == 0) {
        QApplication app(argc, argv);
        app.installNativeEventFilter(&map);
        QWidget window;
        window.setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        window.setGeometry(QGuiApplication::primaryScreen()->geometry());
        window.setStyleSheet(QStringLiteral("background: black"));
        app.installEventFilter(&quitter);
        window.show();
        return app.exec();
    }
    ProgramHooks hooks;
    hooks.shown = [&](TFMainBoard& board) {
        qApp->installNativeEventFilter(&map);
        qApp->installEventFilter(&quitter);
        (void)board;
    };
    return RunQuillet(argc, argv, hooks);
}
