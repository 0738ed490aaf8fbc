#include "desktop/Preferences.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSettings>
#include <QTemporaryDir>
#include <QVariant>

#include <algorithm>
#include <map>
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
    // Named as the window "Weitere Einstellungen" names them.
    {"NaturalBreak/enabled", &Preferences::naturalBreak, "Natürliche Pausen erkennen"},
    {"Hold/fullScreen", &Preferences::holdFullScreen,
     "Nicht stören, solange ein Programm im Vollbild läuft"},
    {"Hold/doNotDisturb", &Preferences::holdDoNotDisturb,
     "Nicht stören, solange „Nicht stören“ eingeschaltet ist"},
    {"Hold/screenKeptAwake", &Preferences::holdInhibitors,
     "Nicht stören, solange ein Programm den Bildschirm wach hält (Video, Anruf)"},
    {"Hold/call", &Preferences::holdCalls,
     "Während eines Gesprächs nicht stören (Mikrofon oder Kamera in Gebrauch)"},
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
     kNaturalBreakMaxMinutes, "Natürliche Pausen erkennen nach … Minuten ohne Eingabe"},
    {"Postpone/minutes", &Preferences::postponeMinutes, kPostponeMinMinutes, kPostponeMaxMinutes,
     "„Später“ verschiebt um … Minuten"},
    {"Postpone/limit", &Preferences::postponeLimit, 0, kPostponeMaxLimit,
     "Höchstens … Mal nacheinander verschieben"},
};

constexpr const char* kPauseKey = "Pause/until";
constexpr const char* kProgramsKey = "Hold/programs";

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

// A list of programs as the value of one INI line: "obs, libreoffice-impress". A name that
// QSettings would otherwise split or take for something else (a comma, a semicolon, a quote,
// spaces at its ends, a leading "@") goes in quotes; control characters, which no window class
// needs, are left out.
QByteArray listValue(const QStringList& names) {
    QByteArrayList items;
    for (const QString& name : names) {
        QString clean;
        for (const QChar c : name)
            if (!c.isNull() && c.category() != QChar::Other_Control)
                clean += c;
        if (clean.isEmpty())
            continue;
        QByteArray item = clean.toUtf8();
        if (item.startsWith('@'))
            item.prepend('@');
        const bool plain =
            item.trimmed() == item && std::none_of(item.begin(), item.end(), [](char c) {
                return c == ',' || c == ';' || c == '"' || c == '\\' || c == '=';
            });
        if (!plain)
            item = '"' + item.replace('\\', "\\\\").replace('"', "\\\"") + '"';
        items << item;
    }
    return items.join(", ");
}

// The programs as QSettings read them: one name is a string, several a list. Names are
// trimmed; blank ones and repeats (in any letter case) are dropped.
std::optional<QStringList> listOf(const QVariant& v) {
    QStringList read;
    if (v.typeId() == QMetaType::QString)
        read << v.toString();
    else if (v.typeId() == QMetaType::QStringList)
        read = v.toStringList();
    else
        return std::nullopt;
    QStringList names;
    for (const QString& name : read) {
        const QString n = name.trimmed();
        if (!n.isEmpty() && !names.contains(n, Qt::CaseInsensitive))
            names << n;
    }
    return names;
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

// The text of the file as this program can trust it: UTF-8 (a byte order mark allowed), no
// control characters but tabs and line ends, and every line blank, a comment (";" or "#"), a
// section ("[Name]") or a key with a value ("key=value"; a value goes on over lines that end in
// a backslash). An empty file is fine. What a crash leaves (NUL bytes), a file saved as UTF-16
// or random bytes is none of this, though QSettings would take it without a word.
const QByteArray kBom("\xEF\xBB\xBF");

QByteArray withoutBom(const QByteArray& bytes) {
    return bytes.startsWith(kBom) ? bytes.sliced(kBom.size()) : bytes;
}

bool isComment(const QByteArray& trimmed) {
    return trimmed.startsWith(';') || trimmed.startsWith('#');
}

// The lines of a text, without their line ends ("\n" or "\r\n").
QList<QByteArray> linesOf(const QByteArray& text) {
    QList<QByteArray> lines = text.split('\n');
    if (text.endsWith('\n') || text.isEmpty())
        lines.removeLast();
    for (QByteArray& line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    return lines;
}

// A "[Name]" line's section; empty when the line is none.
std::optional<QByteArray> sectionOf(const QByteArray& trimmed) {
    if (!trimmed.startsWith('['))
        return std::nullopt;
    const qsizetype close = trimmed.indexOf(']');
    if (close < 0)
        return std::nullopt;
    const QByteArray rest = trimmed.sliced(close + 1).trimmed();
    if (!rest.isEmpty() && !isComment(rest))
        return std::nullopt;
    return trimmed.sliced(1, close - 1).trimmed();
}

bool iniShaped(const QByteArray& bytes) {
    const QByteArray text = withoutBom(bytes);
    if (!QByteArrayView(text).isValidUtf8())
        return false;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') ||
            c == '\x7f')
            return false;
    bool continued = false;
    for (const QByteArray& line : linesOf(text)) {
        const QByteArray trimmed = line.trimmed();
        if (continued) {
            continued = trimmed.endsWith('\\');
            continue;
        }
        if (trimmed.isEmpty() || isComment(trimmed))
            continue;
        if (trimmed.startsWith('[')) {
            if (!sectionOf(trimmed))
                return false;
            continue;
        }
        const qsizetype equals = trimmed.indexOf('=');
        if (equals <= 0)
            return false;
        continued = trimmed.endsWith('\\');
    }
    return true;
}

// QSettings reads files only. Parsing goes through a copy in a folder of our own, so QSettings'
// cache never holds the user's file. The copy has no byte order mark and no comments: QSettings
// takes a "#" line for a key without a value, and the mark for part of the first key.
class Scratch {
public:
    bool put(const QByteArray& bytes) {
        if (!dir_.isValid())
            return false;
        QFile f(path());
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush();
    }
    QString path() const { return dir_.filePath(QStringLiteral("quillet.conf")); }

private:
    QTemporaryDir dir_;
};

enum class Parse { Ok, Damaged, NoScratch };

Parse parse(const QByteArray& bytes, QMap<QString, QVariant>& values) {
    if (!iniShaped(bytes))
        return Parse::Damaged;
    QByteArray plain;
    for (const QByteArray& line : linesOf(withoutBom(bytes)))
        if (!isComment(line.trimmed()))
            plain += line + '\n';
    Scratch scratch;
    if (!scratch.put(plain))
        return Parse::NoScratch;
    QSettings ini(scratch.path(), QSettings::IniFormat);
    // QSettings reads the file at the first question, and only then knows whether it could.
    const QStringList keys = ini.allKeys();
    if (ini.status() == QSettings::FormatError)
        return Parse::Damaged;
    if (ini.status() != QSettings::NoError)
        return Parse::NoScratch;
    for (const QString& key : keys)
        values.insert(key, ini.value(key));
    return Parse::Ok;
}

// One key of this program's, with the text of its new value; no value removes the key.
struct Setting {
    QByteArray section, key;
    std::optional<QByteArray> value;
    bool written = false;
};

std::vector<Setting> settingsOf(const Preferences& prefs) {
    std::vector<Setting> out;
    const auto add = [&out](const char* path, std::optional<QByteArray> value) {
        const QByteArray p(path);
        const qsizetype slash = p.indexOf('/');
        out.push_back({p.first(slash), p.sliced(slash + 1), std::move(value)});
    };
    for (const BoolKey& k : kBoolKeys)
        add(k.key, QByteArray(prefs.*k.member ? "true" : "false"));
    for (const IntKey& k : kIntKeys)
        add(k.key, QByteArray::number(prefs.*k.member));
    add(kProgramsKey, listValue(prefs.heldPrograms));
    add(kPauseKey, prefs.pausedUntil.isValid()
                       ? std::optional(isoWithOffset(prefs.pausedUntil).toUtf8())
                       : std::nullopt);
    return out;
}

// The comment after an unquoted value (" ; text"), kept when the value changes.
QByteArray inlineComment(const QByteArray& value) {
    bool quoted = false;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && quoted) {
            ++i; // an escaped character inside quotes
        } else if (value[i] == '"') {
            quoted = !quoted;
        } else if (value[i] == ';' && !quoted) {
            while (i > 0 && (value[i - 1] == ' ' || value[i - 1] == '\t'))
                --i;
            return value.sliced(i);
        }
    }
    return {};
}

// The text of `base` (a file that passed iniShaped, or none) with this program's keys set to
// `prefs`. Everything else stays as the user left it: comments, blank lines, other keys and the
// order of all. A key of ours changes in its own line; one the file lacks goes at the end of
// its section, or into a new section at the end.
QByteArray compose(const QByteArray& base, const Preferences& prefs) {
    std::vector<Setting> settings = settingsOf(prefs);
    const QByteArray body = withoutBom(base);
    QList<QByteArray> out;
    std::map<QByteArray, qsizetype> sectionEnd; // where a key added to a section goes in `out`
    QByteArray section;
    bool continued = false; // the line goes on with the value of the line before
    bool dropped = false;   // that value is one of ours, replaced
    for (const QByteArray& line : linesOf(body)) {
        const QByteArray trimmed = line.trimmed();
        if (continued) {
            continued = trimmed.endsWith('\\');
            if (!dropped) {
                out << line;
                sectionEnd[section] = out.size();
            }
            continue;
        }
        if (trimmed.isEmpty() || isComment(trimmed)) {
            out << line;
            continue;
        }
        if (const std::optional<QByteArray> name = sectionOf(trimmed)) {
            section = *name;
            out << line;
            sectionEnd[section] = out.size();
            continue;
        }
        continued = trimmed.endsWith('\\');
        const qsizetype equals = line.indexOf('=');
        const QByteArray key = line.first(equals).trimmed();
        const auto it = std::find_if(settings.begin(), settings.end(), [&](const Setting& s) {
            return s.section == section && s.key == key;
        });
        dropped = it != settings.end();
        if (!dropped) {
            out << line;
            sectionEnd[section] = out.size();
            continue;
        }
        if (it->written || !it->value)
            continue; // removed, or the key once more
        it->written = true;
        const QByteArray value = line.sliced(equals + 1);
        if (!continued && value.trimmed() == *it->value) {
            out << line; // unchanged, to the byte
        } else {
            // The spacing around the value and a comment after it stay.
            qsizetype blanks = 0;
            while (blanks < value.size() && (value[blanks] == ' ' || value[blanks] == '\t'))
                ++blanks;
            out << line.first(equals + 1 + blanks) + *it->value +
                       (continued ? QByteArray() : inlineComment(value));
        }
        sectionEnd[section] = out.size();
    }

    // The keys the file lacks, section by section in the order of this program's keys.
    QList<QByteArray> order;
    std::map<QByteArray, QList<QByteArray>> missing;
    for (const Setting& s : settings) {
        if (s.written || !s.value)
            continue;
        if (!missing.count(s.section))
            order << s.section;
        missing[s.section] << s.key + '=' + *s.value;
    }
    // Into sections the file has, from the last place backwards so earlier places stay.
    std::vector<std::pair<qsizetype, QByteArray>> into;
    for (const QByteArray& name : order)
        if (const auto end = sectionEnd.find(name); end != sectionEnd.end())
            into.emplace_back(end->second, name);
    std::sort(into.begin(), into.end(), [](const auto& a, const auto& b) { return a > b; });
    for (const auto& [at, name] : into)
        for (qsizetype k = missing[name].size() - 1; k >= 0; --k)
            out.insert(at, missing[name][k]);
    for (const QByteArray& name : order) {
        if (sectionEnd.count(name))
            continue;
        if (!out.isEmpty() && !out.last().trimmed().isEmpty())
            out << QByteArray();
        out << '[' + name + ']';
        out += missing[name];
    }

    const QByteArray eol = body.contains("\r\n") ? QByteArray("\r\n") : QByteArray("\n");
    QByteArray text = base.startsWith(kBom) ? kBom : QByteArray();
    for (const QByteArray& line : out)
        text += line + eol;
    return text;
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
    if (const auto it = values.constFind(QLatin1String(kProgramsKey)); it != values.cend()) {
        if (const std::optional<QStringList> names = listOf(*it))
            prefs.heldPrograms = *names;
        else
            fixed.push_back({QStringLiteral("Programme, bei denen Erinnerungen warten"),
                             shownValue(*it), QStringLiteral("keine")});
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
        problem(QStringLiteral("In der Datei „%1“ mit den weiteren Einstellungen %2 ungültig "
                               "oder außerhalb der Grenzen. Quillet verwendet:%3\n\nDie Datei "
                               "bleibt unverändert, bis Sie die Einstellungen speichern.")
                    .arg(shown(path_),
                         fixed.size() == 1 ? QStringLiteral("ist ein Wert")
                                           : QStringLiteral("sind %1 Werte").arg(fixed.size()),
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
    if (refusal.isEmpty() && !iniShaped(base))
        refusal = QStringLiteral("Sie ist inzwischen beschädigt");
    if (!refusal.isEmpty()) {
        problem(QStringLiteral("Die weiteren Einstellungen können nicht gespeichert werden: Die "
                               "Datei „%1“ kann nicht gelesen werden:\n%2\n\n%3")
                    .arg(shown(path_), refusal, unchanged));
        return false;
    }
    const QByteArray bytes = compose(base, prefs);

    const rt::FileResult saved = rt::replaceFile(target, bytes, fileOps);
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
