#pragma once

#include "app/Record.h"
#include "history/Database.h"
#include "runtime/Clock.h"
#include "runtime/ErrorReport.h"

#include <QDateTime>
#include <QObject>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

namespace hist {

// Turns what the board tells into rows of the record. A row is complete when its event is over
// (a run when it ends, a prompt when it goes); it is written after the call that completed it
// has returned, so that no tick of the board waits for the disk. Lengths come from the
// program's clock, times of day from `wallNow`.
class Recorder final : public Record {
public:
    Recorder(
        rt::Clock& clock, rt::ErrorReport& report,
        std::function<QDateTime()> wallNow = [] { return QDateTime::currentDateTime(); });
    // What is still open ends now (a run as stopped, a prompt as ignored), and everything is
    // written before the record closes.
    ~Recorder() override;

    // Where the rows go; none: they are dropped.
    void setDatabase(std::unique_ptr<Database> database) { db_ = std::move(database); }
    Database* database() { return db_.get(); }
    // Writes the rows that wait, at once (the queued call does the same).
    void flush();

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
    std::int64_t secondsSince(std::int64_t startMs) const;

    rt::Clock& clock_;
    rt::ErrorReport& report_;
    std::function<QDateTime()> wallNow_;
    std::unique_ptr<Database> db_;
    std::optional<OpenRun> run_;
    std::array<std::optional<PromptRow>, 2> prompts_;
    std::optional<OpenPause> pause_;
    std::vector<Row> pending_;
    bool scheduled_ = false;
    QObject context_; // the queued write dies with the recorder
};

} // namespace hist
