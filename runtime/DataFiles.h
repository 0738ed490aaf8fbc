#pragma once

#include <QString>
#include <QStringList>

namespace rt {

// Finds the program's data (the folders `Pictures` and `Sound`). Paths are written as the
// program spells them, with backslashes ("Pictures\Yoga\p1\yoga112.jpg"), and are resolved
// component by component without regard to letter case, so "yoga" and "Yoga" name one folder.
// A sound named "….wav" that is not there as such is found as the Ogg Vorbis file "….ogg" of the
// same name, the form the narration is stored in.
class DataFiles {
public:
    // Looks in the given folders in order; the first that holds the path's first component wins.
    explicit DataFiles(QStringList roots);

    // The data folder beside the program (`../share/quillet`), then the installed data folder,
    // then the source tree's data.
    static DataFiles standard();

    // The absolute path of the file, or an empty string when it does not exist.
    QString resolve(const QString& relativePath) const;

    // The path as the user would look for it: the first root that has the top folder, joined
    // with the relative path (for messages about files that are missing).
    QString describe(const QString& relativePath) const;

    const QStringList& roots() const { return roots_; }

private:
    QStringList roots_;
};

// Splits a program path at backslashes and slashes.
QStringList splitProgramPath(const QString& relativePath);

} // namespace rt
