// Runs Quillet for real and measures a sequence from inside.
//   quillet_sequence_probe [seconds]      breathing: the time the set-up of the sequence takes
//       (button press until the pictures are loaded), the time from the press to the first
//       slideshow picture on screen, and, during full breathing, the process's CPU share, how
//       often it wakes up (voluntary context switches of all its threads) and how often the
//       blind, the strip and the whole board are really painted
//   quillet_sequence_probe idle [seconds] the same figures for the board resting on its idle
//       screen, as the measure to hold the breathing against
//   quillet_sequence_probe yoga|augen     a whole yoga or eye sequence: every narration handed
//       to the sound server with its time since the press, the length of the sequence, the
//       process's CPU share over it and how often the picture, the text and the board painted
// Run it under an X server (see scripts/measure-breathing.sh, scripts/measure-sequence.sh).
#include "app/UMainBoard.h"
#include "program/Program.h"
#include "runtime/Controls.h"
#include "settings/UDaten.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEvent>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
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

// Times the process gave up the processor to wait, summed over its threads: each is a wake-up.
long wakeups() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_nvcsw;
}

// The board on its idle screen for `seconds`, after three seconds to settle.
int idleBoard(char** argv, int seconds) {
    PaintCounter paints;
    ProgramHooks hooks;
    hooks.shown = [&](TFMainBoard& board) {
        board.Form->installEventFilter(&paints);
        static double cpu0 = 0;
        static long woken0 = 0;
        QTimer::singleShot(3000, [&] {
            cpu0 = cpuSeconds();
            woken0 = wakeups();
            paints.counts.clear();
        });
        QTimer::singleShot(3000 + seconds * 1000, [&, seconds] {
            const double cpu = cpuSeconds() - cpu0;
            const long woken = wakeups() - woken0;
            std::printf("idle board over %d s: CPU %.2f %% of a core; wakeups %.1f/s; paints per "
                        "second: board %.1f\n",
                        seconds, 100.0 * cpu / seconds, double(woken) / seconds,
                        paints.counts.value(board.Form) / double(seconds));
            qApp->quit();
        });
    };
    return RunQuillet(1, argv, hooks);
}

// A whole yoga or eye sequence, pressed 1.5 s after the start; the program ends with it.
int wholeSequence(char** argv, bool yoga) {
    PaintCounter paints;
    QElapsedTimer sincePress;
    double cpu0 = 0;
    bool ending = false;
    TFMainBoard* shown = nullptr;
    ProgramHooks hooks;
    hooks.shown = [&](TFMainBoard& board) {
        shown = &board;
        board.Form->installEventFilter(&paints);
        board.IYoga->installEventFilter(&paints);
        board.IAugen->installEventFilter(&paints);
        board.MemoText->editor()->viewport()->installEventFilter(&paints);
        QTimer::singleShot(1500, [&board, &sincePress, &cpu0, yoga] {
            sincePress.start();
            cpu0 = cpuSeconds();
            std::printf("press %lld\n", QDateTime::currentMSecsSinceEpoch());
            yoga ? board.SBYogaClick() : board.SBAugenClick();
        });
        QTimer::singleShot(900'000, [] { qApp->exit(1); });
    };
    hooks.played = [&](const QString& path, bool started) {
        if (!sincePress.isValid())
            return;
        const qint64 ms = sincePress.elapsed();
        const qsizetype folder = path.indexOf(QLatin1String("/Sound/"));
        const QString name = folder < 0 ? path : path.mid(folder + 7);
        std::printf("narration %lld %s%s\n", ms, qPrintable(name), started ? "" : " (failed)");
        if (name.endsWith(QLatin1String("ende.wav")) || name.endsWith(QLatin1String("ende.ogg")))
            ending = true;
        if (ending && path == QLatin1String("stop")) {
            const double seconds = ms / 1000.0;
            const double cpu = cpuSeconds() - cpu0;
            TFMainBoard& board = *shown;
            QObject* picture = yoga ? static_cast<QObject*>(board.IYoga) : board.IAugen;
            std::printf("sequence %.1f s: CPU %.2f %% of a core; paints: picture %d (%.2f/s), text "
                        "%d, board %d\n",
                        seconds, 100.0 * cpu / seconds, paints.counts.value(picture),
                        paints.counts.value(picture) / seconds,
                        paints.counts.value(board.MemoText->editor()->viewport()),
                        paints.counts.value(board.Form));
            std::fflush(stdout);
            qApp->quit();
        }
    };
    return RunQuillet(1, argv, hooks);
}

} // namespace

int main(int argc, char** argv) {
    const bool yoga = argc > 1 && std::strcmp(argv[1], "yoga") == 0;
    const bool augen = argc > 1 && std::strcmp(argv[1], "augen") == 0;
    const bool idle = argc > 1 && std::strcmp(argv[1], "idle") == 0;
    const char* secondsArg = idle ? (argc > 2 ? argv[2] : nullptr) : (argc > 1 ? argv[1] : nullptr);
    const int seconds = secondsArg && !yoga && !augen ? std::atoi(secondsArg) : 20;
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
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (yoga || augen)
        return wholeSequence(argv, yoga);
    if (idle)
        return idleBoard(argv, seconds);

    PaintCounter paints;
    QElapsedTimer sincePress;
    qint64 firstPictureMs = -1;
    ProgramHooks hooks;
    hooks.shown = [&](TFMainBoard& board) {
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
        static long woken0 = 0;
        static QHash<QObject*, int> before;
        QTimer::singleShot(from, [&, poll] {
            poll->stop();
            std::printf("press to the first picture painted: %lld ms\n", firstPictureMs);
            cpu0 = cpuSeconds();
            woken0 = wakeups();
            before = paints.counts;
        });
        QTimer::singleShot(from + seconds * 1000, [&, seconds] {
            const double cpu = cpuSeconds() - cpu0;
            const long woken = wakeups() - woken0;
            auto rate = [&](QObject* o) {
                return (paints.counts.value(o) - before.value(o)) / double(seconds);
            };
            std::printf("full breathing over %d s: CPU %.2f %% of a core; wakeups %.1f/s; paints "
                        "per second: blind %.1f, strip %.1f, breathing picture %.1f, board %.1f\n",
                        seconds, 100.0 * cpu / seconds, double(woken) / seconds,
                        rate(board.PBlende), rate(board.PColors), rate(board.IAtmen),
                        rate(board.Form));
            qApp->quit();
        });
    };
    return RunQuillet(1, argv, hooks);
}
