#pragma once

#include "app/Record.h"
#include "history/Database.h"
#include "runtime/Clock.h"
#include "runtime/ErrorReport.h"

#include <QDateTime>
#include <QObject>
#include <QTimer>

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <variant>

namespace hist {

// Turns what the board tells into rows of the record. A row is complete when its event is over
// (a run when it ends, a prompt when it goes); it is written after the call that completed it
// has returned, so that no tick of the board waits for the disk. Lengths come from the
// program's clock, times of day from `wallNow`.
//
// A row that cannot be written (another program holds the file for a while, the disk is full)
// is kept in memory and written, in order, at the next event or at a retry a little later; the
// file is opened again when the connection itself failed. The user hears of it once, only when
// it lasts: after a minute, or once several rows wait.
class Recorder final : public Record {
public:
    // Trouble lasts when it is this old, or this many rows wait.
    static constexpr std::int64_t kLastingMs = 60'000;
    static constexpr std::size_t kLastingRows = 5;

    Recorder(
        rt::Clock& clock, rt::ErrorReport& report,
        std::function<QDateTime()> wallNow = [] { return QDateTime::currentDateTime(); });
    // What is still open ends now (a run as stopped, a prompt as gone by itself), and everything
    // is written before the record closes.
    ~Recorder() override;

    // Opens the record at `path`. A problem is told (a damaged file kept aside, a file that
    // cannot be had at all, which leaves the program without a record); a file another program
    // holds is opened when the first row is written.
    void open(const QString& path);
    // Where the rows go; none: they are dropped.
    void setDatabase(std::unique_ptr<Database> database);
    Database* database() { return db_.get(); }
    // Writes the rows that wait, at once (the queued call and the retry do the same).
    void flush();
    // The rows written and those still waiting to be, as the window "Verlauf" shows them.
    Entries entries();
    std::size_t waiting() const { return pending_.size(); }

    void SequenceStarted(int sequence, bool fromPrompt) override;
    void SequenceEnded(bool toTheEnd) override;
    void PromptHeld(Prompt prompt) override;
    void PromptShown(Prompt prompt) override;
    void PromptClosed(Prompt prompt, Outcome outcome) override;
    void NaturalBreak(std::int64_t awayMs) override;
    void Paused(bool on) override;

private:
    using Row = std::variant<Run, PromptRow, BreakRow>;
    struct OpenRun {
        Run row;
        std::int64_t startMs;
    };
    struct OpenPause {
        QDateTime started;
        std::int64_t startMs;
    };
    void add(Row row);
    bool reopen();
    void failed(const QString& reason);
    std::int64_t secondsSince(std::int64_t startMs) const;

    rt::Clock& clock_;
    rt::ErrorReport& report_;
    std::function<QDateTime()> wallNow_;
    std::unique_ptr<Database> db_;
    QString path_; // empty: no record is kept
    std::optional<OpenRun> run_;
    std::array<std::optional<PromptRow>, 2> prompts_;
    std::optional<OpenPause> pause_;
    std::deque<Row> pending_;
    bool scheduled_ = false;
    bool ending_ = false;
    std::optional<std::int64_t> failingSince_; // on the program's clock
    bool told_ = false;                        // once per run
    int retryMs_ = 0;
    QTimer retry_;
    QObject context_; // the queued write dies with the recorder
};

} // namespace hist
