#include "history/Recorder.h"

#include <QTimer>

namespace hist {

Recorder::Recorder(rt::Clock& clock, rt::ErrorReport& report, std::function<QDateTime()> wallNow)
    : clock_(clock), report_(report), wallNow_(std::move(wallNow)) {}

Recorder::~Recorder() {
    if (run_)
        SequenceEnded(false);
    for (int i = 0; i < 2; ++i)
        if (prompts_[size_t(i)])
            PromptClosed(Prompt(i), Outcome::Ignored);
    if (pause_)
        Paused(false);
    flush();
}

std::int64_t Recorder::secondsSince(std::int64_t startMs) const {
    return (clock_.nowMs() - startMs + 500) / 1000;
}

void Recorder::SequenceStarted(int sequence, bool fromPrompt) {
    if (run_)
        SequenceEnded(false);
    Run row;
    row.started = wallNow_();
    row.sequence = sequence;
    row.fromPrompt = fromPrompt;
    run_ = OpenRun{row, clock_.nowMs()};
}

void Recorder::SequenceEnded(bool toTheEnd) {
    if (!run_)
        return;
    Run row = run_->row;
    row.seconds = secondsSince(run_->startMs);
    row.completed = toTheEnd;
    run_.reset();
    add(row);
}

void Recorder::PromptHeld(Prompt prompt) {
    auto& open = prompts_[size_t(prompt)];
    if (open)
        return;
    PromptRow row;
    row.at = wallNow_();
    row.kind = int(prompt);
    row.held = true;
    open = row;
}

void Recorder::PromptShown(Prompt prompt) {
    auto& open = prompts_[size_t(prompt)];
    PromptRow row;
    row.at = wallNow_();
    row.kind = int(prompt);
    row.held = open && open->held;
    open = row;
}

void Recorder::PromptClosed(Prompt prompt, Outcome outcome) {
    auto& open = prompts_[size_t(prompt)];
    if (!open)
        return;
    PromptRow row = *open;
    row.outcome = int(outcome);
    open.reset();
    add(row);
}

void Recorder::NaturalBreak(std::int64_t awayMs) {
    const std::int64_t seconds = (awayMs + 500) / 1000;
    add(BreakRow{wallNow_().addSecs(-seconds), BreakRow::Natural, seconds});
}

void Recorder::Paused(bool on) {
    if (on) {
        if (!pause_)
            pause_ = OpenPause{wallNow_(), clock_.nowMs()};
        return;
    }
    if (!pause_)
        return;
    const BreakRow row{pause_->started, BreakRow::Pause, secondsSince(pause_->startMs)};
    pause_.reset();
    add(row);
}

void Recorder::add(Row row) {
    if (!db_)
        return;
    pending_.push_back(std::move(row));
    if (scheduled_)
        return;
    scheduled_ = true;
    QTimer::singleShot(0, &context_, [this] { flush(); });
}

void Recorder::flush() {
    scheduled_ = false;
    std::vector<Row> rows;
    rows.swap(pending_);
    for (const Row& row : rows) {
        if (!db_)
            return;
        const bool ok = std::visit([this](const auto& r) { return db_->add(r); }, row);
        if (!ok) {
            // A full disk, say: one message, and no record for the rest of the run.
            report_.tell(QStringLiteral("Der Verlauf kann nicht weitergeschrieben werden: %1. "
                                        "Quillet läuft ohne Verlauf weiter.")
                             .arg(db_->lastError()));
            db_.reset();
            return;
        }
    }
}

} // namespace hist
