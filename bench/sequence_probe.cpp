// Runs Quillet for real and measures a breathing sequence from inside: the time the set-up of
// the sequence takes (button press until the pictures are loaded), the time from the press to
// the first slideshow picture on screen, and, during full breathing, the process's CPU share
// and how often the blind, the strip and the whole board are really painted.
//   quillet_sequence_probe [seconds of breath phases to measure, default 20]
// Run it under an X server (see scripts/measure-breathing.sh).
#include "app/UMainBoard.h"
#include "program/Program.h"
#include "settings/UDaten.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

namespace {

class PaintCounter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++counts[watched];
        return QObject::eventFilter(watched, event);
    }
    QHash<QObject*, int> counts;
};

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 20;
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    {
        UDaten daten;
        daten.WindowsDir = UDaten::userConfigDir();
        daten.LocateSettingsFile();
        daten.Settings.DSTimer = 1; // no intro; the sequence is started by the probe
        daten.Settings.Passwort[0] = 1;
        daten.SaveSettings();
    }

    PaintCounter paints;
    QElapsedTimer sincePress;
    qint64 firstPictureMs = -1;
    return RunQuillet(1, argv, [&](TFMainBoard& board) {
        board.IKino[1]->installEventFilter(&paints);
        board.PBlende->installEventFilter(&paints);
        board.PColors->installEventFilter(&paints);
        board.IAtmen->installEventFilter(&paints);
        board.Form->installEventFilter(&paints);
        auto* poll = new QTimer(qApp);
        QObject::connect(poll, &QTimer::timeout, [&] {
            if (firstPictureMs < 0 && paints.counts.value(board.IKino[1]) > 0)
                firstPictureMs = sincePress.elapsed();
        });
        QTimer::singleShot(1500, [&, poll] {
            sincePress.start();
            board.SBAtmenClick();
            std::printf("set-up of the sequence: %lld ms\n", sincePress.elapsed());
            poll->start(1);
        });
        // Full breathing begins 50 s into the sequence; measure well inside it.
        const int from = 1500 + 52'000;
        static double cpu0 = 0;
        static QHash<QObject*, int> before;
        QTimer::singleShot(from, [&] {
            poll->stop();
            std::printf("press to the first picture painted: %lld ms\n", firstPictureMs);
            cpu0 = cpuSeconds();
            before = paints.counts;
        });
        QTimer::singleShot(from + seconds * 1000, [&, seconds] {
            const double cpu = cpuSeconds() - cpu0;
            auto rate = [&](QObject* o) {
                return (paints.counts.value(o) - before.value(o)) / double(seconds);
            };
            std::printf("full breathing over %d s: CPU %.1f %% of a core; paints per second: blind "
                        "%.1f, strip %.1f, breathing picture %.1f, board %.1f\n",
                        seconds, 100.0 * cpu / seconds, rate(board.PBlende), rate(board.PColors),
                        rate(board.IAtmen), rate(board.Form));
            qApp->quit();
        });
    });
}
