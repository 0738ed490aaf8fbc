// Starts, and quits as soon as the first frame has been painted: Quillet itself, or with
// --bare a bare full-screen Qt window for comparison. Timed as whole processes by
// scripts/measure-startup.sh.
#include "app/UMainBoard.h"
#include "program/Program.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <cstring>

namespace {

// Ends the event loop right after the watched window's first paint has been delivered.
class QuitAfterFirstPaint : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !done_) {
            done_ = true;
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool done_ = false;
};

} // namespace

int main(int argc, char** argv) {
    QuitAfterFirstPaint quitter;
    if (argc > 1 && std::strcmp(argv[1], "--bare") == 0) {
        QApplication app(argc, argv);
        QWidget window;
        window.setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        window.setGeometry(QGuiApplication::primaryScreen()->geometry());
        window.setStyleSheet(QStringLiteral("background: black"));
        window.installEventFilter(&quitter);
        window.show();
        return app.exec();
    }
    ProgramHooks hooks;
    hooks.shown = [&quitter](TFMainBoard& board) { board.Form->installEventFilter(&quitter); };
    return RunQuillet(argc, argv, hooks);
}
