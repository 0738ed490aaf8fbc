#include "history/Recorder.h"

#include <QDir>

#include <algorithm>

namespace hist {

namespace {

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

bool sameRun(const Run& a, const Run& b) {
    return a.sequence == b.sequence && isoTime(a.started) == isoTime(b.started);
}

} // namespace

Recorder::Recorder(rt::Clock& clock, rt::ErrorReport& report, std::function<QDateTime()> wallNow)
    : clock_(clock), report_(report), wallNow_(std::move(wallNow)) {
    retry_.setSingleShot(true);
    retry_.setTimerType(Qt::VeryCoarseTimer);
    QObject::connect(&retry_, &QTimer::timeout, &context_, [this] { tick(); });
}

Recorder::~Recorder() {
    changed = nullptr;
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
    lasting_ = reopen_ = damaged_ = false;
    problem_ = {};
    openFile();
}

bool Recorder::openFile() {
    // A damaged file's connection goes before the file is put aside: closing it later would
    // remove the journal of the new record, which has the old one's name.
    if (damaged_)
        db_.reset();
    take(Database::open(path_, wallNow_().date(), damaged_));
    return db_ && db_->writable();
}

void Recorder::take(Database::Opening opening) {
    lasting_ = opening.lasting();
    // Told at once: a damaged file put aside, a file that will take nothing in this run.
    if (!opening.keptAside.isEmpty() ||
        (lasting_ && !told_.contains(int(opening.problem.trouble)))) {
        told_.insert(int(opening.problem.trouble));
        report_.tell(opening.problem.message); // queued: told after the caller's handler
    }
    // A connection that still reads is kept until there is a better one; it is not written to.
    if (opening.database || lasting_) {
        db_ = std::move(opening.database);
        reopen_ = damaged_ = false;
    } else {
        reopen_ = true;
    }
    problem_ =
        opening.problem.trouble == Database::Trouble::None ? Database::Problem{} : opening.problem;
    if (ending_ && db_)
        db_->setPatience(kPatienceAtEndMs);
}

void Recorder::setDatabase(std::unique_ptr<Database> database) {
    db_ = std::move(database);
    path_ = db_ ? db_->path() : QString();
    lasting_ = reopen_ = damaged_ = false;
    problem_ = db_ ? db_->problem() : Database::Problem{};
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
    add(RunBegun{row});
}

void Recorder::SequenceEnded(bool toTheEnd) {
    if (!run_)
        return;
    Run row = run_->row;
    row.seconds = secondsSince(run_->startMs);
    row.completed = toTheEnd;
    const std::int64_t id = run_->id;
    run_.reset();
    lastRunEndMs_ = clock_.nowMs();
    // A begun row that still waits is written whole instead.
    for (auto it = pending_.rbegin(); it != pending_.rend(); ++it)
        if (const auto* begun = std::get_if<RunBegun>(&*it); begun && sameRun(begun->row, row)) {
            *it = row;
            schedule();
            return;
        }
    add(RunEnded{row, id});
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

// The desktop counts a guided sequence without input as time away; the record does not count it
// twice. A break begins at the end of a run it overlaps, and there is none when the user came
// back during the run.
void Recorder::NaturalBreak(std::int64_t awayMs) {
    const std::int64_t now = clock_.nowMs();
    std::int64_t from = now - awayMs;
    if (run_)
        from = now;
    else if (lastRunEndMs_ && *lastRunEndMs_ > from)
        from = *lastRunEndMs_;
    const std::int64_t seconds = (now - from + 500) / 1000;
    if (seconds <= 0)
        return;
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
    while (pending_.size() > kMostWaiting)
        pending_.pop_front();
    schedule();
}

void Recorder::schedule() {
    if (scheduled_)
        return;
    scheduled_ = true;
    QTimer::singleShot(0, &context_, [this] { flush(); });
}

bool Recorder::write(const Row& row) {
    if (const auto* begun = std::get_if<RunBegun>(&row)) {
        const std::int64_t id = db_->begin(begun->row);
        if (id != 0 && run_ && sameRun(run_->row, begun->row))
            run_->id = id;
        return id != 0;
    }
    if (const auto* ended = std::get_if<RunEnded>(&row))
        return ended->id != 0 ? db_->finish(ended->id, ended->row) : db_->add(ended->row);
    return std::visit(
        [this](const auto& r) {
            using T = std::decay_t<decltype(r)>;
            if constexpr (std::is_same_v<T, RunBegun> || std::is_same_v<T, RunEnded>)
                return false;
            else
                return db_->add(r);
        },
        row);
}

void Recorder::flush() {
    scheduled_ = false;
    if (pending_.empty() || path_.isEmpty() || lasting_)
        return;
    if ((!db_ || !db_->writable() || reopen_ || damaged_) && !openFile()) {
        failed(problem_);
        return;
    }
    while (!pending_.empty()) {
        if (!write(pending_.front())) {
            const Database::Problem& p = db_->problem();
            // A lock or a full disk passes with the connection as it is; a damaged file is put
            // aside; anything else (a medium that failed, a file made read-only) is met with the
            // file opened afresh.
            if (p.trouble == Database::Trouble::Damaged)
                damaged_ = true;
            else if (p.trouble != Database::Trouble::Busy && p.trouble != Database::Trouble::Full)
                reopen_ = true;
            failed(p);
            return;
        }
        pending_.pop_front();
    }
    problem_ = {};
    failingSince_.reset();
    retryMs_ = 0;
    retryAt_.reset();
    retry_.stop();
    if (changed)
        changed();
}

void Recorder::failed(const Database::Problem& problem) {
    problem_ = problem;
    const std::int64_t now = clock_.nowMs();
    if (!failingSince_)
        failingSince_ = now;
    const int kind = int(problem.trouble);
    if (!told_.contains(kind) &&
        (now - *failingSince_ >= kLastingMs || pending_.size() >= kLastingRows)) {
        told_.insert(kind);
        report_.tell(problem.message);
    }
    if (changed)
        changed();
    if (ending_ || lasting_)
        return;
    retryMs_ = retryMs_ == 0 ? kFirstRetryMs : std::min(retryMs_ * 2, kLastRetryMs);
    retryAt_ = now + retryMs_;
    retry_.start(int(retryMs_));
}

void Recorder::tick() {
    if (!retryAt_)
        return;
    const std::int64_t left = *retryAt_ - clock_.nowMs();
    if (left > 0) { // woken before its time on the program's clock
        retry_.start(int(left));
        return;
    }
    retryAt_.reset();
    flush();
}

// A connection to read from: the file opened for the first time, or again after it failed.
bool Recorder::readable() {
    if ((!db_ || damaged_) && !path_.isEmpty() && !lasting_)
        openFile();
    return db_ != nullptr;
}

std::optional<Run> Recorder::going() const {
    return run_ ? std::optional<Run>(run_->row) : std::nullopt;
}

Entries Recorder::withWaiting(Entries e, const std::deque<Row>& pending,
                              const std::optional<Run>& run, const QDate& first,
                              const QDate& last) {
    auto inSpan = [&](const QDateTime& t) {
        return !first.isValid() || (t.date() >= first && t.date() <= last);
    };
    // The begun rows of the run going on and of runs whose end waits are not runs cut short.
    std::vector<Run> going;
    if (run)
        going.push_back(*run);
    for (const Row& row : pending)
        if (const auto* ended = std::get_if<RunEnded>(&row))
            going.push_back(ended->row);
    if (!going.empty())
        e.runs.erase(std::remove_if(e.runs.begin(), e.runs.end(),
                                    [&going](const Run& r) {
                                        return r.interrupted &&
                                               std::any_of(
                                                   going.begin(), going.end(),
                                                   [&r](const Run& g) { return sameRun(g, r); });
                                    }),
                     e.runs.end());
    for (const Row& row : pending) {
        if (const auto* whole = std::get_if<Run>(&row); whole && inSpan(whole->started))
            e.runs.push_back(*whole);
        else if (const auto* ended = std::get_if<RunEnded>(&row);
                 ended && inSpan(ended->row.started))
            e.runs.push_back(ended->row);
        else if (const auto* prompt = std::get_if<PromptRow>(&row); prompt && inSpan(prompt->at))
            e.prompts.push_back(*prompt);
        else if (const auto* pause = std::get_if<BreakRow>(&row); pause && inSpan(pause->started))
            e.breaks.push_back(*pause);
    }
    return e;
}

// Reads with `read` from the file; a damaged one is put aside and the new record read instead.
template <typename Read> Entries Recorder::fromFile(Read read) {
    Entries e;
    unread_.clear();
    if (readable() && !read(*db_, e)) {
        e = {};
        if (db_->problem().trouble == Database::Trouble::Damaged) {
            damaged_ = true;
            if (readable() && !read(*db_, e))
                e = {};
        }
        if (db_ && db_->problem().trouble != Database::Trouble::None)
            unread_ = db_->problem().reason;
    }
    return e;
}

Entries Recorder::days(const QDate& first, const QDate& last) {
    Entries e = fromFile([&](Database& db, Entries& out) { return db.read(first, last, out); });
    return withWaiting(std::move(e), pending_, going(), first, last);
}

Entries Recorder::everything() {
    Entries e = fromFile([](Database& db, Entries& out) { return db.readAll(out); });
    return withWaiting(std::move(e), pending_, going(), QDate(), QDate());
}

std::function<std::optional<Entries>()> Recorder::everythingElsewhere() {
    flush();
    const QString file = lasting_ && !db_ ? QString() : path_;
    return [file, pending = pending_, run = going()]() -> std::optional<Entries> {
        Entries e;
        if (!file.isEmpty() && !Database::readAll(file, e))
            return std::nullopt;
        return withWaiting(std::move(e), pending, run, QDate(), QDate());
    };
}

bool Recorder::holdsAny() {
    for (const Row& row : pending_)
        if (!std::holds_alternative<RunBegun>(row))
            return true;
    return readable() && db_->holdsAny();
}

QString Recorder::waitingLine() {
    if (path_.isEmpty())
        return QString();
    if (!unread_.isEmpty() && !lasting_)
        return QStringLiteral("Der Verlauf kann gerade nicht gelesen werden: %1.").arg(unread_) +
               (problem_.trouble == Database::Trouble::None
                    ? QString()
                    : QStringLiteral(" Die Aufzeichnung wartet: %1.").arg(problem_.reason));
    if (lasting_)
        return problem_.trouble == Database::Trouble::Newer
                   ? QStringLiteral("Neue Einträge werden nicht gespeichert: %1.")
                         .arg(problem_.reason)
                   : QStringLiteral("Es wird nichts aufgezeichnet: %1 („%2“).")
                         .arg(problem_.reason, QDir::toNativeSeparators(path_));
    if (problem_.trouble == Database::Trouble::None)
        return QString();
    QString line = QStringLiteral("Die Aufzeichnung wartet: %1.").arg(problem_.reason);
    std::size_t rows = 0;
    for (const Row& row : pending_)
        rows += !std::holds_alternative<RunBegun>(row);
    if (rows == 1)
        line += QStringLiteral(" 1 Eintrag ist noch nicht gespeichert.");
    else if (rows > 1)
        line += QStringLiteral(" %1 Einträge sind noch nicht gespeichert.").arg(rows);
    return line;
}

} // namespace hist
