#include "history/Recorder.h"

#include <QDir>

#include <algorithm>

namespace hist {

namespace {

// Retries of a write that failed: soon at first, then less and less often.
constexpr int kFirstRetryMs = 1000;
constexpr int kLastRetryMs = 30'000;
// At the end of the program a lock is waited for a little longer: nothing comes after.
constexpr int kPatienceAtEndMs = 2000;

// How a prompt went, as the file keeps it. The board tells a prompt that went by itself as
// ignored; for the watchdog's prompt, which has no buttons, that can only be its time running
// out, kept apart as expired. A board that tells running out as such (4) is understood too: a
// training prompt that ran out was left alone, which is what ignored means for it.
int storedOutcome(Record::Prompt prompt, Record::Outcome outcome) {
    const int told = int(outcome);
    if (told != PromptRow::Ignored && told != PromptRow::Expired)
        return told;
    return prompt == Record::Prompt::Watchdog ? PromptRow::Expired : PromptRow::Ignored;
}

} // namespace

Recorder::Recorder(rt::Clock& clock, rt::ErrorReport& report, std::function<QDateTime()> wallNow)
    : clock_(clock), report_(report), wallNow_(std::move(wallNow)) {
    retry_.setSingleShot(true);
    retry_.setTimerType(Qt::VeryCoarseTimer);
    QObject::connect(&retry_, &QTimer::timeout, &context_, [this] { flush(); });
}

Recorder::~Recorder() {
    if (run_)
        SequenceEnded(false);
    for (int i = 0; i < 2; ++i)
        if (prompts_[size_t(i)])
            PromptClosed(Prompt(i), Outcome::Ignored);
    if (pause_)
        Paused(false);
    ending_ = true;
    if (db_)
        db_->setPatience(kPatienceAtEndMs);
    flush();
}

void Recorder::open(const QString& path) {
    db_.reset();
    path_ = path;
    Database::Opening opening = Database::open(path, wallNow_().date());
    if (opening.busy) // opened again for the first row
        return;
    if (!opening.problem.isEmpty())
        report_.tell(opening.problem); // queued: told after the caller's handler
    db_ = std::move(opening.database);
    if (!db_)
        path_.clear();
}

void Recorder::setDatabase(std::unique_ptr<Database> database) {
    db_ = std::move(database);
    path_ = db_ ? db_->path() : QString();
    if (!db_)
        pending_.clear();
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
    row.outcome = storedOutcome(prompt, outcome);
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
    if (path_.isEmpty())
        return;
    pending_.push_back(std::move(row));
    if (scheduled_)
        return;
    scheduled_ = true;
    QTimer::singleShot(0, &context_, [this] { flush(); });
}

void Recorder::flush() {
    scheduled_ = false;
    if (pending_.empty() || (!db_ && !reopen()))
        return;
    while (!pending_.empty()) {
        const bool ok = std::visit([this](const auto& r) { return db_->add(r); }, pending_.front());
        if (!ok) {
            const QString reason = db_->lastError();
            // A lock or a full disk passes with the connection as it is; anything else (the
            // file gone bad, a medium that failed) is met with the file opened afresh.
            if (!db_->busy() && !db_->full())
                db_.reset();
            failed(reason);
            return;
        }
        pending_.pop_front();
    }
    failingSince_.reset();
    retryMs_ = 0;
    retry_.stop();
}

// The file opened again for the rows that wait; false while it cannot be.
bool Recorder::reopen() {
    if (path_.isEmpty())
        return false;
    Database::Opening opening = Database::open(path_, wallNow_().date());
    if (opening.database) {
        if (!opening.problem.isEmpty())
            report_.tell(opening.problem); // a damaged file kept aside: the rows go to a new one
        db_ = std::move(opening.database);
        if (ending_)
            db_->setPatience(kPatienceAtEndMs);
        return true;
    }
    if (opening.busy) {
        if (!pending_.empty())
            failed(Database::lockedReason());
        return false;
    }
    // It cannot be had at all (a later version's file, a folder that cannot be made).
    report_.tell(opening.problem);
    path_.clear();
    pending_.clear();
    failingSince_.reset();
    retry_.stop();
    return false;
}

void Recorder::failed(const QString& reason) {
    const std::int64_t now = clock_.nowMs();
    if (!failingSince_)
        failingSince_ = now;
    if (!told_ && (now - *failingSince_ >= kLastingMs || pending_.size() >= kLastingRows)) {
        told_ = true;
        report_.tell(QStringLiteral("Der Verlauf „%1“ kann seit einer Weile nicht geschrieben "
                                    "werden: %2. Quillet behält die neuen Einträge und schreibt "
                                    "sie, sobald es wieder geht.")
                         .arg(QDir::toNativeSeparators(path_), reason));
    }
    if (ending_)
        return;
    retryMs_ = retryMs_ == 0 ? kFirstRetryMs : std::min(retryMs_ * 2, kLastRetryMs);
    retry_.start(retryMs_);
}

Entries Recorder::entries() {
    flush();
    if (!db_ && pending_.empty() && !path_.isEmpty())
        reopen(); // held by another program when the record was opened
    Entries e = db_ ? db_->readAll() : Entries{};
    for (const Row& row : pending_)
        std::visit(
            [&e](const auto& r) {
                using T = std::decay_t<decltype(r)>;
                if constexpr (std::is_same_v<T, Run>)
                    e.runs.push_back(r);
                else if constexpr (std::is_same_v<T, PromptRow>)
                    e.prompts.push_back(r);
                else
                    e.breaks.push_back(r);
            },
            row);
    return e;
}

} // namespace hist
