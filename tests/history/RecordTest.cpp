#include "history/Database.h"
#include "history/Recorder.h"
#include "history/Summary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

class RecordRows : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("quillet/verlauf.sqlite"));
        hist::Database::Opening o = hist::Database::open(path);
        ASSERT_TRUE(o.database) << o.problem.toStdString();
        recorder.setDatabase(std::move(o.database));
    }
    hist::Entries rows() {
        QCoreApplication::processEvents();
        return recorder.database()->readAll();
    }
    void wait(int seconds) {
        clock.advance(seconds);
        wall = wall.addSecs(seconds);
    }

    QTemporaryDir dir;
    QString path;
    rt::ManualClock clock;
    rt::RecordingReport report;
    QDateTime wall{QDate(2026, 12, 7), QTime(23, 58, 0)};
    hist::Recorder recorder{clock, report, [this] { return wall; }};
};

} // namespace

TEST_F(RecordRows, EachEventBecomesItsRowAfterTheCallThatEndedIt) {
    recorder.SequenceStarted(2, true);
    wait(5 * 60); // over midnight
    recorder.SequenceEnded(false);
    EXPECT_TRUE(recorder.database()->readAll().runs.empty()) << "written after the event's tick";
    hist::Entries e = rows();
    ASSERT_EQ(e.runs.size(), 1u);
    EXPECT_EQ(e.runs[0].started, QDateTime(QDate(2026, 12, 7), QTime(23, 58, 0)));
    EXPECT_EQ(e.runs[0].seconds, 300);
    EXPECT_EQ(e.runs[0].sequence, 2);
    EXPECT_FALSE(e.runs[0].completed);
    EXPECT_TRUE(e.runs[0].fromPrompt);
    // The run counts on the day it started.
    const std::vector<hist::Day> days = hist::lastDays(e, QDate(2026, 12, 8), 2);
    EXPECT_EQ(days[0].seconds[2], 300);
    EXPECT_EQ(days[1].totalSeconds(), 0);

    recorder.PromptHeld(Record::Prompt::Watchdog);
    wait(30);
    recorder.PromptShown(Record::Prompt::Watchdog);
    recorder.PromptClosed(Record::Prompt::Watchdog, Record::Outcome::Ignored);
    recorder.PromptShown(Record::Prompt::Training);
    recorder.PromptClosed(Record::Prompt::Training, Record::Outcome::Followed);
    recorder.Paused(true);
    wait(3600);
    recorder.Paused(false);
    recorder.NaturalBreak(10 * 60'000);
    e = rows();
    ASSERT_EQ(e.prompts.size(), 2u);
    EXPECT_TRUE(e.prompts[0].held);
    EXPECT_EQ(e.prompts[0].kind, 1);
    EXPECT_EQ(e.prompts[0].outcome, hist::PromptRow::Expired) << "the watchdog's ran out";
    EXPECT_EQ(e.prompts[0].at, QDateTime(QDate(2026, 12, 8), QTime(0, 3, 30))) << "when shown";
    EXPECT_FALSE(e.prompts[1].held);
    EXPECT_EQ(e.prompts[1].outcome, 1);
    ASSERT_EQ(e.breaks.size(), 2u);
    EXPECT_EQ(e.breaks[0].kind, hist::BreakRow::Pause);
    EXPECT_EQ(e.breaks[0].seconds, 3600);
    EXPECT_EQ(e.breaks[1].kind, hist::BreakRow::Natural);
    EXPECT_EQ(e.breaks[1].started, QDateTime(QDate(2026, 12, 8), QTime(0, 53, 30)));
}

TEST_F(RecordRows, WhatIsOpenAtTheEndIsWrittenAsStopped) {
    {
        hist::Recorder last(clock, report, [this] { return wall; });
        last.setDatabase(hist::Database::open(path).database);
        last.SequenceStarted(0, false);
        wait(42);
    }
    const hist::Entries e = rows();
    ASSERT_EQ(e.runs.size(), 1u);
    EXPECT_EQ(e.runs[0].seconds, 42);
    EXPECT_FALSE(e.runs[0].completed);
}

// Another program (a backup, `sqlite3`) holds the file with a write lock of its own.
struct Holder {
    explicit Holder(const QString& path) {
        EXPECT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    }
    ~Holder() { release(); }
    void release() {
        if (db)
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        db = nullptr;
    }
    sqlite3* db = nullptr;
};

TEST_F(RecordRows, RowsWaitWhileTheFileIsHeldAndLandInOrderOnceItIsFree) {
    Holder holder(path);
    for (int sequence : {0, 1}) {
        recorder.SequenceStarted(sequence, false);
        wait(20);
        recorder.SequenceEnded(true);
        QCoreApplication::processEvents(); // the write fails: kept
    }
    recorder.PromptShown(Record::Prompt::Training);
    recorder.PromptClosed(Record::Prompt::Training, Record::Outcome::Ignored);
    QCoreApplication::processEvents();
    EXPECT_EQ(recorder.waiting(), 3u);
    EXPECT_TRUE(report.told.isEmpty()) << "a short hold is not worth a word";
    // The window shows what waits, too.
    EXPECT_EQ(recorder.entries().runs.size(), 2u);

    wait(39); // the first write failed 59 seconds ago
    recorder.flush();
    EXPECT_TRUE(report.told.isEmpty());
    wait(1);
    recorder.flush(); // the retry a minute after
    ASSERT_EQ(report.told.size(), 1);
    EXPECT_TRUE(report.told[0].contains(QDir::toNativeSeparators(path)));
    EXPECT_TRUE(report.told[0].contains(QStringLiteral("gesperrt")));
    wait(120);
    recorder.NaturalBreak(60'000);
    QCoreApplication::processEvents();
    recorder.flush();
    EXPECT_EQ(report.told.size(), 1) << "told once";

    holder.release();
    recorder.SequenceStarted(2, false);
    recorder.SequenceEnded(false);
    QCoreApplication::processEvents(); // the next event writes them all
    EXPECT_EQ(recorder.waiting(), 0u);
    const hist::Entries e = recorder.database()->readAll();
    ASSERT_EQ(e.runs.size(), 3u);
    EXPECT_EQ(e.runs[0].sequence, 0);
    EXPECT_EQ(e.runs[1].sequence, 1);
    EXPECT_EQ(e.runs[2].sequence, 2);
    EXPECT_EQ(e.prompts.size(), 1u);
    EXPECT_EQ(e.breaks.size(), 1u);
    EXPECT_EQ(report.told.size(), 1);
}

TEST_F(RecordRows, SeveralRowsWaitingAreToldAtOnce) {
    Holder holder(path);
    for (std::size_t n = 1; n <= hist::Recorder::kLastingRows; ++n) {
        EXPECT_TRUE(report.told.isEmpty()) << n;
        recorder.NaturalBreak(60'000);
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(report.told.size(), 1);
}

// A file another program holds while the record opens (here in the middle of bringing its
// schema forward) is opened for the first row once it is free; nothing is lost meanwhile.
TEST(RecordFile, AFileHeldAtTheStartIsOpenedAndBroughtForwardOnceFree) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("verlauf.sqlite"));
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    for (int v = 0; v < 2; ++v)
        ASSERT_EQ(sqlite3_exec(db, hist::Database::migrations()[v], nullptr, nullptr, nullptr),
                  SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "PRAGMA user_version=2;"
                           "INSERT INTO prompts(at, kind, outcome) "
                           "VALUES('2026-11-30T09:59:00', 1, 2);",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);

    rt::ManualClock clock;
    rt::RecordingReport report;
    hist::Recorder recorder(clock, report);
    Holder holder(path);
    recorder.open(path);
    EXPECT_EQ(recorder.database(), nullptr);
    recorder.PromptShown(Record::Prompt::Watchdog);
    recorder.PromptClosed(Record::Prompt::Watchdog, Record::Outcome::Ignored);
    QCoreApplication::processEvents();
    EXPECT_EQ(recorder.waiting(), 1u);
    holder.release();
    recorder.flush(); // the retry
    ASSERT_NE(recorder.database(), nullptr);
    EXPECT_EQ(recorder.database()->version(), hist::Database::kVersion);
    const hist::Entries e = recorder.database()->readAll();
    ASSERT_EQ(e.prompts.size(), 2u);
    EXPECT_EQ(e.prompts[0].outcome, hist::PromptRow::Expired) << "brought forward";
    EXPECT_EQ(e.prompts[1].outcome, hist::PromptRow::Expired);
    EXPECT_TRUE(report.told.isEmpty());
}

TEST(RecordFile, AFileOfTheFirstSchemaIsBroughtForward) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("verlauf.sqlite"));
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, hist::Database::migrations()[0], nullptr, nullptr, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "PRAGMA user_version=1;"
                           "INSERT INTO runs(started, sequence, seconds, completed, from_prompt)"
                           " VALUES('2026-11-30T10:00:00', 3, 240, 1, 0);"
                           "INSERT INTO prompts(at, kind, outcome) "
                           "VALUES('2026-11-30T09:59:00', 0, 1), ('2026-11-30T10:30:00', 0, 2),"
                           " ('2026-11-30T11:00:00', 1, 2), ('2026-11-30T11:05:00', 1, 3);",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);

    hist::Database::Opening o = hist::Database::open(path);
    ASSERT_TRUE(o.database);
    EXPECT_TRUE(o.problem.isEmpty());
    EXPECT_EQ(o.database->version(), hist::Database::kVersion);
    EXPECT_TRUE(o.database->add(hist::BreakRow{QDateTime::currentDateTime(), 0, 300}));
    const hist::Entries e = o.database->readAll();
    ASSERT_EQ(e.runs.size(), 1u);
    EXPECT_EQ(e.runs[0].seconds, 240);
    EXPECT_EQ(e.runs[0].started.date(), QDate(2026, 11, 30));
    ASSERT_EQ(e.prompts.size(), 4u);
    EXPECT_FALSE(e.prompts[0].held);
    // The watchdog's prompt that went by itself ran out; the training prompts keep theirs.
    const std::vector<int> outcomes{e.prompts[0].outcome, e.prompts[1].outcome,
                                    e.prompts[2].outcome, e.prompts[3].outcome};
    EXPECT_EQ(outcomes, (std::vector<int>{1, 2, 4, 3}));
    EXPECT_EQ(e.breaks.size(), 1u);
}

TEST(RecordFile, ADamagedFileIsKeptAsideAndANewRecordBegins) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("verlauf.sqlite"));
    const QByteArray junk = QByteArray("kein Verlauf, nur Müll ").repeated(400);
    for (int round = 0; round < 2; ++round) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(junk);
        f.close();
        const hist::Database::Opening o = hist::Database::open(path, QDate(2026, 12, 8));
        ASSERT_TRUE(o.database);
        const QString aside = path + (round == 0 ? QStringLiteral(".beschaedigt-2026-12-08")
                                                 : QStringLiteral(".beschaedigt-2026-12-08-2"));
        EXPECT_EQ(o.keptAside, aside);
        EXPECT_TRUE(o.problem.contains(QStringLiteral("beschädigt")));
        QFile kept(aside);
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), junk) << "kept as it was";
        EXPECT_TRUE(o.database->readAll().empty());
    }
}

TEST(RecordFile, ARecordThatCannotBeOpenedLeavesTheProgramWithoutOne) {
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("quillet")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
    blocker.close();
    const hist::Database::Opening o =
        hist::Database::open(dir.filePath(QStringLiteral("quillet/verlauf.sqlite")));
    EXPECT_FALSE(o.database);
    EXPECT_TRUE(o.problem.endsWith(QStringLiteral("Quillet läuft ohne Verlauf weiter.")));

    // A record of a later version is left exactly as it is.
    const QString later = dir.filePath(QStringLiteral("later.sqlite"));
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(later).constData(), &db), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(db, "CREATE TABLE t(x); PRAGMA user_version=99;", nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(db);
    const hist::Database::Opening l = hist::Database::open(later);
    EXPECT_FALSE(l.database);
    EXPECT_TRUE(l.problem.contains(QStringLiteral("neueren Version")));
    EXPECT_TRUE(l.keptAside.isEmpty());
    ASSERT_EQ(sqlite3_open(QFile::encodeName(later).constData(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, "SELECT x FROM t", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

TEST(RecordSummary, DaysAndWeeksAddUpTheRuns) {
    const QDate today(2026, 12, 9); // a Wednesday
    auto at = [](int month, int day, int hour) {
        return QDateTime(QDate(2026, month, day), QTime(hour, 0));
    };
    hist::Entries e;
    e.runs = {{at(12, 7, 9), 0, 20 * 60, true, true},    // Monday of this week
              {at(12, 9, 23), 1, 22 * 60, false, false}, // today, late
              {at(12, 6, 10), 2, 30 * 60, true, false},  // Sunday of last week
              {at(11, 30, 8), 3, 5 * 60, true, false},   // Monday of last week
              {at(11, 29, 8), 3, 99 * 60, true, false},  // the week before: not compared
              {at(11, 25, 8), 3, 60 * 60, true, false}}; // before the fourteen days
    e.prompts = {
        {at(12, 9, 8), 0, 1, false}, {at(12, 9, 9), 0, 2, true}, {at(12, 9, 10), 1, 3, true}};
    const std::vector<hist::Day> days = hist::lastDays(e, today);
    ASSERT_EQ(days.size(), 14u);
    EXPECT_EQ(days.front().date, QDate(2026, 11, 26));
    EXPECT_EQ(days.back().date, today);
    EXPECT_EQ(days.back().seconds[1], 22 * 60);
    EXPECT_EQ(days.back().followed, 1);
    EXPECT_EQ(days.back().ignored, 1) << "a dropped prompt is neither";
    std::int64_t total = 0;
    for (const hist::Day& d : days)
        total += d.totalSeconds();
    EXPECT_EQ(total, (20 + 22 + 30 + 5 + 99) * 60);

    EXPECT_EQ(hist::weekSentence(hist::compareWeeks(e, today)),
              QStringLiteral("Diese Woche 42 Minuten, letzte Woche 35 Minuten."));
    EXPECT_EQ(hist::weekSentence({89, 29}),
              QStringLiteral("Diese Woche 1 Minute, letzte Woche 0 Minuten."));
}
