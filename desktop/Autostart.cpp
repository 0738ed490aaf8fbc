#include "desktop/Autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>

#include <algorithm>

namespace desk::autostart {

namespace {

// An argument of an Exec line, quoted where the desktop entry rules ask for it.
QString execArgument(const QString& argument) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    if (std::none_of(argument.begin(), argument.end(),
                     [](QChar c) { return reserved.contains(c); }))
        return argument;
    QString quoted = argument;
    for (const char* c : {"\\", "\"", "`", "$"})
        quoted.replace(QLatin1String(c), QLatin1String("\\") + QLatin1String(c));
    // In the file, a backslash is itself written twice.
    quoted.replace(QLatin1String("\\"), QLatin1String("\\\\"));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace

QString entryPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/org.quillet.Quillet.desktop");
}

bool enabled() {
    QFile file(entryPath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    QTextStream in(&file);
    bool inEntry = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().remove(QLatin1Char(' '));
        if (line.startsWith(QLatin1Char('[')))
            inEntry = line == QLatin1String("[DesktopEntry]");
        else if (inEntry && (line == QLatin1String("Hidden=true") ||
                             line == QLatin1String("X-GNOME-Autostart-enabled=false")))
            return false;
    }
    return true;
}

QString set(bool on, const QString& program) {
    const QString path = entryPath();
    if (!on) {
        if (!QFileInfo::exists(path) || QFile::remove(path))
            return {};
        return QStringLiteral("Quillet konnte „%1“ nicht löschen. Bitte löschen Sie die Datei "
                              "selbst, damit Quillet nicht mehr mit der Sitzung startet.")
            .arg(QDir::toNativeSeparators(path));
    }
    QDir().mkpath(QFileInfo(path).path());
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        QTextStream out(&file);
        out << "[Desktop Entry]\n"
               "Type=Application\n"
               "Name=Quillet\n"
               "Comment=Bewegungspausen, mit der Sitzung gestartet\n"
            << "Exec=" << execArgument(program) << ' ' << kArgument << '\n'
            << "Icon=org.quillet.Quillet\n"
               "Terminal=false\n"
               "X-GNOME-Autostart-enabled=true\n";
        out.flush();
        if (file.commit())
            return {};
    }
    return QStringLiteral("Quillet konnte „%1“ nicht schreiben (%2). Bitte prüfen Sie, ob der "
                          "Ordner beschreibbar ist.")
        .arg(QDir::toNativeSeparators(path), file.errorString());
}

} // namespace desk::autostart
