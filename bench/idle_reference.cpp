// The reference for what waiting costs: a small Qt window whose caption counts down once a
// second, written the way a plain Qt program would (a QTimer and setWindowTitle). Measured next
// to Quillet's small window by scripts/measure-idle.sh.
#include <QApplication>
#include <QTime>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(335, 39);
    int left = 45 * 60;
    const auto caption = [&] {
        window.setWindowTitle(
            QStringLiteral("Training: %1")
                .arg(QTime(0, 0).addSecs(left).toString(QStringLiteral("H:m:s"))));
    };
    caption();
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        left = left > 0 ? left - 1 : 45 * 60;
        caption();
    });
    tick.start(1000);
    window.show();
    return app.exec();
}
