#pragma once

#include <QCoreApplication>

#include "support/BoardFixture.h"

#include "runtime/Timer.h"
#include "sequences/UProcAug.h"
#include "sequences/UProcYog.h"

// A board on the idle screen with real sequencers; the clock and the sequencer's timer are
// driven by hand: each tick moves the clock by the timer's period and calls the tick handler.
class SequenceFixture : public BoardFixture {
protected:
    // What the narration player was asked, with the time in milliseconds since the start.
    struct Heard {
        int ms;
        QString name; // below Sound/, or "stop"
    };

    // Every narration of the sequences as an empty file: the recording player only needs them
    // to exist. Pictures come from the program's data.
    void SetUp() override {
        BoardFixture::SetUp();
        const QString words =
            QStringLiteral("eins zwei drei vier funf sechs sieben acht neun zehn");
        QStringList names{"gong.wav", "mantra.wav", "start/noise.wav", "start/wave.wav"};
        for (const QString& folder : {QStringLiteral("atmen"), QStringLiteral("entsp")}) {
            for (const QString& w : words.split(' '))
                names << folder + '/' + w + ".wav";
            names << folder + "/indoc.wav" << folder + "/outdoc.wav" << folder + "/ende.wav";
        }
        for (const char* n :
             {"atmen0", "atmen1", "atmen24", "atmen3", "wechs0", "wechs1", "wechs2"})
            names << QStringLiteral("atmen/%1.wav").arg(QLatin1String(n));
        for (int k = 0; k <= 10; ++k)
            names << QStringLiteral("entsp/ents%1.wav").arg(k);
        for (const QString& f : TFProcYog::DataFilesUsed() + TFProcAug::DataFilesUsed())
            if (f.startsWith(QLatin1String("Sound\\")))
                names << f.mid(6).replace(QLatin1Char('\\'), QLatin1Char('/'));
        for (const QString& n : names) {
            const QString path = sounds.path() + QStringLiteral("/Sound/") + n;
            QDir().mkpath(QFileInfo(path).path());
            QFile(path).open(QIODevice::WriteOnly);
        }
        files = rt::DataFiles(QStringList{sounds.path(), QStringLiteral(QUILLET_SOURCE_DATA_DIR)});
    }

    void prepare(const std::function<void(TSettings&)>& change = {}, int screenWidth = 1024,
                 int screenHeight = 768) {
        TSettings s;
        if (change)
            change(s);
        writeSettings(s);
        create(screenWidth, screenHeight);
        QCoreApplication::processEvents(); // the start sound comes after the first frame
        // Reading the file brings its values into the settings window's bounds; the record in
        // memory gets the values as given, so the sequencers meet values outside them too.
        board->Daten().Settings = s;
        board->TimerStart.setEnabled(false);
        elapsedMs = 0;
        player.observer = [this](const QString& call) {
            const int at = elapsedMs;
            heard.push_back({at, call == QLatin1String("stop") ? call : programName(call)});
        };
    }

    // Runs `timer`'s ticks for `ms` milliseconds of clock time, or until it stops.
    void run(rt::Timer& timer, const std::function<void()>& tick, int ms) {
        for (int t = 0; t < ms && timer.enabled();) {
            const int step = timer.interval();
            clock.advanceMs(step);
            elapsedMs += step;
            t += step;
            tick();
        }
    }

    int now() const { return elapsedMs; }

    // When `name` was first asked for (ms since the start), or -1.
    int firstTime(const QString& name) const {
        for (const Heard& h : heard)
            if (h.name == name)
                return h.ms;
        return -1;
    }
    int count(const QString& name) const {
        return int(std::count_if(heard.begin(), heard.end(),
                                 [&](const Heard& h) { return h.name == name; }));
    }

    QTemporaryDir sounds;
    int elapsedMs = 0; // clock time since prepare(), across midnight too
    std::vector<Heard> heard;
};
