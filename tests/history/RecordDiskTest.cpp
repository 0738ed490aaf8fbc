// The record on a file system of its own (tests/history/record-disk.sh): a disk that fills up
// while the record is written, and the same record on a medium mounted read-only. SQLite needs
// files beside the record to read it; where they cannot be made, what it holds must still show.
#include "history/Recorder.h"

#include <QCoreApplication>
#include <QFile>
#include <gtest/gtest.h>

TEST(RecordOnARealDisk, FullOrReadOnlyStillShowsWhatItHolds) {
    const QString folder = qEnvironmentVariable("QUILLET_RECORD_DISK");
    const QString phase = qEnvironmentVariable("QUILLET_RECORD_PHASE");
    if (folder.isEmpty())
        GTEST_SKIP() << "needs a file system of its own (tests/history/record-disk.sh)";
    const QString path = folder + QStringLiteral("/quillet/verlauf.sqlite");
    const QString filler = folder + QStringLiteral("/filler");
    rt::ManualClock clock;
    rt::RecordingReport report;
    hist::Recorder recorder(clock, report);
    recorder.open(path);
    auto events = [&] {
        for (int sequence = 0; sequence < 3; ++sequence) {
            recorder.SequenceStarted(sequence, false);
            clock.advance(60);
            recorder.SequenceEnded(true);
            QCoreApplication::processEvents();
        }
    };
    if (phase == QLatin1String("room")) {
        events();
        EXPECT_EQ(recorder.waiting(), 0u);
        return;
    }
    ASSERT_TRUE(QFile::exists(path));
    const std::size_t written = recorder.everything().runs.size();
    EXPECT_EQ(written, phase == QLatin1String("full") ? 3u : 6u) << "the rows written before";
    const QString reason = phase == QLatin1String("full")
                               ? QStringLiteral("Auf dem Datenträger ist kein Platz mehr frei")
                               : QStringLiteral("Die Datei oder ihr Ordner ist schreibgeschützt");
    events();
    EXPECT_EQ(recorder.waiting(), 3u);
    EXPECT_EQ(recorder.everything().runs.size(), written + 3);
    EXPECT_TRUE(recorder.waitingLine().contains(reason)) << recorder.waitingLine().toStdString();
    ASSERT_EQ(report.told.size(), 1);
    EXPECT_TRUE(report.told[0].startsWith(
        QStringLiteral("Der Verlauf „%1“ kann nicht geschrieben werden: %2 (").arg(path, reason)));
    if (phase == QLatin1String("full")) {
        ASSERT_TRUE(QFile::remove(filler));
        ASSERT_TRUE(recorder.retryAtMs());
        clock.advanceMs(*recorder.retryAtMs() - clock.nowMs());
        recorder.tick();
        EXPECT_EQ(recorder.waiting(), 0u) << "written once there is room";
        EXPECT_TRUE(recorder.waitingLine().isEmpty());
    }
}
