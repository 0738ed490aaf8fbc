#pragma once

#include "app/UMainBoard.h"
#include "runtime/Clock.h"
#include "runtime/DataFiles.h"
#include "runtime/ErrorReport.h"
#include "runtime/audio/NarrationPlayer.h"
#include "settings/UDaten.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <array>
#include <memory>

// A narration file as the program names it, below Sound/: "atmen/eins.wav" for the file
// ".../Sound/atmen/eins.ogg" it is stored as.
inline QString programName(const QString& path) {
    QString name = path.mid(path.indexOf(QLatin1String("/Sound/")) + 7);
    if (name.endsWith(QLatin1String(".ogg")))
        name = name.chopped(4) + QStringLiteral(".wav");
    return name;
}

// Stands in for a sequencer window and counts what the board asks of it.
struct FakeSequencer final : Sequencer {
    int setUps = 0, stops = 0, sizes = 0;
    void SetUp() override { ++setUps; }
    void StopTimer() override { ++stops; }
    void SetSizes() override { ++sizes; }
};

// A board on a screen of chosen size, with a clock moved by hand, a player and an error report
// that only record, the program's own data files and a fresh configuration folder.
class BoardFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(config.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    }
    void TearDown() override {
        board.reset();
        qunsetenv("XDG_CONFIG_HOME");
    }

    // Whether a prompt is on the screen, as the board tells it.
    bool trainShown() const { return board->Status().train.state == BoardStatus::Countdown::Shown; }
    bool dogShown() const {
        return board->Status().watchdog.state == BoardStatus::Countdown::Shown;
    }

    QString settingsPath() const { return config.path() + QStringLiteral("/quillet/User.dat"); }

    // Puts a settings file in place before the board starts.
    void writeSettings(const TSettings& s) {
        QDir().mkpath(config.path() + QStringLiteral("/quillet"));
        QFile f(settingsPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        const SettingsBytes b = encodeSettings(s);
        f.write(reinterpret_cast<const char*>(b.data()), kSettingsSize);
    }

    // Runs the program entry's order: the board, its creation, then the sequencers.
    void create(int screenWidth = 1024, int screenHeight = 768) {
        board = std::make_unique<TFMainBoard>(
            BoardContext{clock, player, report, files, daten, screenWidth, screenHeight,
                         rt::PictureAhead::Worker::Manual, screens});
        board->FormCreate();
        for (int i = 0; i < 4; ++i)
            board->AttachSequencer(SequencerIndex(i), &sequencers[size_t(i)]);
    }

    // One tick of the start animation, `seconds` after the last one.
    // Pictures asked for ahead are decoded right after the tick unless a test holds them back.
    void startTick(int seconds) {
        clock.advance(seconds);
        board->TimerStartTimer();
        if (decodeAhead)
            while (board->Ahead().decodeNext()) {
            }
    }
    bool decodeAhead = true;

    // `n` seconds pass on the clock; each countdown that runs ticks once a second, as its timer
    // would.
    void seconds(int n) {
        for (int i = 0; i < n; ++i) {
            clock.advance(1);
            if (board->TimerTrain.enabled())
                board->TimerTrainTimer();
            if (board->TimerDog.enabled())
                board->TimerDogTimer();
        }
    }

    // The narration files played, as paths below Sound/.
    QStringList played() const {
        QStringList out;
        for (const QString& c : player.calls)
            out << (c == QLatin1String("stop") ? c : programName(c));
        return out;
    }

    QTemporaryDir config;
    rt::ManualClock clock{12, 0, 0};
    rt::RecordingPlayer player;
    rt::RecordingReport report;
    rt::DataFiles files{QStringList{QStringLiteral(QUILLET_SOURCE_DATA_DIR)}};
    UDaten daten;
    std::array<FakeSequencer, 4> sequencers;
    Screens* screens = nullptr; // the monitors, where a test has several
    std::unique_ptr<TFMainBoard> board;
};
