// The record of breaks: any file in the place of verlauf.sqlite. Opening it gives a record, a
// record to read only, or a reason in German; a file taken as damaged is put aside and what
// SQLite can still read in it is carried into a new record. Whatever the file holds is read,
// summed by day and written as CSV, and a row is added where it can be, without a crash, a leak
// or a hang, and nothing is made outside the run's own folder.

#include "history/Database.h"
#include "history/Summary.h"

#include <QDir>
#include <QFile>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QString folder =
        QStringLiteral("%1/quillet-fuzz-record-%2")
            .arg(access("/dev/shm", W_OK) == 0 ? QStringLiteral("/dev/shm") : QDir::tempPath())
            .arg(getpid());
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/verlauf.sqlite");
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) ||
            f.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
            std::abort();
    }
    const QDate today(2026, 12, 8);
    for (bool damaged : {false, true}) {
        hist::Database::Opening o = hist::Database::open(path, today, damaged);
        if (o.problem.trouble != hist::Database::Trouble::None && o.problem.message.isEmpty())
            std::abort(); // every trouble is told
        if (!o.database)
            continue;
        hist::Entries e;
        o.database->readAll(e);
        o.database->read(today.addDays(-13), today, e);
        const std::vector<hist::Day> days = hist::daysBetween(e, today.addDays(-30), today);
        hist::spanSentences(hist::sum(days));
        hist::csv(e, hist::CsvStyle{';', true});
        o.database->holdsAny();
        if (o.database->writable() &&
            !o.database->add(hist::BreakRow{QDateTime(today, QTime(9, 0)), 0, 300}) &&
            o.database->problem().message.isEmpty())
            std::abort();
    }
    return 0;
}
