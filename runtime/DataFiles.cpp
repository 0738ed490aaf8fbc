#include "runtime/DataFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace rt {

QStringList splitProgramPath(const QString& relativePath) {
    QString p = relativePath;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return p.split(QLatin1Char('/'), Qt::SkipEmptyParts);
}

DataFiles::DataFiles(QStringList roots) : roots_(std::move(roots)) {}

// The working directory is not among them: a desktop starts programs in the home folder, where
// a `Pictures` folder of the user's own would hide every picture of the program.
DataFiles DataFiles::standard() {
    QStringList roots;
    const QString exeDir =
        QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    if (!exeDir.isEmpty())
        roots << QDir::cleanPath(exeDir + QStringLiteral("/../share/quillet"));
    roots << QStringLiteral(QUILLET_INSTALLED_DATA_DIR) << QStringLiteral(QUILLET_SOURCE_DATA_DIR);
    roots.removeDuplicates();
    return DataFiles(roots);
}

namespace {

// One component, exact spelling first, else the first entry that matches without case.
QString findEntry(const QString& dir, const QString& name) {
    const QString exact = dir + QLatin1Char('/') + name;
    if (QFileInfo::exists(exact))
        return exact;
    const QStringList entries =
        QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& e : entries)
        if (e.compare(name, Qt::CaseInsensitive) == 0)
            return dir + QLatin1Char('/') + e;
    return {};
}

// The narration is stored compressed: a sound the program names "atmen\eins.wav" is the file
// "atmen/eins.ogg", unless a WAV file of that name is there (one made or recorded by hand).
QString storedInstead(const QString& name) {
    if (!name.endsWith(QLatin1String(".wav"), Qt::CaseInsensitive))
        return {};
    return name.chopped(4) + QStringLiteral(".ogg");
}

QString resolveIn(const QString& root, const QStringList& parts) {
    QString at = root;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString& part = parts[i];
        if (part == QLatin1String("..")) {
            at += QStringLiteral("/..");
        } else if (part != QLatin1String(".")) {
            const QString dir = at;
            at = findEntry(dir, part);
            if (at.isEmpty() && i == parts.size() - 1) {
                if (const QString ogg = storedInstead(part); !ogg.isEmpty())
                    at = findEntry(dir, ogg);
            }
        }
        if (at.isEmpty())
            return {};
    }
    return QFileInfo(at).isFile() ? QDir::cleanPath(at) : QString();
}

} // namespace

QString DataFiles::resolve(const QString& relativePath) const {
    const QStringList parts = splitProgramPath(relativePath);
    if (parts.isEmpty())
        return {};
    for (const QString& root : roots_) {
        if (findEntry(root, parts.first()).isEmpty())
            continue;
        // The first root that has the top folder is the data folder for that kind of file.
        return resolveIn(root, parts);
    }
    return {};
}

QString DataFiles::describe(const QString& relativePath) const {
    const QStringList parts = splitProgramPath(relativePath);
    for (const QString& root : roots_)
        if (!parts.isEmpty() && !findEntry(root, parts.first()).isEmpty())
            return QDir::cleanPath(root + QLatin1Char('/') + parts.join(QLatin1Char('/')));
    return QDir::cleanPath(QDir::currentPath() + QLatin1Char('/') + parts.join(QLatin1Char('/')));
}

} // namespace rt
