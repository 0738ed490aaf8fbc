#include "history/Database.h"

#include "runtime/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <unistd.h>

namespace hist {

namespace {

// Version 1 held the runs and the prompts; version 2 adds whether a prompt waited first, and the
// natural breaks and pauses. Version 3 keeps the watchdog's prompts whose time ran out as expired
// (4), no longer as ignored (2) like a training prompt left alone: the watchdog has no buttons,
// and running out is the only way its prompt goes by itself. Version 4 writes a run's row when
// it begins and finishes it when it ends, so that a run the program never saw end stays marked
// (finished 0); the breaks are found by their time like the rest.
const char* const kMigrations[] = {
    "CREATE TABLE runs(id INTEGER PRIMARY KEY, started TEXT NOT NULL,"
    " sequence INTEGER NOT NULL, seconds INTEGER NOT NULL, completed INTEGER NOT NULL,"
    " from_prompt INTEGER NOT NULL);"
    "CREATE TABLE prompts(id INTEGER PRIMARY KEY, at TEXT NOT NULL, kind INTEGER NOT NULL,"
    " outcome INTEGER NOT NULL);",

    "ALTER TABLE prompts ADD COLUMN held INTEGER NOT NULL DEFAULT 0;"
    "CREATE TABLE breaks(id INTEGER PRIMARY KEY, started TEXT NOT NULL,"
    " kind INTEGER NOT NULL, seconds INTEGER NOT NULL);"
    "CREATE INDEX runs_started ON runs(started);"
    "CREATE INDEX prompts_at ON prompts(at);",

    "UPDATE prompts SET outcome = 4 WHERE kind = 1 AND outcome = 2;",

    "ALTER TABLE runs ADD COLUMN finished INTEGER NOT NULL DEFAULT 1;"
    "CREATE INDEX breaks_started ON breaks(started);",
};
static_assert(std::size(kMigrations) == Database::kVersion);

using Trouble = Database::Trouble;
using Problem = Database::Problem;

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

bool damagedCode(int code) {
    return (code & 0xff) == SQLITE_CORRUPT || (code & 0xff) == SQLITE_NOTADB;
}

// What a failure of SQLite means for the record. A full disk or a file that may not be written
// shows either as SQLite's own code or as an I/O error with the system's errno behind it.
Trouble troubleOf(int code, int systemError) {
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return Trouble::Busy;
    case SQLITE_FULL:
        return Trouble::Full;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return Trouble::ReadOnly;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return Trouble::Damaged;
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
        if (systemError == ENOSPC || systemError == EDQUOT)
            return Trouble::Full;
        if (systemError == EROFS || systemError == EACCES || systemError == EPERM)
            return Trouble::ReadOnly;
        return Trouble::Failed;
    default:
        return Trouble::Failed;
    }
}

QString reasonOf(Trouble trouble, int code) {
    switch (trouble) {
    case Trouble::None:
        return QString();
    case Trouble::Busy:
        return QStringLiteral("Ein anderes Programm hält die Datei gesperrt");
    case Trouble::Full:
        return QStringLiteral("Auf dem Datenträger ist kein Platz mehr frei");
    case Trouble::ReadOnly:
        return QStringLiteral("Die Datei oder ihr Ordner ist schreibgeschützt");
    case Trouble::Damaged:
        return QStringLiteral("Die Datei ist beschädigt");
    case Trouble::Newer:
        return QStringLiteral("Die Datei stammt von einer neueren Version von Quillet");
    case Trouble::Foreign:
        return QStringLiteral("Die Datei ist kein Verlauf von Quillet");
    case Trouble::Failed:
        break;
    }
    switch (code & 0xff) {
    case SQLITE_CANTOPEN:
        return QStringLiteral("Die Datei kann nicht geöffnet werden");
    case SQLITE_IOERR:
        return QStringLiteral("Der Datenträger meldet einen Fehler beim Lesen oder Schreiben");
    case SQLITE_NOMEM:
        return QStringLiteral("Es fehlt an Arbeitsspeicher");
    case SQLITE_ERROR:
    case SQLITE_SCHEMA:
    case SQLITE_MISMATCH:
    case SQLITE_CONSTRAINT:
        return QStringLiteral("Die Datei hat nicht den Aufbau, den Quillet erwartet");
    default:
        return QStringLiteral("SQLite meldet einen Fehler");
    }
}

// What the user can do, and what Quillet does meanwhile.
QString adviceOf(Trouble trouble) {
    switch (trouble) {
    case Trouble::Busy:
        return QStringLiteral("Quillet behält die neuen Einträge und schreibt sie, sobald das "
                              "andere Programm (etwa eine Sicherung oder „sqlite3“) die Datei "
                              "freigibt.");
    case Trouble::Full:
        return QStringLiteral("Geben Sie auf dem Datenträger Platz frei; bis dahin behält Quillet "
                              "die neuen Einträge und schreibt sie danach.");
    case Trouble::ReadOnly:
        return QStringLiteral("Geben Sie sich Schreibrecht auf die Datei und ihren Ordner (etwa "
                              "mit „chmod u+w“); bis dahin zeigt das Fenster „Verlauf“, was die "
                              "Datei enthält, und Quillet behält die neuen Einträge.");
    case Trouble::Damaged:
        return QStringLiteral("Benennen Sie die Datei um oder verschieben Sie sie; bis dahin "
                              "behält Quillet die neuen Einträge.");
    case Trouble::Newer:
        return QStringLiteral("Sie bleibt unverändert: das Fenster „Verlauf“ zeigt, was sie "
                              "enthält, aber neue Einträge werden nicht gespeichert. Verwenden "
                              "Sie die neuere Version von Quillet, um weiter aufzuzeichnen.");
    case Trouble::Foreign:
        return QStringLiteral("Sie gehört wohl einem anderen Programm. Quillet verändert sie nicht "
                              "und zeichnet in diesem Lauf nichts auf; verschieben Sie die Datei "
                              "oder benennen Sie sie um, dann beginnt Quillet beim nächsten Start "
                              "einen neuen Verlauf.");
    case Trouble::None:
    case Trouble::Failed:
        break;
    }
    return QStringLiteral("Prüfen Sie den Datenträger und den Ordner; Quillet versucht es "
                          "weiter und behält die neuen Einträge bis dahin.");
}

Problem describe(Trouble trouble, const QString& path, const QString& detail, int code = 0,
                 const QString& reason = QString()) {
    Problem p;
    p.trouble = trouble;
    p.reason = reason.isEmpty() ? reasonOf(trouble, code) : reason;
    p.detail = detail;
    const bool whole = trouble == Trouble::Newer || trouble == Trouble::Foreign;
    p.message = (whole ? QStringLiteral("Der Verlauf „%1“ kann nicht verwendet werden: %2")
                       : QStringLiteral("Der Verlauf „%1“ kann nicht geschrieben werden: %2"))
                    .arg(native(path), p.reason) +
                (detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(detail)) +
                QStringLiteral(". ") + adviceOf(trouble);
    return p;
}

// SQLite's text for the last failure on `db`, with the system's reason behind an I/O error.
QString detailOf(sqlite3* db, int code) {
    QString text =
        db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(code));
    const int error = db ? sqlite3_system_errno(db) : 0;
    const int primary = code & 0xff;
    if (error != 0 && (primary == SQLITE_IOERR || primary == SQLITE_CANTOPEN ||
                       primary == SQLITE_FULL || primary == SQLITE_READONLY))
        text += QStringLiteral("; ") + QString::fromLocal8Bit(std::strerror(error));
    return text;
}

Problem problemOf(sqlite3* db, int code, const QString& path) {
    const int error = db ? sqlite3_system_errno(db) : 0;
    return describe(troubleOf(code, error), path, detailOf(db, code), code);
}

// Seconds are enough for the record, with the offset: see isoTime().
QByteArray isoText(const QDateTime& t) {
    return isoTime(t).toUtf8();
}

QDateTime fromIso(const unsigned char* text) {
    return QDateTime::fromString(QString::fromUtf8(reinterpret_cast<const char*>(text)),
                                 Qt::ISODate);
}

// A free name beside `path` for a damaged file: .beschaedigt-<date>, then -2, -3, ...
QString asideName(const QString& path, const QDate& today) {
    const QString base = path + QStringLiteral(".beschaedigt-") + today.toString(Qt::ISODate);
    QString name = base;
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = base + QStringLiteral("-%1").arg(n);
    return name;
}

// A new record is the user's alone: created 0600 before SQLite opens it (SQLite gives its
// journals the mode of the file). An existing file is left as it is. The errno of a file that
// could not be made; 0 when there is one.
int createPrivately(const QByteArray& file) {
    const int fd = ::open(file.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::close(fd);
    return fd >= 0 || errno == EEXIST ? 0 : errno;
}

// What the file is: its version, and whether its tables are Quillet's.
struct Shape {
    int version = 0;
    bool foreign = false;
};

int inspect(sqlite3* db, Shape& shape) {
    sqlite3_stmt* s = nullptr;
    int code = sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &s, nullptr);
    if (code == SQLITE_OK && (code = sqlite3_step(s)) == SQLITE_ROW) {
        shape.version = sqlite3_column_int(s, 0);
        code = SQLITE_OK;
    }
    sqlite3_finalize(s);
    if (code != SQLITE_OK)
        return code;
    s = nullptr;
    code = sqlite3_prepare_v2(db,
                              "SELECT name FROM sqlite_master WHERE type = 'table'"
                              " AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'",
                              -1, &s, nullptr);
    bool any = false, runs = false, prompts = false;
    if (code == SQLITE_OK) {
        while ((code = sqlite3_step(s)) == SQLITE_ROW) {
            const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
            any = true;
            runs = runs || qstrcmp(name, "runs") == 0;
            prompts = prompts || qstrcmp(name, "prompts") == 0;
        }
        if (code == SQLITE_DONE)
            code = SQLITE_OK;
    }
    sqlite3_finalize(s);
    // A file without a version but with tables, with a version below zero, or with a version
    // but without the runs and prompts, was made by another program.
    shape.foreign = shape.version == 0 ? any : shape.version < 0 || !(runs && prompts);
    return code;
}

// The file opened for reading only. A record in the journal written ahead needs its shared
// memory file beside it; where that cannot be made (a read-only medium or folder, a full disk),
// the file is read as it lies on the disk. `code` and `error` (the system's errno) tell why
// neither worked.
sqlite3* openForReading(const QByteArray& file, Shape& shape, int& code, int& error) {
    for (const char* mode : {"?mode=ro", "?immutable=1"}) {
        const QByteArray uri = "file:" + file.toPercentEncoding("/") + mode;
        sqlite3* db = nullptr;
        code =
            sqlite3_open_v2(uri.constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
        if (code == SQLITE_OK) {
            sqlite3_busy_timeout(db, Database::kPatienceMs);
            code = inspect(db, shape);
            if (code == SQLITE_OK)
                return db;
        }
        error = db ? sqlite3_system_errno(db) : 0;
        sqlite3_close(db);
        const int primary = code & 0xff;
        if (primary != SQLITE_CANTOPEN && primary != SQLITE_READONLY && primary != SQLITE_IOERR)
            break; // busy or damaged: reading it as it lies would not help
    }
    return nullptr;
}

sqlite3* openForReading(const QByteArray& file, Shape& shape) {
    int code = 0, error = 0;
    return openForReading(file, shape, code, error);
}

// The rows of `table` that can still be read in a damaged file, copied row by row in the order
// of their ids: a page that cannot be read is jumped over (ever further, until a row follows).
// `columns` are tried in turn, the newest schema first.
int copyReadable(sqlite3* from, sqlite3* into, const char* table,
                 std::initializer_list<const char*> columns) {
    for (const char* cols : columns) {
        sqlite3_stmt* select = nullptr;
        sqlite3_stmt* insert = nullptr;
        const QByteArray sql =
            QByteArray("SELECT id, ") + cols + " FROM " + table + " WHERE id >= ? ORDER BY id";
        if (sqlite3_prepare_v2(from, sql.constData(), -1, &select, nullptr) != SQLITE_OK) {
            sqlite3_finalize(select);
            continue;
        }
        const int n = sqlite3_column_count(select) - 1;
        QByteArray marks = "?";
        for (int i = 1; i < n; ++i)
            marks += ",?";
        const QByteArray add =
            QByteArray("INSERT INTO ") + table + "(" + cols + ") VALUES(" + marks + ")";
        if (sqlite3_prepare_v2(into, add.constData(), -1, &insert, nullptr) != SQLITE_OK) {
            sqlite3_finalize(select);
            sqlite3_finalize(insert);
            return 0;
        }
        int copied = 0;
        sqlite3_int64 next = 0;
        sqlite3_int64 jump = 0;
        for (int round = 0; round < 10'000; ++round) {
            if (next > std::numeric_limits<sqlite3_int64>::max() - jump)
                break;
            sqlite3_bind_int64(select, 1, next + jump);
            int code;
            while ((code = sqlite3_step(select)) == SQLITE_ROW) {
                // A damaged tree may give ids out of order: each row is copied once, forward.
                const sqlite3_int64 id = sqlite3_column_int64(select, 0);
                if (id < next || id == std::numeric_limits<sqlite3_int64>::max())
                    continue;
                for (int i = 0; i < n; ++i)
                    sqlite3_bind_value(insert, i + 1, sqlite3_column_value(select, i + 1));
                if (sqlite3_step(insert) == SQLITE_DONE)
                    ++copied;
                sqlite3_reset(insert);
                next = id + 1;
                jump = 0;
            }
            sqlite3_reset(select);
            if (code == SQLITE_DONE || jump > (sqlite3_int64(1) << 40))
                break;
            jump = jump == 0 ? 1 : jump * 2;
        }
        sqlite3_finalize(select);
        sqlite3_finalize(insert);
        return copied;
    }
    return 0;
}

// Carries what can be read of the damaged file `aside` into the new record `into`.
int rescue(const QString& aside, sqlite3* into) {
    sqlite3* from = nullptr;
    const QByteArray file = QFile::encodeName(aside);
    if (sqlite3_open_v2(file.constData(), &from, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(from);
        return 0;
    }
    int version = 0;
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(from, "PRAGMA user_version", -1, &s, nullptr) == SQLITE_OK &&
        sqlite3_step(s) == SQLITE_ROW)
        version = sqlite3_column_int(s, 0);
    sqlite3_finalize(s);
    int copied = 0;
    if (sqlite3_exec(into, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK) {
        copied += copyReadable(from, into, "runs",
                               {"started, sequence, seconds, completed, from_prompt, finished",
                                "started, sequence, seconds, completed, from_prompt"});
        copied +=
            copyReadable(from, into, "prompts", {"at, kind, outcome, held", "at, kind, outcome"});
        copied += copyReadable(from, into, "breaks", {"started, kind, seconds"});
        if (version >= 1 && version < 3) // kept as the step to version 3 would have
            sqlite3_exec(into, kMigrations[2], nullptr, nullptr, nullptr);
        if (sqlite3_exec(into, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
            sqlite3_exec(into, "ROLLBACK", nullptr, nullptr, nullptr);
            copied = 0;
        }
    }
    sqlite3_close(from);
    return copied;
}

} // namespace

const char* const* Database::migrations() {
    return kMigrations;
}

QString Database::standardPath() {
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(base + QStringLiteral("/quillet/verlauf.sqlite"));
}

Database::Database(sqlite3* db, QString path, bool writable, int version)
    : db_(db), path_(std::move(path)), writable_(writable), version_(version) {}

Database::Opening Database::open(const QString& path, const QDate& today, bool damaged) {
    Opening result;
    const QString folder = QFileInfo(path).absolutePath();
    const rt::FileResult made = rt::makeFolder(folder);
    if (!made.ok) {
        result.problem.trouble =
            made.error == EACCES || made.error == EROFS ? Trouble::ReadOnly : Trouble::Failed;
        result.problem.reason = QStringLiteral("Der Ordner „%1“ kann nicht angelegt werden: %2")
                                    .arg(native(folder), made.reason);
        result.problem.message =
            QStringLiteral("Der Ordner für den Verlauf „%1“ kann nicht angelegt werden: %2. "
                           "Legen Sie ihn an oder geben Sie sich Schreibrecht auf den Ordner "
                           "darüber; bis dahin behält Quillet die neuen Einträge.")
                .arg(native(folder), made.reason);
        return result;
    }
    const QByteArray file = QFile::encodeName(path);
    if (!damaged) {
        if (const int error = createPrivately(file); error != 0) {
            const Trouble trouble = error == ENOSPC || error == EDQUOT ? Trouble::Full
                                    : error == EACCES || error == EPERM || error == EROFS
                                        ? Trouble::ReadOnly
                                        : Trouble::Failed;
            result.problem = describe(trouble, path, QString(), 0,
                                      QStringLiteral("Die Datei kann nicht angelegt werden: %1")
                                          .arg(rt::systemReason(error)));
            return result;
        }
        // What the file is, seen through a connection that only reads: a file that is not
        // Quillet's, or a later version's, is left exactly as it is.
        Shape shape;
        int code = SQLITE_OK, error = 0;
        sqlite3_close(openForReading(file, shape, code, error));
        if (code != SQLITE_OK && !damagedCode(code)) {
            QString detail = QString::fromUtf8(sqlite3_errstr(code));
            if (error != 0)
                detail += QStringLiteral("; ") + QString::fromLocal8Bit(std::strerror(error));
            result.problem = describe(troubleOf(code, error), path, detail, code);
            return result;
        }
        if (code == SQLITE_OK && shape.foreign) {
            result.problem = describe(Trouble::Foreign, path, QString());
            return result;
        }
        if (code == SQLITE_OK && shape.version > kVersion) {
            result.problem = describe(Trouble::Newer, path, QString());
            if (sqlite3* reading = openForReading(file, shape))
                result.database.reset(new Database(reading, path, false, shape.version));
            return result;
        }
        sqlite3* db = nullptr;
        if (code == SQLITE_OK)
            code = sqlite3_open_v2(file.constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        if (code == SQLITE_OK) {
            sqlite3_busy_timeout(db, kPatienceMs);
            std::unique_ptr<Database> database(new Database(db, path, true, shape.version));
            if (sqlite3_db_readonly(db, "main") == 1)
                database->problem_ = describe(Trouble::ReadOnly, path,
                                              QString::fromUtf8(sqlite3_errstr(SQLITE_READONLY)));
            else if (database->prepare())
                return {std::move(database), {}, {}, 0};
            if (database->problem_.trouble != Trouble::Damaged) {
                // What is there shows; the rows are written later. Under another program's lock
                // this connection reads; otherwise one that only reads, and can do without the
                // files beside the record.
                result.problem = database->problem_;
                if (result.problem.trouble == Trouble::Busy) {
                    database->writable_ = false;
                    result.database = std::move(database);
                } else {
                    database.reset();
                    if (sqlite3* reading = openForReading(file, shape))
                        result.database.reset(new Database(reading, path, false, shape.version));
                }
                return result;
            }
        } else if (!damagedCode(code)) {
            result.problem = problemOf(db, code, path);
            sqlite3_close(db);
            if (sqlite3* reading = openForReading(file, shape))
                result.database.reset(new Database(reading, path, false, shape.version));
            return result;
        } else {
            sqlite3_close(db);
        }
    }

    // Damaged: kept aside under a name of its own, with its journal, and a new record begins
    // with the rows that can still be read in it.
    const QString aside = asideName(path, today);
    if (std::rename(file.constData(), QFile::encodeName(aside).constData()) != 0) {
        const int error = errno;
        result.problem = describe(Trouble::Damaged, path, rt::systemReason(error), 0,
                                  QStringLiteral("Die Datei ist beschädigt und kann nicht "
                                                 "beiseitegelegt werden"));
        return result;
    }
    for (const char* journal : {"-wal", "-journal"})
        std::rename((file + journal).constData(), (QFile::encodeName(aside) + journal).constData());
    std::remove((file + "-shm").constData());
    result = open(path, today, false);
    result.keptAside = aside;
    if (result.database && result.database->writable())
        result.rescued = rescue(aside, result.database->db_);
    const QString told =
        result.rescued > 0
            ? QStringLiteral("Der Verlauf „%1“ war beschädigt. Er wurde als „%2“ beiseitegelegt; "
                             "%3 Einträge, die sich noch lesen ließen, stehen im neuen Verlauf.")
                  .arg(native(path), native(aside))
                  .arg(result.rescued)
            : QStringLiteral("Der Verlauf „%1“ war beschädigt. Er wurde als „%2“ beiseitegelegt, "
                             "ein neuer Verlauf beginnt.")
                  .arg(native(path), native(aside));
    result.problem.message =
        result.problem.message.isEmpty() ? told : told + QLatin1Char(' ') + result.problem.message;
    return result;
}

Database::~Database() {
    for (sqlite3_stmt* s : {addRun_, addPrompt_, addBreak_, finishRun_})
        sqlite3_finalize(s);
    sqlite3_close(db_);
}

bool Database::fail(int code) {
    problem_ = problemOf(db_, code, path_);
    return false;
}

// Settings of the connection, the schema brought forward, the statements of every write. The
// first step that fails ends it: it is tried again as a whole.
bool Database::prepare() {
    // The journal written ahead: a write costs an append to it, synced only at checkpoints.
    // Where it cannot be had (a file system without shared memory), the record goes on without.
    int code = sqlite3_exec(db_, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    if (code != SQLITE_OK)
        return fail(code);
    if ((code = sqlite3_exec(db_, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr)) !=
        SQLITE_OK)
        return fail(code);
    // Each step in a transaction of its own: a file is at one version or the next, never between.
    for (int v = version_; v < kVersion; ++v) {
        const QByteArray sql = QByteArray("BEGIN IMMEDIATE;") + kMigrations[v] +
                               QByteArray("PRAGMA user_version=") + QByteArray::number(v + 1) +
                               ";COMMIT;";
        if ((code = sqlite3_exec(db_, sql.constData(), nullptr, nullptr, nullptr)) != SQLITE_OK) {
            fail(code);
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
            return false;
        }
        version_ = v + 1;
    }
    const bool ok =
        sqlite3_prepare_v3(db_,
                           "INSERT INTO runs(started, sequence, seconds, completed, from_prompt,"
                           " finished) VALUES(?,?,?,?,?,?)",
                           -1, SQLITE_PREPARE_PERSISTENT, &addRun_, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v3(db_, "INSERT INTO prompts(at, kind, outcome, held) VALUES(?,?,?,?)", -1,
                           SQLITE_PREPARE_PERSISTENT, &addPrompt_, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v3(db_, "INSERT INTO breaks(started, kind, seconds) VALUES(?,?,?)", -1,
                           SQLITE_PREPARE_PERSISTENT, &addBreak_, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v3(db_,
                           "UPDATE runs SET seconds = ?, completed = ?, finished = 1"
                           " WHERE id = ? AND started = ? AND sequence = ? AND finished = 0",
                           -1, SQLITE_PREPARE_PERSISTENT, &finishRun_, nullptr) == SQLITE_OK;
    return ok || fail(sqlite3_errcode(db_));
}

void Database::setPatience(int ms) {
    sqlite3_busy_timeout(db_, ms);
}

int Database::version() {
    sqlite3_stmt* s = nullptr;
    int v = -1;
    if (sqlite3_prepare_v2(db_, "PRAGMA user_version", -1, &s, nullptr) == SQLITE_OK &&
        sqlite3_step(s) == SQLITE_ROW)
        v = sqlite3_column_int(s, 0);
    sqlite3_finalize(s);
    return v;
}

bool Database::step(sqlite3_stmt* statement) {
    const int code = sqlite3_step(statement);
    if (code != SQLITE_DONE)
        fail(code);
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    return code == SQLITE_DONE;
}

namespace {

void bindRun(sqlite3_stmt* s, const Run& run, const QByteArray& started, bool finished) {
    sqlite3_bind_text(s, 1, started.constData(), int(started.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int(s, 2, run.sequence);
    sqlite3_bind_int64(s, 3, run.seconds);
    sqlite3_bind_int(s, 4, run.completed);
    sqlite3_bind_int(s, 5, run.fromPrompt);
    sqlite3_bind_int(s, 6, finished);
}

} // namespace

bool Database::add(const Run& run) {
    if (!writable_)
        return false;
    bindRun(addRun_, run, isoText(run.started), true);
    return step(addRun_);
}

std::int64_t Database::begin(const Run& run) {
    if (!writable_)
        return 0;
    bindRun(addRun_, run, isoText(run.started), false);
    return step(addRun_) ? sqlite3_last_insert_rowid(db_) : 0;
}

bool Database::finish(std::int64_t id, const Run& run) {
    if (!writable_)
        return false;
    const QByteArray started = isoText(run.started);
    sqlite3_bind_int64(finishRun_, 1, run.seconds);
    sqlite3_bind_int(finishRun_, 2, run.completed);
    sqlite3_bind_int64(finishRun_, 3, id);
    sqlite3_bind_text(finishRun_, 4, started.constData(), int(started.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int(finishRun_, 5, run.sequence);
    if (!step(finishRun_))
        return false;
    return sqlite3_changes(db_) > 0 || add(run);
}

bool Database::add(const PromptRow& prompt) {
    if (!writable_)
        return false;
    const QByteArray at = isoText(prompt.at);
    sqlite3_bind_text(addPrompt_, 1, at.constData(), int(at.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int(addPrompt_, 2, prompt.kind);
    sqlite3_bind_int(addPrompt_, 3, prompt.outcome);
    sqlite3_bind_int(addPrompt_, 4, prompt.held);
    return step(addPrompt_);
}

bool Database::add(const BreakRow& pause) {
    if (!writable_)
        return false;
    const QByteArray started = isoText(pause.started);
    sqlite3_bind_text(addBreak_, 1, started.constData(), int(started.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int(addBreak_, 2, pause.kind);
    sqlite3_bind_int64(addBreak_, 3, pause.seconds);
    return step(addBreak_);
}

// The three queries of a span, or of the whole record (`where` empty). Times are compared as
// text: "2026-12-01T08:00:00+01:00" lies between "2026-12-01" and "2026-12-02", and the index on
// each time finds the span without reading the rest. Columns a file of an older version lacks
// are read as their defaults.
bool Database::query(const QByteArray& where, const QByteArray& from, const QByteArray& to,
                     Entries& out) {
    auto run = [&](const QByteArray& sql, auto row) {
        sqlite3_stmt* s = nullptr;
        int code = sqlite3_prepare_v2(db_, sql.constData(), -1, &s, nullptr);
        if (code == SQLITE_OK && !where.isEmpty()) {
            sqlite3_bind_text(s, 1, from.constData(), int(from.size()), SQLITE_STATIC);
            sqlite3_bind_text(s, 2, to.constData(), int(to.size()), SQLITE_STATIC);
        }
        if (code == SQLITE_OK)
            while ((code = sqlite3_step(s)) == SQLITE_ROW)
                row(s);
        if (code != SQLITE_DONE)
            fail(code == SQLITE_OK ? sqlite3_errcode(db_) : code);
        sqlite3_finalize(s);
        return code == SQLITE_DONE;
    };
    auto clause = [&](const char* column) {
        return where.isEmpty() ? QByteArray(" ORDER BY id")
                               : QByteArray(" WHERE ") + column + " >= ?1 AND " + column +
                                     " < ?2 ORDER BY " + column;
    };
    const QByteArray finished = version_ >= 4 ? "finished" : "1";
    const QByteArray held = version_ >= 2 ? "held" : "0";
    bool ok = run("SELECT started, sequence, seconds, completed, from_prompt, " + finished +
                      " FROM runs" + clause("started"),
                  [&out](sqlite3_stmt* s) {
                      Run r{fromIso(sqlite3_column_text(s, 0)), sqlite3_column_int(s, 1),
                            sqlite3_column_int64(s, 2), sqlite3_column_int(s, 3) != 0,
                            sqlite3_column_int(s, 4) != 0};
                      r.interrupted = sqlite3_column_int(s, 5) == 0;
                      out.runs.push_back(r);
                  });
    ok = ok && run("SELECT at, kind, outcome, " + held + " FROM prompts" + clause("at"),
                   [&out](sqlite3_stmt* s) {
                       out.prompts.push_back({fromIso(sqlite3_column_text(s, 0)),
                                              sqlite3_column_int(s, 1), sqlite3_column_int(s, 2),
                                              sqlite3_column_int(s, 3) != 0});
                   });
    if (version_ >= 2)
        ok = ok &&
             run("SELECT started, kind, seconds FROM breaks" + clause("started"),
                 [&out](sqlite3_stmt* s) {
                     out.breaks.push_back({fromIso(sqlite3_column_text(s, 0)),
                                           sqlite3_column_int(s, 1), sqlite3_column_int64(s, 2)});
                 });
    return ok;
}

bool Database::read(const QDate& first, const QDate& last, Entries& out) {
    return query("span", first.toString(Qt::ISODate).toUtf8(),
                 last.addDays(1).toString(Qt::ISODate).toUtf8(), out);
}

bool Database::readAll(Entries& out) {
    return query(QByteArray(), QByteArray(), QByteArray(), out);
}

Entries Database::readAll() {
    Entries e;
    readAll(e);
    return e;
}

bool Database::readAll(const QString& path, Entries& out) {
    Shape shape;
    sqlite3* db = openForReading(QFile::encodeName(path), shape);
    if (!db)
        return false;
    Database reading(db, path, false, shape.version);
    return reading.readAll(out);
}

bool Database::holdsAny() {
    sqlite3_stmt* s = nullptr;
    const QByteArray sql =
        QByteArray("SELECT EXISTS(SELECT 1 FROM runs) OR EXISTS(SELECT 1 FROM prompts)") +
        (version_ >= 2 ? " OR EXISTS(SELECT 1 FROM breaks)" : "");
    bool any = false;
    if (sqlite3_prepare_v2(db_, sql.constData(), -1, &s, nullptr) == SQLITE_OK &&
        sqlite3_step(s) == SQLITE_ROW)
        any = sqlite3_column_int(s, 0) != 0;
    sqlite3_finalize(s);
    return any;
}

QStringList Database::spanPlans() {
    QStringList plans;
    for (const char* sql : {"SELECT started, seconds FROM runs WHERE started >= ?1 AND "
                            "started < ?2 ORDER BY started",
                            "SELECT at, outcome FROM prompts WHERE at >= ?1 AND at < ?2 "
                            "ORDER BY at",
                            "SELECT started, seconds FROM breaks WHERE started >= ?1 AND "
                            "started < ?2 ORDER BY started"}) {
        sqlite3_stmt* s = nullptr;
        const QByteArray explain = QByteArray("EXPLAIN QUERY PLAN ") + sql;
        QStringList lines;
        if (sqlite3_prepare_v2(db_, explain.constData(), -1, &s, nullptr) == SQLITE_OK)
            while (sqlite3_step(s) == SQLITE_ROW)
                lines << QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(s, 3)));
        sqlite3_finalize(s);
        plans << lines.join(QStringLiteral("; "));
    }
    return plans;
}

} // namespace hist
