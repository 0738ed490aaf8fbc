#include "desktop/Preferences.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSettings>
#include <QTemporaryDir>
#include <QVariant>

#include <algorithm>
#include <optional>
#include <vector>

namespace desk {

namespace {

// Settings of a few lines; anything much larger is not a file this program wrote.
constexpr qsizetype kMaxSize = 256 * 1024;

// The keys, one row each: a new setting is one member of Preferences and one row here.
struct BoolKey {
    const char* key;
    bool Preferences::*member;
    const char* label; // for messages
};
const BoolKey kBoolKeys[] = {
    {"NaturalBreak/enabled", &Preferences::naturalBreak, "Natürliche Pausen erkennen"},
    {"Hold/fullScreen", &Preferences::holdFullScreen, "Nicht bei Vollbild stören"},
    {"Hold/doNotDisturb", &Preferences::holdDoNotDisturb, "Nicht bei „Bitte nicht stören“"},
    {"Hold/screenKeptAwake", &Preferences::holdInhibitors,
     "Nicht stören, während der Bildschirm wach gehalten wird"},
    {"Panel/waitInPanel", &Preferences::waitInPanel, "Im Panel statt im kleinen Fenster warten"},
};

struct IntKey {
    const char* key;
    int Preferences::*member;
    int min, max;
    const char* label;
};
const IntKey kIntKeys[] = {
    {"NaturalBreak/minutes", &Preferences::naturalBreakMinutes, kNaturalBreakMinMinutes,
     kNaturalBreakMaxMinutes, "Minuten ohne Eingabe bis zur natürlichen Pause"},
};

constexpr const char* kPauseKey = "Pause/until";

// A value of the file that was replaced by one within its bounds.
struct Correction {
    QString label, was, now;
};

std::optional<bool> toBool(const QVariant& v) {
    if (v.typeId() != QMetaType::QString)
        return std::nullopt;
    const QString s = v.toString().trimmed().toLower();
    if (s == u"true" || s == u"1" || s == u"yes" || s == u"on" || s == u"ja")
        return true;
    if (s == u"false" || s == u"0" || s == u"no" || s == u"off" || s == u"nein")
        return false;
    return std::nullopt;
}

QString shownValue(const QVariant& v) {
    if (v.typeId() == QMetaType::QString)
        return QStringLiteral("„%1“").arg(v.toString());
    if (v.typeId() == QMetaType::QStringList)
        return QStringLiteral("„%1“").arg(v.toStringList().join(QStringLiteral(", ")));
    return QStringLiteral("ein Wert anderer Art");
}

QString yesNo(bool on) {
    return on ? QStringLiteral("ein") : QStringLiteral("aus");
}

// A time with the offset from UTC it had then, as ISO 8601: 2025-03-30T06:00:00+02:00.
QString isoWithOffset(const QDateTime& t) {
    return t.toOffsetFromUtc(t.offsetFromUtc()).toString(Qt::ISODate);
}

// The latest end that any pause chosen at `now` or before could have.
QDateTime latestPauseEnd(const QDateTime& now) {
    return std::max(pauseEnd(PauseChoice::TwoHours, now),
                    pauseEnd(PauseChoice::UntilTomorrow, now));
}

// QSettings reads and writes files only. Parsing and composing go through a copy in a
// folder of our own, so the user's file is written only by rt::replaceFile (whole or not at
// all, with the reason of a failure) and QSettings' cache never holds it.
class Scratch {
public:
    bool put(const QByteArray& bytes) {
        if (!dir_.isValid())
            return false;
        QFile f(path());
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush();
    }
    QString path() const { return dir_.filePath(QStringLiteral("quillet.conf")); }
    std::optional<QByteArray> take() const {
        QFile f(path());
        if (!f.open(QIODevice::ReadOnly))
            return std::nullopt;
        return f.readAll();
    }

private:
    QTemporaryDir dir_;
};

enum class Parse { Ok, Damaged, NoScratch };

Parse parse(const QByteArray& bytes, QMap<QString, QVariant>& values) {
    Scratch scratch;
    if (!scratch.put(bytes))
        return Parse::NoScratch;
    QSettings ini(scratch.path(), QSettings::IniFormat);
    if (ini.status() == QSettings::FormatError)
        return Parse::Damaged;
    if (ini.status() != QSettings::NoError)
        return Parse::NoScratch;
    for (const QString& key : ini.allKeys())
        values.insert(key, ini.value(key));
    return Parse::Ok;
}

// The content of `base` with the known keys set to `prefs`; every other key stays.
std::optional<QByteArray> compose(const QByteArray& base, const Preferences& prefs, bool& damaged) {
    damaged = false;
    Scratch scratch;
    if (!scratch.put(base))
        return std::nullopt;
    {
        QSettings ini(scratch.path(), QSettings::IniFormat);
        if (ini.status() == QSettings::FormatError) {
            damaged = true;
            return std::nullopt;
        }
        for (const BoolKey& k : kBoolKeys)
            ini.setValue(QLatin1String(k.key), prefs.*k.member);
        for (const IntKey& k : kIntKeys)
            ini.setValue(QLatin1String(k.key), prefs.*k.member);
        if (prefs.pausedUntil.isValid())
            ini.setValue(QLatin1String(kPauseKey), isoWithOffset(prefs.pausedUntil));
        else
            ini.remove(QLatin1String(kPauseKey));
        ini.sync();
        if (ini.status() != QSettings::NoError)
            return std::nullopt;
    }
    return scratch.take();
}

// The file a path stands for: symbolic links followed to their end, also to a target that is
// not there yet. A save replaces that file and leaves the links as they are.
QString resolved(const QString& path) {
    QFileInfo info(QFileInfo(path).absoluteFilePath());
    for (int hops = 0; hops < 40 && info.isSymLink(); ++hops)
        info.setFile(info.symLinkTarget());
    return info.absoluteFilePath();
}

QString shown(const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

// A name beside the damaged file that does not exist yet.
QString keepName(const QString& path) {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = path + QStringLiteral(".beschaedigt-") + stamp;
    for (int n = 2; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name =
            path + QStringLiteral(".beschaedigt-") + stamp + QLatin1Char('-') + QString::number(n);
    return name;
}

} // namespace

QDateTime pauseEnd(PauseChoice pause, const QDateTime& now) {
    // In whole seconds, as the file keeps it.
    const QDateTime from = now.toLocalTime().addMSecs(-now.time().msec());
    switch (pause) {
    case PauseChoice::HalfAnHour:
        return from.addSecs(30 * 60);
    case PauseChoice::OneHour:
        return from.addSecs(60 * 60);
    case PauseChoice::TwoHours:
        return from.addSecs(2 * 60 * 60);
    case PauseChoice::UntilTomorrow:
        break;
    }
    const QTime six(6, 0);
    return QDateTime(from.time() < six ? from.date() : from.date().addDays(1), six);
}

QString PreferencesFile::defaultPath() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return QDir::cleanPath(base + QStringLiteral("/quillet/quillet.conf"));
}

void PreferencesFile::problem(const QString& text) {
    if (onProblem)
        onProblem(text);
}

Preferences PreferencesFile::load(const QString& path) {
    path_ = path;
    keepFile_ = false;
    keepReason_.clear();
    Preferences prefs;

    QByteArray bytes;
    const rt::FileResult read = rt::readFile(path_, kMaxSize + 1, bytes);
    if (!read.ok && !read.existed)
        return prefs;
    const auto keep = [&](const QString& reason) {
        // Whatever the file holds is the user's: it stays as it is for the rest of this run.
        keepFile_ = true;
        keepReason_ = reason;
        problem(QStringLiteral("Die Datei „%1“ mit den weiteren Einstellungen kann nicht gelesen "
                               "werden:\n%2\n\nQuillet arbeitet mit den Standardwerten dieser "
                               "Einstellungen und überschreibt die Datei nicht.")
                    .arg(shown(path_), reason));
        return prefs;
    };
    if (!read.ok)
        return keep(read.reason);
    if (bytes.size() > kMaxSize)
        return keep(QStringLiteral("Sie ist größer als %1 KB").arg(kMaxSize / 1024));

    QMap<QString, QVariant> values;
    switch (parse(bytes, values)) {
    case Parse::Ok:
        break;
    case Parse::NoScratch:
        return keep(QStringLiteral("Im Ordner für temporäre Dateien (%1) kann Quillet nicht "
                                   "arbeiten")
                        .arg(QDir::toNativeSeparators(QDir::tempPath())));
    case Parse::Damaged: {
        // Keep it for the user under another name; the next save starts a fresh file.
        const QString target = resolved(path_);
        const QString kept = keepName(target);
        if (!QFile::rename(target, kept))
            return keep(QStringLiteral("Sie ist beschädigt und konnte nicht beiseitegelegt "
                                       "werden"));
        problem(QStringLiteral("Die Datei „%1“ mit den weiteren Einstellungen ist beschädigt."
                               "\n\nSie wurde als „%2“ aufbewahrt; Quillet beginnt mit den "
                               "Standardwerten dieser Einstellungen.")
                    .arg(shown(path_), QDir::toNativeSeparators(kept)));
        return prefs;
    }
    }

    std::vector<Correction> fixed;
    for (const BoolKey& k : kBoolKeys) {
        const auto it = values.constFind(QLatin1String(k.key));
        if (it == values.cend())
            continue;
        if (const std::optional<bool> on = toBool(*it))
            prefs.*k.member = *on;
        else
            fixed.push_back({QString::fromUtf8(k.label), shownValue(*it), yesNo(prefs.*k.member)});
    }
    for (const IntKey& k : kIntKeys) {
        const auto it = values.constFind(QLatin1String(k.key));
        if (it == values.cend())
            continue;
        bool ok = it->typeId() == QMetaType::QString;
        const int value = ok ? it->toString().trimmed().toInt(&ok) : 0;
        const int bounded = ok ? std::clamp(value, k.min, k.max) : prefs.*k.member;
        prefs.*k.member = bounded;
        if (!ok || bounded != value)
            fixed.push_back(
                {QString::fromUtf8(k.label), shownValue(*it), QString::number(bounded)});
    }
    if (const auto it = values.constFind(QLatin1String(kPauseKey)); it != values.cend()) {
        const QDateTime until = it->typeId() == QMetaType::QString
                                    ? QDateTime::fromString(it->toString().trimmed(), Qt::ISODate)
                                    : QDateTime();
        const QDateTime t = now();
        const QString label = QStringLiteral("Erinnerungen pausiert bis");
        if (!until.isValid()) {
            fixed.push_back({label, shownValue(*it), QStringLiteral("keine Pause")});
        } else if (until > t) {
            // A pause ends at the latest the next morning; one further off came from a clock
            // that was set back, or from a hand.
            const QDateTime latest = latestPauseEnd(t);
            prefs.pausedUntil = std::min(until.toLocalTime(), latest);
            if (until > latest)
                fixed.push_back(
                    {label, shownValue(*it), latest.toString(QStringLiteral("dd.MM.yyyy HH:mm"))});
        } // a pause that has ended is simply over
    }

    // The file keeps its values until the user saves; the same content is told only once.
    if (!fixed.empty() && bytes != reportedContent_) {
        reportedContent_ = bytes;
        QString lines;
        for (const Correction& c : fixed)
            lines += QStringLiteral("\n• %1: %2 statt %3").arg(c.label, c.now, c.was);
        problem(QStringLiteral("In der Datei „%1“ mit den weiteren Einstellungen %2 außerhalb "
                               "der Grenzen. Quillet verwendet:%3\n\nDie Datei bleibt "
                               "unverändert, bis Sie die Einstellungen speichern.")
                    .arg(shown(path_),
                         fixed.size() == 1 ? QStringLiteral("liegt ein Wert")
                                           : QStringLiteral("liegen %1 Werte").arg(fixed.size()),
                         lines));
    }
    return prefs;
}

bool PreferencesFile::save(const Preferences& prefs) {
    if (keepFile_) {
        problem(QStringLiteral("Die weiteren Einstellungen können nicht gespeichert werden: Die "
                               "Datei „%1“ konnte nicht gelesen werden (%2). Damit nichts "
                               "verloren geht, wird sie in dieser Sitzung nicht überschrieben."
                               "\n\nDie geänderten Einstellungen gelten bis Quillet endet.")
                    .arg(shown(path_), keepReason_));
        return false;
    }
    const QString target = resolved(path_);
    const QString folder = QFileInfo(target).absolutePath();
    const rt::FileResult made = rt::makeFolder(folder);
    if (!made.ok) {
        problem(QStringLiteral("Der Ordner „%1“ für die weiteren Einstellungen kann nicht "
                               "angelegt werden:\n%2\n\nDie Einstellungen gelten bis Quillet "
                               "endet, werden aber nicht gespeichert.")
                    .arg(QDir::toNativeSeparators(folder), made.reason));
        return false;
    }
    const QString unchanged = QStringLiteral("Die bisherige Datei bleibt unverändert; die "
                                             "geänderten Einstellungen gelten bis Quillet endet.");

    // What the file holds now, with keys put there since the start, is the base of the new one.
    QByteArray base;
    const rt::FileResult read = rt::readFile(target, kMaxSize + 1, base);
    QString refusal;
    if (!read.ok && read.existed)
        refusal = read.reason;
    else if (base.size() > kMaxSize)
        refusal = QStringLiteral("Sie ist größer als %1 KB").arg(kMaxSize / 1024);
    bool damaged = false;
    const std::optional<QByteArray> bytes =
        refusal.isEmpty() ? compose(base, prefs, damaged) : std::nullopt;
    if (damaged)
        refusal = QStringLiteral("Sie ist inzwischen beschädigt");
    if (!refusal.isEmpty()) {
        problem(QStringLiteral("Die weiteren Einstellungen können nicht gespeichert werden: Die "
                               "Datei „%1“ kann nicht gelesen werden:\n%2\n\n%3")
                    .arg(shown(path_), refusal, unchanged));
        return false;
    }
    if (!bytes) {
        problem(QStringLiteral("Die weiteren Einstellungen können nicht gespeichert werden: Im "
                               "Ordner für temporäre Dateien (%1) kann Quillet nicht arbeiten."
                               "\n\n%2")
                    .arg(QDir::toNativeSeparators(QDir::tempPath()), unchanged));
        return false;
    }

    const rt::FileResult saved = rt::replaceFile(target, *bytes, fileOps);
    if (!saved.ok) {
        problem(QStringLiteral("Die weiteren Einstellungen können nicht in „%1“ gespeichert "
                               "werden:\n%2\n\n%3")
                    .arg(shown(target), saved.reason,
                         saved.existed ? unchanged
                                       : QStringLiteral("Die Einstellungen gelten bis Quillet "
                                                        "endet, werden aber nicht gespeichert.")));
        return false;
    }
    return true;
}

} // namespace desk
