#pragma once

#include "app/Record.h"
#include "history/Database.h"
#include "runtime/Clock.h"
#include "runtime/ErrorReport.h"

#include <QDateTime>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <variant>

namespace hist {

// Turns what the board tells into rows of the record. A row is written after the call that made
// it has returned, so that no tick of the board waits for the disk: a run's row when it begins
// (marked as not finished) and again when it ends, a prompt's when it goes, a break's when it
// is over. Lengths come from the program's clock, times of day from `wallNow`.
//
// A row that cannot be written (another program holds the file, the disk is full, the file is
// read-only or failed) is kept in memory and written, in order, at the next event or at a
// retry a little later, on the program's clock; the file is opened again when the connection
// itself failed, and read where it cannot be written, so that the window "Verlauf" shows what
// it holds and what waits. The user hears of it once, only when it lasts: after a minute, or
// once several rows wait. A later version's record and another program's file are never
// written; the rows of this run are kept in memory then.
class Recorder final : public Record, public RecordSource {
public:
    // Trouble lasts when it is this old, or this many rows wait.
    static constexpr std::int64_t kLastingMs = 60'000;
    static constexpr std::size_t kLastingRows = 5;
    // Rows kept in memory at most while the file takes none (the oldest go first).
    static constexpr std::size_t kMostWaiting = 20'000;
    // Retries of a write that failed: soon at first, then less and less often.
    static constexpr std::int64_t kFirstRetryMs = 1000;
    static constexpr std::int64_t kLastRetryMs = 30'000;

    Recorder(
        rt::Clock& clock, rt::ErrorReport& report,
        std::function<QDateTime()> wallNow = [] { return QDateTime::currentDateTime(); });
    // What is still open ends now (a run as stopped, a prompt as gone by itself), and everything
    // is written before the record closes.
    ~Recorder() override;

    // Opens the record at `path`. A damaged file kept aside, a later version's record and
    // another program's file are told at once; trouble that may pass only when it lasts.
    void open(const QString& path);
    // Where the rows go; none: they are dropped.
    void setDatabase(std::unique_ptr<Database> database);
    Database* database() { return db_.get(); }
    // Writes the rows that wait, at once (the queued call and the retry do the same).
    void flush();
    // The retry's timer: tries again once the time for it has come on the program's clock.
    void tick();
    std::size_t waiting() const { return pending_.size(); }
    // When the next retry is due on the program's clock; none when none is planned.
    std::optional<std::int64_t> retryAtMs() const { return retryAt_; }
    // Called after rows were added or written (an open window "Verlauf" shows them).
    std::function<void()> changed;

    // What the window "Verlauf" shows: the rows written and those still waiting to be.
    Entries days(const QDate& first, const QDate& last) override;
    Entries everything() override;
    std::function<std::optional<Entries>()> everythingElsewhere() override;
    bool holdsAny() override;
    QString waitingLine() override;

    void SequenceStarted(int sequence, bool fromPrompt) override;
    void SequenceEnded(bool toTheEnd) override;
    void PromptHeld(Prompt prompt) override;
    void PromptShown(Prompt prompt) override;
    void PromptClosed(Prompt prompt, Outcome outcome) override;
    void NaturalBreak(std::int64_t awayMs) override;
    void Paused(bool on) override;

private:
    // A run's row when it begins, and the same run ended (`id` of its begun row, 0: unknown).
    struct RunBegun {
        Run row;
    };
    struct RunEnded {
        Run row;
        std::int64_t id = 0;
    };
    using Row = std::variant<Run, PromptRow, BreakRow, RunBegun, RunEnded>;
    struct OpenRun {
        Run row;
        std::int64_t startMs;
        std::int64_t id = 0; // of its begun row, once written
    };
    struct OpenPause {
        QDateTime started;
        std::int64_t startMs;
    };
    void add(Row row);
    void schedule();
    bool write(const Row& row);
    bool openFile();
    void take(Database::Opening opening);
    void failed(const Database::Problem& problem);
    void retry();
    bool readable();
    template <typename Read> Entries fromFile(Read read);
    // The rows of a file with those waiting to be written added (in the span, when one is given),
    // and the begun rows of runs going on or ended since left out.
    static Entries withWaiting(Entries e, const std::deque<Row>& pending,
                               const std::optional<Run>& going, const QDate& first,
                               const QDate& last);
    std::optional<Run> going() const;
    std::int64_t secondsSince(std::int64_t startMs) const;

    rt::Clock& clock_;
    rt::ErrorReport& report_;
    std::function<QDateTime()> wallNow_;
    std::unique_ptr<Database> db_;
    QString path_; // empty: no record is kept
    std::optional<OpenRun> run_;
    std::optional<std::int64_t> lastRunEndMs_;
    std::array<std::optional<PromptRow>, 2> prompts_;
    std::optional<OpenPause> pause_;
    std::deque<Row> pending_;
    bool scheduled_ = false;
    bool ending_ = false;
    bool reopen_ = false;       // the connection failed: open the file afresh before the next write
    bool damaged_ = false;      // the file was found damaged: put it aside at the next opening
    bool lasting_ = false;      // nothing will be written in this run
    Database::Problem problem_; // why rows wait; none while they do not
    QString unread_;            // why the file could not be read just now
    std::optional<std::int64_t> failingSince_; // on the program's clock
    QSet<int> told_;                           // the kinds of trouble told in this run
    std::int64_t retryMs_ = 0;
    std::optional<std::int64_t> retryAt_;
    QTimer retry_;
    QObject context_; // the queued write dies with the recorder
};

} // namespace hist
