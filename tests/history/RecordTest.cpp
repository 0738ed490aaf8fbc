#include "history/Database.h"
#include "history/Recorder.h"
#include "history/Summary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

namespace {

class RecordRows : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("quillet/verlauf.sqlite"));
        hist::Database::Opening o = hist::Database::open(path);
        ASSERT_TRUE(o.database) << o.problem.message.toStdString();
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
    EXPECT_EQ(recorder.everything().runs.size(), 2u);
    EXPECT_EQ(recorder.waitingLine(),
              QStringLiteral("Die Aufzeichnung wartet: Ein anderes Programm "
                             "hält die Datei gesperrt. 3 Einträge sind "
                             "noch nicht gespeichert."));

    wait(39); // the first write failed 59 seconds ago
    recorder.flush();
    EXPECT_TRUE(report.told.isEmpty());
    wait(1);
    recorder.flush(); // the retry a minute after
    ASSERT_EQ(report.told.size(), 1);
    EXPECT_TRUE(report.told[0].contains(QDir::toNativeSeparators(path)));
    EXPECT_TRUE(report.told[0].contains(QStringLiteral("gesperrt (database is locked)")))
        << "German, SQLite's text in parentheses";
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

// A run's row is written when it begins: one the program never saw end (a crash) stays in the
// file as cut short by the program's end, while the run going on now is no such run.
TEST_F(RecordRows, ARunTheProgramNeverSawEndIsMarkedAsSuch) {
    recorder.SequenceStarted(1, true);
    QCoreApplication::processEvents();
    ASSERT_EQ(recorder.database()->readAll().runs.size(), 1u) << "written as it begins";
    EXPECT_TRUE(recorder.everything().runs.empty()) << "going on, not cut short";
    recorder.setDatabase(nullptr); // the program ends without a word
    const hist::Entries e = hist::Database::open(path).database->readAll();
    ASSERT_EQ(e.runs.size(), 1u);
    EXPECT_TRUE(e.runs[0].interrupted);
    EXPECT_EQ(hist::daysBetween(e, wall.date(), wall.date())[0].interrupted, 1);
    EXPECT_TRUE(hist::csv(e).contains(",Körperübungen,abgebrochen (Programmende),ja\n"));
}

// The desktop counts a sequence without input as time away: the break begins where the run ended.
TEST_F(RecordRows, ANaturalBreakIsNotCountedOverASequence) {
    recorder.SequenceStarted(0, false);
    wait(314);
    recorder.NaturalBreak(200'000); // back during the run: no break
    recorder.SequenceEnded(true);
    wait(613);
    recorder.NaturalBreak(927'000);
    const hist::Entries e = rows();
    ASSERT_EQ(e.breaks.size(), 1u);
    EXPECT_EQ(e.breaks[0].seconds, 613);
    EXPECT_EQ(e.breaks[0].started, e.runs[0].started.addSecs(314));
}

// Retries come on the program's clock, sooner at first, and find the file free again.
TEST_F(RecordRows, ARetryComesOnTheProgramsClock) {
    Holder holder(path);
    recorder.NaturalBreak(600'000);
    QCoreApplication::processEvents();
    ASSERT_EQ(recorder.retryAtMs(), clock.nowMs() + hist::Recorder::kFirstRetryMs);
    recorder.tick(); // woken early: nothing happens
    EXPECT_EQ(recorder.retryAtMs(), clock.nowMs() + hist::Recorder::kFirstRetryMs);
    wait(1);
    recorder.tick(); // still held: the next retry waits twice as long
    EXPECT_EQ(recorder.retryAtMs(), clock.nowMs() + 2 * hist::Recorder::kFirstRetryMs);
    holder.release();
    wait(2);
    recorder.tick();
    EXPECT_EQ(recorder.waiting(), 0u);
    EXPECT_FALSE(recorder.retryAtMs());
    EXPECT_EQ(recorder.database()->readAll().breaks.size(), 1u);
    EXPECT_TRUE(recorder.waitingLine().isEmpty());
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
    ASSERT_NE(recorder.database(), nullptr) << "read as it is";
    EXPECT_FALSE(recorder.database()->writable());
    EXPECT_EQ(recorder.everything().prompts.size(), 1u);
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
    EXPECT_TRUE(o.problem.message.isEmpty());
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
        EXPECT_TRUE(o.problem.message.contains(QStringLiteral("beschädigt")));
        QFile kept(aside);
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), junk) << "kept as it was";
        EXPECT_TRUE(o.database->readAll().empty());
    }
}

TEST(RecordFile, AFolderThatCannotBeMadeIsToldInGerman) {
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("quillet")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
    blocker.close();
    const hist::Database::Opening o =
        hist::Database::open(dir.filePath(QStringLiteral("quillet/verlauf.sqlite")));
    EXPECT_FALSE(o.database);
    EXPECT_TRUE(o.problem.message.startsWith(QStringLiteral("Der Ordner für den Verlauf „%1")
                                                 .arg(dir.filePath(QStringLiteral("quillet")))));
}

namespace {

void exec(const QString& path, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql;
    sqlite3_close(db);
}

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

// Created for the user alone; a span is read through the indexes on the times, to the day.
TEST(RecordFile, ANewRecordIsPrivateAndReadDayByDay) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("verlauf.sqlite"));
    hist::Database::Opening o = hist::Database::open(path);
    ASSERT_TRUE(o.database && o.database->writable());
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    for (const QString& plan : o.database->spanPlans())
        EXPECT_TRUE(plan.contains(QStringLiteral("USING INDEX")) ||
                    plan.contains(QStringLiteral("USING COVERING INDEX")))
            << plan.toStdString();
    auto at = [](int day, int hour, int offsetHours) {
        return QDateTime(QDate(2026, 12, day), QTime(hour, 0), Qt::OffsetFromUTC,
                         offsetHours * 3600);
    };
    for (int day : {6, 7, 8, 9})
        ASSERT_TRUE(o.database->add(hist::BreakRow{at(day, day == 7 ? 0 : 23, 1), 0, 60}));
    o.database->add(hist::PromptRow{at(8, 23, -5), 0, 1, false});
    hist::Entries e;
    ASSERT_TRUE(o.database->read(QDate(2026, 12, 7), QDate(2026, 12, 8), e));
    ASSERT_EQ(e.breaks.size(), 2u);
    EXPECT_EQ(e.breaks[0].started, at(7, 0, 1));
    EXPECT_EQ(e.breaks[0].started.offsetFromUtc(), 3600) << "kept with its offset";
    EXPECT_EQ(e.prompts.size(), 1u) << "its own day, as its wall clock read";
}

// Nothing Quillet does touches a file of another program: no tables, no journal, no rows.
// A version below zero was never written by Quillet, whatever tables the file has.
TEST(RecordFile, AnotherProgramsFileIsNeitherChangedNorUsed) {
    for (const char* setUp : {"CREATE TABLE notes(x); INSERT INTO notes VALUES('mine');",
                              "CREATE TABLE runs(x); CREATE TABLE prompts(x);"
                              "PRAGMA user_version=-256;"}) {
        SCOPED_TRACE(setUp);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("verlauf.sqlite"));
        exec(path, setUp);
        const QByteArray before = bytesOf(path);
        rt::ManualClock clock;
        rt::RecordingReport report;
        {
            hist::Recorder recorder(clock, report);
            recorder.open(path);
            EXPECT_EQ(recorder.database(), nullptr);
            ASSERT_EQ(report.told.size(), 1);
            EXPECT_TRUE(report.told[0].startsWith(
                QStringLiteral("Der Verlauf „%1“ kann nicht verwendet werden: Die Datei ist kein "
                               "Verlauf von Quillet.")
                    .arg(path)));
            recorder.NaturalBreak(600'000);
            QCoreApplication::processEvents();
            EXPECT_TRUE(
                recorder.waitingLine().startsWith(QStringLiteral("Es wird nichts aufgezeichnet")));
            EXPECT_EQ(recorder.everything().breaks.size(), 1u) << "this run's rows still show";
        }
        EXPECT_EQ(bytesOf(path), before);
        EXPECT_FALSE(QFile::exists(path + QStringLiteral("-wal")));
        EXPECT_EQ(report.told.size(), 1);
    }
}

// A later version's record shows what it holds and is never written.
TEST(RecordFile, ALaterVersionsRecordIsShownAndLeftAsItIs) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("verlauf.sqlite"));
    hist::Database::open(path).database->add(
        hist::Run{QDateTime::currentDateTime(), 2, 300, true, false});
    exec(path, "PRAGMA user_version=99; PRAGMA journal_mode=DELETE;");
    const QByteArray before = bytesOf(path);
    rt::ManualClock clock;
    rt::RecordingReport report;
    {
        hist::Recorder recorder(clock, report);
        recorder.open(path);
        ASSERT_EQ(report.told.size(), 1);
        EXPECT_TRUE(report.told[0].contains(QStringLiteral("neueren Version")));
        ASSERT_NE(recorder.database(), nullptr);
        EXPECT_FALSE(recorder.database()->writable());
        EXPECT_TRUE(recorder.holdsAny());
        recorder.SequenceStarted(0, false);
        recorder.SequenceEnded(true);
        QCoreApplication::processEvents();
        EXPECT_EQ(recorder.everything().runs.size(), 2u) << "the file's run and this one";
        EXPECT_TRUE(recorder.waitingLine().startsWith(
            QStringLiteral("Neue Einträge werden nicht gespeichert")));
    }
    EXPECT_EQ(bytesOf(path), before);
}

// A page that cannot be read is found when the record is read; the file goes aside, and what can
// still be read in it comes along into the new record.
TEST(RecordFile, ADamagedFilesReadableRowsAreCarriedOver) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("verlauf.sqlite"));
    hist::Database::open(path);
    exec(path, "PRAGMA journal_mode=DELETE;"
               "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000)"
               " INSERT INTO runs(started, sequence, seconds, completed, from_prompt)"
               " SELECT '2026-11-30T10:00:00+01:00', i % 4, 60, 1, 0 FROM n;");
    int page = 0, pageSize = 0;
    {
        sqlite3* db = nullptr;
        sqlite3_stmt* s = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
        sqlite3_prepare_v2(db,
                           "SELECT pageno, pgsize FROM dbstat WHERE name = 'runs' AND "
                           "pagetype = 'leaf' ORDER BY pageno LIMIT 1 OFFSET 10",
                           -1, &s, nullptr);
        ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
        page = sqlite3_column_int(s, 0);
        pageSize = sqlite3_column_int(s, 1);
        sqlite3_finalize(s);
        sqlite3_close(db);
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.seek(qint64(page - 1) * pageSize);
    f.write(QByteArray(pageSize, '\xff'));
    f.close();

    rt::ManualClock clock;
    rt::RecordingReport report;
    hist::Recorder recorder(clock, report,
                            [] { return QDateTime(QDate(2026, 12, 8), QTime(9, 0)); });
    recorder.open(path);
    const std::size_t rescued = recorder.everything().runs.size();
    EXPECT_GT(rescued, 2500u);
    EXPECT_LT(rescued, 3000u);
    ASSERT_EQ(report.told.size(), 1);
    EXPECT_TRUE(report.told[0].contains(QStringLiteral("%1 Einträge").arg(rescued)));
    EXPECT_TRUE(QFile::exists(path + QStringLiteral(".beschaedigt-2026-12-08")));
    ASSERT_TRUE(recorder.database() && recorder.database()->writable());
    EXPECT_EQ(recorder.database()->version(), hist::Database::kVersion);
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

// What the days hold besides the minutes: how the runs ended, the share of prompts followed, the
// breaks.
TEST(RecordSummary, TheDaysTellHowRunsEndedAndWhatWasFollowed) {
    const QDateTime at(QDate(2026, 12, 9), QTime(10, 0));
    hist::Entries e;
    e.runs = {{at, 0, 600, true, true}, {at, 1, 120, false, false}, {at, 2, 0, false, false, true}};
    e.prompts = {{at, 0, 1, false},
                 {at, 0, 1, false},
                 {at, 0, 2, false},
                 {at, 0, 3, true},
                 {at, 0, 5, false}};
    e.breaks = {{at, 0, 25 * 60}, {at, 0, 50 * 60}, {at, 1, 2 * 3600}};
    const QStringList lines = hist::spanSentences(hist::sum(hist::lastDays(e, at.date())));
    EXPECT_TRUE(hist::csv(e).contains(",verschoben,"));
    EXPECT_EQ(lines,
              (QStringList{QStringLiteral("Übungen: 1 bis zum Ende, 1 abgebrochen, 1 abgebrochen "
                                          "(Programmende)."),
                           QStringLiteral("Trainingsaufforderungen: 2 von 3 befolgt (67 %), 1-mal "
                                          "verschoben, 1 durch eine Pause entfallen."),
                           QStringLiteral("Natürliche Pausen: 2, zusammen 1 Stunde 15 Minuten; "
                                          "Pausen der Erinnerungen: 1, zusammen 2 Stunden.")}));
}

// For a spreadsheet of the user's language, in the order things happened, and the hour repeated
// at the end of summer time told apart by its offset.
TEST(RecordSummary, CsvFollowsTheLanguageAndTheOrderOfTime) {
    const hist::CsvStyle german = hist::csvStyleFor(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(german.separator, ';');
    EXPECT_TRUE(german.byteOrderMark);
    EXPECT_EQ(hist::csvStyleFor(QLocale(QLocale::English, QLocale::UnitedStates)).separator, ',');
    auto at = [](int hour, int offsetHours) {
        return QDateTime(QDate(2026, 10, 25), QTime(hour, 30), Qt::OffsetFromUTC,
                         offsetHours * 3600);
    };
    hist::Entries e;
    e.runs = {{at(2, 1), 0, 60, true, false}}; // the second 2:30, in winter time
    e.breaks = {{at(2, 2), 0, 600}};           // the first, in summer time
    e.prompts = {{at(1, 2), 0, 1, false}};
    const QByteArray text = hist::csv(e, german);
    EXPECT_TRUE(text.startsWith("\xEF\xBB\xBF"
                                "Art;Beginn;Dauer in Sekunden;"));
    const QStringList lines = QString::fromUtf8(text.mid(3)).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[1], QStringLiteral("Erinnerung Training;2026-10-25T01:30:00+02:00;;;befolgt;"));
    EXPECT_EQ(lines[2], QStringLiteral("Natürliche Pause;2026-10-25T02:30:00+02:00;600;;;"));
    EXPECT_EQ(lines[3],
              QStringLiteral("Übung;2026-10-25T02:30:00+01:00;60;Atemübungen;bis zum Ende;nein"));
}
