#include "history/Database.h"

#include "runtime/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <cstdio>

namespace hist {

namespace {

// Version 1 held the runs and the prompts; version 2 adds whether a prompt waited first, and the
// natural breaks and pauses. Version 3 keeps the watchdog's prompts whose time ran out as expired
// (4), no longer as ignored (2) like a training prompt left alone: the watchdog has no buttons,
// and running out is the only way its prompt goes by itself.
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
};
static_assert(std::size(kMigrations) == Database::kVersion);

const QString kNoRecord = QStringLiteral(" Quillet läuft ohne Verlauf weiter.");

QString message(sqlite3* db) {
    return QString::fromUtf8(sqlite3_errmsg(db));
}

// Seconds are enough for the record, and ISO 8601 sorts as it reads.
QByteArray isoText(const QDateTime& t) {
    return t.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toUtf8();
}

QDateTime fromIso(const unsigned char* text) {
    return QDateTime::fromString(QString::fromUtf8(reinterpret_cast<const char*>(text)),
                                 Qt::ISODate);
}

bool damagedCode(int code) {
    return code == SQLITE_CORRUPT || code == SQLITE_NOTADB;
}

// Another connection holds a lock this one needs (primary codes; extended ones carry them in
// the low byte).
bool busyCode(int code) {
    return (code & 0xff) == SQLITE_BUSY || (code & 0xff) == SQLITE_LOCKED;
}

// Whether the file holds a sound record: an integrity check of every page that does not compare
// indexes with their tables (those are rebuilt cheaply when they stray).
bool checkSound(sqlite3* db, int& code) {
    sqlite3_stmt* check = nullptr;
    code = sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &check, nullptr);
    if (code != SQLITE_OK)
        return !damagedCode(code);
    bool sound = true;
    while ((code = sqlite3_step(check)) == SQLITE_ROW) {
        const auto* line = reinterpret_cast<const char*>(sqlite3_column_text(check, 0));
        if (!line || qstrcmp(line, "ok") != 0)
            sound = false;
    }
    sqlite3_finalize(check);
    if (damagedCode(code))
        return false;
    if (code != SQLITE_DONE) // not checked (busy, say): `code` tells why
        return true;
    code = sound ? SQLITE_OK : SQLITE_CORRUPT;
    return sound;
}

// A free name beside `path` for a damaged file: .beschaedigt-<date>, then -2, -3, ...
QString asideName(const QString& path, const QDate& today) {
    const QString base = path + QStringLiteral(".beschaedigt-") + today.toString(Qt::ISODate);
    QString name = base;
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = base + QStringLiteral("-%1").arg(n);
    return name;
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

Database::Opening Database::open(const QString& path, const QDate& today) {
    Opening result;
    const QString shown = QDir::toNativeSeparators(path);
    const rt::FileResult folder = rt::makeFolder(QFileInfo(path).absolutePath());
    if (!folder.ok) {
        result.problem =
            QStringLiteral("Der Ordner für den Verlauf „%1“ kann nicht angelegt "
                           "werden: %2.")
                .arg(QDir::toNativeSeparators(QFileInfo(path).absolutePath()), folder.reason) +
            kNoRecord;
        return result;
    }
    const QByteArray file = QFile::encodeName(path);
    for (int attempt = 0; attempt < 2; ++attempt) {
        sqlite3* db = nullptr;
        int code = sqlite3_open_v2(file.constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        if (code != SQLITE_OK) {
            result.problem = QStringLiteral("Der Verlauf „%1“ kann nicht geöffnet werden: %2.")
                                 .arg(shown, db ? message(db) : QString()) +
                             kNoRecord;
            sqlite3_close(db);
            return result;
        }
        sqlite3_busy_timeout(db, kPatienceMs);
        if (!checkSound(db, code) && attempt == 0) {
            // Kept aside under a name of its own, with its journal; a new record begins.
            sqlite3_close(db);
            const QString aside = asideName(path, today);
            if (std::rename(file.constData(), QFile::encodeName(aside).constData()) != 0) {
                result.problem = QStringLiteral("Der Verlauf „%1“ ist beschädigt und kann nicht "
                                                "beiseitegelegt werden.")
                                     .arg(shown) +
                                 kNoRecord;
                return result;
            }
            for (const char* journal : {"-wal", "-journal"})
                std::rename((file + journal).constData(),
                            (QFile::encodeName(aside) + journal).constData());
            std::remove((file + "-shm").constData());
            result.keptAside = aside;
            result.problem = QStringLiteral("Der Verlauf „%1“ war beschädigt. Er wurde als „%2“ "
                                            "beiseitegelegt, ein neuer Verlauf beginnt.")
                                 .arg(shown, QDir::toNativeSeparators(aside));
            continue;
        }
        std::unique_ptr<Database> database(new Database(db, path));
        const QString problem = code != SQLITE_OK ? database->failure(code) : database->prepare();
        if (!problem.isEmpty()) {
            result.busy = database->busy();
            result.problem = QStringLiteral("Der Verlauf „%1“ kann nicht geöffnet werden: %2.")
                                 .arg(shown, problem) +
                             (result.busy ? QString() : kNoRecord);
            return result;
        }
        result.database = std::move(database);
        return result;
    }
    return result;
}

Database::~Database() {
    for (sqlite3_stmt* s : {addRun_, addPrompt_, addBreak_})
        sqlite3_finalize(s);
    sqlite3_close(db_);
}

QString Database::failure(int code) {
    lastCode_ = code;
    return busy() ? lockedReason() : message(db_);
}

// Settings of the connection, the schema brought forward, the statements of every write. The
// first step that finds the file locked ends it: it is tried again as a whole.
QString Database::prepare() {
    const int from = version();
    if (from < 0)
        return failure(sqlite3_errcode(db_));
    if (from > kVersion) // a later program's: left as it is
        return QStringLiteral("Er stammt von einer neueren Version von Quillet");
    // The journal written ahead: a write costs an append to it, synced only at checkpoints.
    // Where it cannot be had (a file system without shared memory), the record goes on without.
    int code = sqlite3_exec(db_, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    if (busyCode(code))
        return failure(code);
    if ((code = sqlite3_exec(db_, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr)) !=
        SQLITE_OK)
        return failure(code);
    // Each step in a transaction of its own: a file is at one version or the next, never between.
    for (int v = from; v < kVersion; ++v) {
        const QByteArray sql = QByteArray("BEGIN IMMEDIATE;") + kMigrations[v] +
                               QByteArray("PRAGMA user_version=") + QByteArray::number(v + 1) +
                               ";COMMIT;";
        if ((code = sqlite3_exec(db_, sql.constData(), nullptr, nullptr, nullptr)) != SQLITE_OK) {
            const QString problem = failure(code);
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
            return problem;
        }
    }
    const bool ok =
        sqlite3_prepare_v3(db_,
                           "INSERT INTO runs(started, sequence, seconds, completed, from_prompt) "
                           "VALUES(?,?,?,?,?)",
                           -1, SQLITE_PREPARE_PERSISTENT, &addRun_, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v3(db_, "INSERT INTO prompts(at, kind, outcome, held) VALUES(?,?,?,?)", -1,
                           SQLITE_PREPARE_PERSISTENT, &addPrompt_, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v3(db_, "INSERT INTO breaks(started, kind, seconds) VALUES(?,?,?)", -1,
                           SQLITE_PREPARE_PERSISTENT, &addBreak_, nullptr) == SQLITE_OK;
    return ok ? QString() : failure(sqlite3_errcode(db_));
}

bool Database::busy() const {
    return busyCode(lastCode_);
}

bool Database::full() const {
    return (lastCode_ & 0xff) == SQLITE_FULL;
}

QString Database::lockedReason() {
    return QStringLiteral("Ein anderes Programm hält die Datei gesperrt");
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
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    if (code == SQLITE_DONE)
        return true;
    lastError_ =
        (code & 0xff) == SQLITE_FULL ? QStringLiteral("Der Datenträger ist voll") : failure(code);
    lastCode_ = code;
    return false;
}

bool Database::add(const Run& run) {
    const QByteArray started = isoText(run.started);
    sqlite3_bind_text(addRun_, 1, started.constData(), int(started.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int(addRun_, 2, run.sequence);
    sqlite3_bind_int64(addRun_, 3, run.seconds);
    sqlite3_bind_int(addRun_, 4, run.completed);
    sqlite3_bind_int(addRun_, 5, run.fromPrompt);
    return step(addRun_);
}

bool Database::add(const PromptRow& prompt) {
    const QByteArray at = isoText(prompt.at);
    sqlite3_bind_text(addPrompt_, 1, at.constData(), int(at.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int(addPrompt_, 2, prompt.kind);
    sqlite3_bind_int(addPrompt_, 3, prompt.outcome);
    sqlite3_bind_int(addPrompt_, 4, prompt.held);
    return step(addPrompt_);
}

bool Database::add(const BreakRow& pause) {
    const QByteArray started = isoText(pause.started);
    sqlite3_bind_text(addBreak_, 1, started.constData(), int(started.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int(addBreak_, 2, pause.kind);
    sqlite3_bind_int64(addBreak_, 3, pause.seconds);
    return step(addBreak_);
}

Entries Database::readAll() {
    Entries e;
    auto query = [this](const char* sql, auto row) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db_, sql, -1, &s, nullptr) == SQLITE_OK)
            while (sqlite3_step(s) == SQLITE_ROW)
                row(s);
        sqlite3_finalize(s);
    };
    query("SELECT started, sequence, seconds, completed, from_prompt FROM runs ORDER BY id",
          [&e](sqlite3_stmt* s) {
              e.runs.push_back({fromIso(sqlite3_column_text(s, 0)), sqlite3_column_int(s, 1),
                                sqlite3_column_int64(s, 2), sqlite3_column_int(s, 3) != 0,
                                sqlite3_column_int(s, 4) != 0});
          });
    query("SELECT at, kind, outcome, held FROM prompts ORDER BY id", [&e](sqlite3_stmt* s) {
        e.prompts.push_back({fromIso(sqlite3_column_text(s, 0)), sqlite3_column_int(s, 1),
                             sqlite3_column_int(s, 2), sqlite3_column_int(s, 3) != 0});
    });
    query("SELECT started, kind, seconds FROM breaks ORDER BY id", [&e](sqlite3_stmt* s) {
        e.breaks.push_back({fromIso(sqlite3_column_text(s, 0)), sqlite3_column_int(s, 1),
                            sqlite3_column_int64(s, 2)});
    });
    return e;
}

} // namespace hist
