#pragma once

#include "history/Entries.h"

#include <QDate>
#include <QString>

#include <functional>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace hist {

// The file verlauf.sqlite: one table per kind of row, each row written in a transaction of its
// own. The schema carries its version (user_version) and is brought forward on opening.
// Another program holding the file (a backup, `sqlite3` reading it) is waited for a few
// milliseconds at most: the record is written on the thread of the windows.
class Database {
public:
    static constexpr int kVersion = 3;
    // How long a statement waits for another program's lock before it fails as busy.
    static constexpr int kPatienceMs = 3;

    struct Opening {
        std::unique_ptr<Database> database; // none: the program goes on without a record
        QString problem;                    // for the user, in German; empty when all went well
        QString keptAside;                  // where a damaged file was put
        bool busy = false; // another program held the file: worth trying again soon
    };
    // Opens (or creates) the record at `path`. A damaged file is renamed to
    // `path`.beschaedigt-<today> and a new record begun; it is never deleted.
    static Opening open(const QString& path, const QDate& today = QDate::currentDate());
    // The default place: $XDG_DATA_HOME/quillet/verlauf.sqlite.
    static QString standardPath();

    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Each is one transaction; false when it failed (lastError() tells why, in German).
    bool add(const Run& run);
    bool add(const PromptRow& prompt);
    bool add(const BreakRow& pause);
    QString lastError() const { return lastError_; }
    // The last write failed because another program held the file, or because the disk was
    // full: the connection itself is fine, and the write may succeed later.
    bool busy() const;
    bool full() const;
    // What a busy failure is told as.
    static QString lockedReason();
    // Milliseconds a statement waits for a lock from now on.
    void setPatience(int ms);
    QString path() const { return path_; }

    // The whole record, each kind in the order it happened.
    Entries readAll();
    int version();

    // The steps from one version to the next; step i brings version i to i + 1.
    static const char* const* migrations();

private:
    Database(sqlite3* db, QString path) : db_(db), path_(std::move(path)) {}
    QString prepare(); // what went wrong, empty when nothing did
    QString failure(int code);
    bool step(sqlite3_stmt* statement);

    sqlite3* db_ = nullptr;
    QString path_;
    int lastCode_ = 0;
    sqlite3_stmt* addRun_ = nullptr;
    sqlite3_stmt* addPrompt_ = nullptr;
    sqlite3_stmt* addBreak_ = nullptr;
    QString lastError_;
};

} // namespace hist
