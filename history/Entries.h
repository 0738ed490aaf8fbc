#pragma once

#include <QDateTime>

#include <array>
#include <cstdint>
#include <vector>

namespace hist {

// The rows of the record. Times of day are local wall-clock times (as the user read them then);
// lengths are measured on the program's clock, so that a clock set by hand changes none.

// One sequence run.
struct Run {
    QDateTime started;
    int sequence = 0; // 0 breathing, 1 yoga, 2 eyes, 3 relaxation
    std::int64_t seconds = 0;
    bool completed = false; // to its end, or stopped
    bool fromPrompt = false;
};

// One prompt and what became of it.
struct PromptRow {
    // A sequence started while it showed; it went without one (a training prompt); the
    // countdown behind it started afresh; its time ran out (the watchdog's, which has no
    // buttons and ends only so).
    enum Outcome { Followed = 1, Ignored = 2, Dropped = 3, Expired = 4 };
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
};

} // namespace hist
