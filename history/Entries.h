#pragma once

#include <QDateTime>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace hist {

// The rows of the record. Times of day are local wall-clock times (as the user read them then),
// kept with their offset from UTC; lengths are measured on the program's clock, so that a clock
// set by hand changes none.

// One sequence run.
struct Run {
    QDateTime started;
    int sequence = 0; // 0 breathing, 1 yoga, 2 eyes, 3 relaxation
    std::int64_t seconds = 0;
    bool completed = false; // to its end, or stopped
    bool fromPrompt = false;
    // The program ended before the run did (a crash, the machine switched off): its row was
    // begun and never finished, and its length is not known.
    bool interrupted = false;
};

// One prompt and what became of it.
struct PromptRow {
    // A sequence started while it showed; it went without one (a training prompt); the
    // countdown behind it started afresh; its time ran out (the watchdog's, which has no
    // buttons and ends only so); the user put it off ("Später").
    enum Outcome { Followed = 1, Ignored = 2, Dropped = 3, Expired = 4, Postponed = 5 };
    QDateTime at;      // when it showed; for one that never showed, when it began to wait
    int kind = 0;      // 0 training, 1 watchdog
    int outcome = 0;   // an Outcome
    bool held = false; // it waited before it showed (or was dropped while waiting)
};

// A natural break (the user away) or a pause of the reminders.
struct BreakRow {
    enum Kind { Natural = 0, Pause = 1 };
    QDateTime started;
    int kind = Natural;
    std::int64_t seconds = 0;
};

struct Entries {
    std::vector<Run> runs;
    std::vector<PromptRow> prompts;
    std::vector<BreakRow> breaks;
    bool empty() const { return runs.empty() && prompts.empty() && breaks.empty(); }
    std::size_t size() const { return runs.size() + prompts.size() + breaks.size(); }
};

// A time as the record and its CSV keep it: ISO 8601 to the second with the offset from UTC
// ("2026-10-25T02:30:00+02:00"), so that the hour repeated at the end of summer time is told
// apart, and text order is the order of the wall clock.
inline QString isoTime(const QDateTime& t) {
    const int offset = t.offsetFromUtc();
    const int minutes = (offset < 0 ? -offset : offset) / 60;
    return t.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) +
           QStringLiteral("%1%2:%3")
               .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
               .arg(minutes / 60, 2, 10, QLatin1Char('0'))
               .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

// Where the window "Verlauf" reads from: the record (written rows and those still waiting to
// be), or rows in memory.
class RecordSource {
public:
    virtual ~RecordSource() = default;
    // The rows of the days from `first` to `last`, both included (local dates).
    virtual Entries days(const QDate& first, const QDate& last) = 0;
    // Every row, for the CSV file.
    virtual Entries everything() = 0;
    // The same, read by the function returned when it is called on another thread (a long
    // record takes a while); none when the record could not be read.
    virtual std::function<std::optional<Entries>()> everythingElsewhere() {
        return [e = everything()] { return std::optional<Entries>(e); };
    }
    // Whether anything at all is recorded.
    virtual bool holdsAny() = 0;
    // One German line on why new rows are not written now; empty while they are.
    virtual QString waitingLine() { return QString(); }
};

// Rows kept in memory (tests, and a window opened on rows already read).
class MemorySource final : public RecordSource {
public:
    explicit MemorySource(Entries entries) : entries_(std::move(entries)) {}
    Entries days(const QDate& first, const QDate& last) override;
    Entries everything() override { return entries_; }
    bool holdsAny() override { return !entries_.empty(); }

private:
    Entries entries_;
};

} // namespace hist
