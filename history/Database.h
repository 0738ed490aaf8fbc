#pragma once

#include "history/Entries.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace hist {

// The file verlauf.sqlite: one table per kind of row, each row written in a transaction of its
// own. The schema carries its version (user_version) and is brought forward on opening.
// Another program holding the file (a backup, `sqlite3` reading it) is waited for a few
// milliseconds at most: the record is written on the thread of the windows.
//
// A file that cannot be written (read-only, a full disk, another program's lock, a later
// version's record) is still opened for reading where it can be, so that what it holds shows.
// A file that is not Quillet's is neither changed nor used.
class Database {
public:
    static constexpr int kVersion = 4;
    // How long a statement waits for another program's lock before it fails as busy.
    static constexpr int kPatienceMs = 3;

    // Why the record cannot be written now; a later version's record and another program's file
    // cannot be written at all.
    enum class Trouble { None, Busy, Full, ReadOnly, Damaged, Failed, Newer, Foreign };

    // What went wrong, told three ways: a short German reason for Verlauf's line, SQLite's or the
    // system's own text, and a whole message with the file's path and what the user can do.
    struct Problem {
        Trouble trouble = Trouble::None;
        QString reason;  // "Auf dem Datenträger ist kein Platz mehr frei"
        QString detail;  // "database or disk is full"
        QString message; // for a message box; empty when nothing went wrong
    };

    struct Opening {
        // For writing, or for reading only (writable() false); none: nothing can be read either.
        std::unique_ptr<Database> database;
        Problem problem;
        QString keptAside; // where a damaged file was put
        int rescued = 0;   // rows carried over from it into the new record
        // Nothing will be written in this run (a later version's record, another program's file).
        bool lasting() const {
            return problem.trouble == Trouble::Newer || problem.trouble == Trouble::Foreign;
        }
    };
    // Opens (or creates, with mode 0600) the record at `path`. A damaged file (or one known to
    // be, `damaged`) is renamed to `path`.beschaedigt-<today>, and the rows SQLite can still read
    // in it are carried into a new record; it is never deleted.
    static Opening open(const QString& path, const QDate& today = QDate::currentDate(),
                        bool damaged = false);
    // The default place: $XDG_DATA_HOME/quillet/verlauf.sqlite.
    static QString standardPath();

    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    bool writable() const { return writable_; }
    // Each is one transaction; false when it failed (problem() tells why).
    bool add(const Run& run);
    bool add(const PromptRow& prompt);
    bool add(const BreakRow& pause);
    // The row of a run that has begun, marked as not finished; its id, 0 when it failed.
    std::int64_t begin(const Run& run);
    // Finishes row `id`, begun for `run`; where that row is not there (a new record since), the
    // whole row is written.
    bool finish(std::int64_t id, const Run& run);
    // Of the last failure.
    const Problem& problem() const { return problem_; }
    // Milliseconds a statement waits for a lock from now on.
    void setPatience(int ms);
    QString path() const { return path_; }

    // The rows of the days from `first` to `last` (both included), each kind in the order it
    // happened; false when the file could not be read (problem() tells why).
    bool read(const QDate& first, const QDate& last, Entries& out);
    // The whole record.
    bool readAll(Entries& out);
    Entries readAll();
    // The whole record at `path`, read through a connection of its own that only reads (on any
    // thread); false when it could not be read or only in part.
    static bool readAll(const QString& path, Entries& out);
    bool holdsAny();
    int version();

    // The steps from one version to the next; step i brings version i to i + 1.
    static const char* const* migrations();
    // How SQLite means to run the queries of a span (EXPLAIN QUERY PLAN), one line each.
    QStringList spanPlans();

private:
    Database(sqlite3* db, QString path, bool writable, int version);
    bool prepare(); // settings, schema and statements; false: problem_ tells why
    bool fail(int code);
    bool step(sqlite3_stmt* statement);
    bool query(const QByteArray& where, const QByteArray& from, const QByteArray& to, Entries& out);

    sqlite3* db_ = nullptr;
    QString path_;
    bool writable_ = false;
    int version_ = 0;
    Problem problem_;
    sqlite3_stmt* addRun_ = nullptr;
    sqlite3_stmt* addPrompt_ = nullptr;
    sqlite3_stmt* addBreak_ = nullptr;
    sqlite3_stmt* finishRun_ = nullptr;
};

} // namespace hist
