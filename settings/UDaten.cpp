#include "settings/UDaten.h"

#include "runtime/SafeFile.h"
#include "settings/SettingsBounds.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

const std::array<ByteField, 7> kByteFields{{
    {"HelpFirst", &TSettings::HelpFirst, 9},
    {"Sound", &TSettings::Sound, 10},
    {"Text", &TSettings::Text, 11},
    {"DSTimer", &TSettings::DSTimer, 12},
    {"HoursPerDay", &TSettings::HoursPerDay, 13},
    {"T1On", &TSettings::T1On, 14},
    {"T2On", &TSettings::T2On, 15},
}};

const std::array<WordField, 77> kWordFields{{
    {"h1", &TSettings::h1, 16},
    {"m1", &TSettings::m1, 18},
    {"s1", &TSettings::s1, 20},
    {"h2", &TSettings::h2, 22},
    {"m2", &TSettings::m2, 24},
    {"s2", &TSettings::s2, 26},
    {"hSTr", &TSettings::hSTr, 28},
    {"mSTr", &TSettings::mSTr, 30},
    {"sSTr", &TSettings::sSTr, 32},
    {"hS", &TSettings::hS, 34},
    {"mS", &TSettings::mS, 36},
    {"sS", &TSettings::sS, 38},
    {"Reserved40", &TSettings::Reserved40, 40},
    {"Reserved42", &TSettings::Reserved42, 42},
    {"Reserved44", &TSettings::Reserved44, 44},
    {"Atm1m", &TSettings::Atm1m, 46},
    {"Atm1s", &TSettings::Atm1s, 48},
    {"Atm2m", &TSettings::Atm2m, 50},
    {"Atm2s", &TSettings::Atm2s, 52},
    {"Atm3m", &TSettings::Atm3m, 54},
    {"Atm3s", &TSettings::Atm3s, 56},
    {"Atm4m", &TSettings::Atm4m, 58},
    {"Atm4s", &TSettings::Atm4s, 60},
    {"AtmZ1", &TSettings::AtmZ1, 62},
    {"Atm5m", &TSettings::Atm5m, 64},
    {"Atm5s", &TSettings::Atm5s, 66},
    {"Atm6m", &TSettings::Atm6m, 68},
    {"Atm6s", &TSettings::Atm6s, 70},
    {"AtmZ2", &TSettings::AtmZ2, 72},
    {"Yog1D", &TSettings::Yog1D, 74},
    {"Yog1s", &TSettings::Yog1s, 76},
    {"Yog2D", &TSettings::Yog2D, 78},
    {"Yog2s", &TSettings::Yog2s, 80},
    {"Yog3D", &TSettings::Yog3D, 82},
    {"Yog3s", &TSettings::Yog3s, 84},
    {"Yog4D", &TSettings::Yog4D, 86},
    {"Yog4s", &TSettings::Yog4s, 88},
    {"Yog5D", &TSettings::Yog5D, 90},
    {"Yog5s", &TSettings::Yog5s, 92},
    {"Yog6D", &TSettings::Yog6D, 94},
    {"Yog6s", &TSettings::Yog6s, 96},
    {"Yog7D", &TSettings::Yog7D, 98},
    {"Yog7s", &TSettings::Yog7s, 100},
    {"Yog8D", &TSettings::Yog8D, 102},
    {"Yog8s", &TSettings::Yog8s, 104},
    {"Yog9D", &TSettings::Yog9D, 106},
    {"Yog9s", &TSettings::Yog9s, 108},
    {"Yog10D", &TSettings::Yog10D, 110},
    {"Yog10s", &TSettings::Yog10s, 112},
    {"Aug1D", &TSettings::Aug1D, 114},
    {"Aug1s", &TSettings::Aug1s, 116},
    {"Aug2D", &TSettings::Aug2D, 118},
    {"Aug2s", &TSettings::Aug2s, 120},
    {"Aug3D", &TSettings::Aug3D, 122},
    {"Aug3s", &TSettings::Aug3s, 124},
    {"Aug4m", &TSettings::Aug4m, 126},
    {"Aug4s", &TSettings::Aug4s, 128},
    {"Ent1m", &TSettings::Ent1m, 130},
    {"Ent1s", &TSettings::Ent1s, 132},
    {"Ent2m", &TSettings::Ent2m, 134},
    {"Ent2s", &TSettings::Ent2s, 136},
    {"Ent3m", &TSettings::Ent3m, 138},
    {"Ent3s", &TSettings::Ent3s, 140},
    {"Ent4m", &TSettings::Ent4m, 142},
    {"Ent4s", &TSettings::Ent4s, 144},
    {"Ent5m", &TSettings::Ent5m, 146},
    {"Ent5s", &TSettings::Ent5s, 148},
    {"Ent6m", &TSettings::Ent6m, 150},
    {"Ent6s", &TSettings::Ent6s, 152},
    {"Ent7m", &TSettings::Ent7m, 154},
    {"Ent7s", &TSettings::Ent7s, 156},
    {"Ent8m", &TSettings::Ent8m, 158},
    {"Ent8s", &TSettings::Ent8s, 160},
    {"Ent9m", &TSettings::Ent9m, 162},
    {"Ent9s", &TSettings::Ent9s, 164},
    {"Ent10m", &TSettings::Ent10m, 166},
    {"Ent10s", &TSettings::Ent10s, 168},
}};

SettingsBytes encodeSettings(const TSettings& s) {
    SettingsBytes b{};
    for (int i = 0; i < 9; ++i)
        b[kPasswortOffset + i] = s.Passwort[i];
    for (const ByteField& f : kByteFields)
        b[f.offset] = s.*f.member;
    for (const WordField& f : kWordFields) {
        const std::uint16_t v = s.*f.member;
        b[f.offset] = std::uint8_t(v & 0xff);
        b[f.offset + 1] = std::uint8_t(v >> 8);
    }
    return b;
}

TSettings decodeSettings(const SettingsBytes& b) {
    TSettings s;
    for (int i = 0; i < 9; ++i)
        s.Passwort[i] = b[kPasswortOffset + i];
    for (const ByteField& f : kByteFields)
        s.*f.member = b[f.offset];
    for (const WordField& f : kWordFields)
        s.*f.member = std::uint16_t(b[f.offset] | (b[f.offset + 1] << 8));
    return s;
}

QString UDaten::userConfigDir() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return QDir::cleanPath(base + QStringLiteral("/quillet"));
}

void UDaten::problem(const QString& text) {
    if (onProblem)
        onProblem(text);
}

// User.dat in the settings folder, and nowhere else: folders that happen to stand beside it
// (a "system" or "system32") do not move it.
// Runs once at start, before any save of this run: the new files of saves that were killed
// half-way are removed.
void UDaten::LocateSettingsFile() {
    const QString folder = WindowsDir.isEmpty() ? userConfigDir() : WindowsDir;
    SettingsPath = folder + QStringLiteral("/User.dat");
    rt::removeStaleTemporaries(SettingsPath);
}

namespace {

// A name beside the damaged file that does not exist yet.
QString keepName(const QString& path) {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = path + QStringLiteral(".beschaedigt-") + stamp;
    for (int n = 2; QFileInfo::exists(name); ++n)
        name =
            path + QStringLiteral(".beschaedigt-") + stamp + QLatin1Char('-') + QString::number(n);
    return name;
}

QString shown(const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

} // namespace

void UDaten::LoadSettings() {
    // Changes that could not be saved are newer than the file: they hold until Quillet ends
    // or a later save succeeds, as the user was told.
    if (unsaved_)
        return;
    QByteArray bytes;
    const rt::FileResult read = rt::readFile(SettingsPath, kSettingsSize, bytes);
    if (!read.ok && !read.existed) {
        DefaultSettings();
        return;
    }
    if (!read.ok) {
        // Whatever the file holds is the user's: it stays as it is for the rest of this run.
        keepFile_ = true;
        keepReason_ = read.reason;
        problem(QStringLiteral("Die Einstellungsdatei „%1“ kann nicht gelesen werden:\n%2\n\n"
                               "Quillet arbeitet mit den %3 weiter und überschreibt die Datei "
                               "nicht.")
                    .arg(shown(SettingsPath), read.reason,
                         // Read at start, nothing but the defaults is there yet.
                         haveRecord_ ? QStringLiteral("bisherigen Einstellungen")
                                     : QStringLiteral("Standardeinstellungen")));
        return;
    }
    if (bytes.size() < kSettingsSize) {
        // Too short to be a record: keep it for the user, then start afresh. Behind a link, the
        // file itself is set aside, so that the link leads to the new one.
        QString path;
        rt::linkTarget(SettingsPath, path);
        path = QFileInfo(path).absoluteFilePath();
        const QString kept = keepName(path);
        if (!QFile::rename(path, kept)) {
            keepFile_ = true;
            keepReason_ = QStringLiteral("sie ist beschädigt und konnte nicht beiseitegelegt "
                                         "werden");
            problem(QStringLiteral("Die Einstellungsdatei „%1“ ist beschädigt (%2 von %3 Bytes) "
                                   "und kann nicht umbenannt werden.\n\nQuillet arbeitet mit den "
                                   "Standardeinstellungen und überschreibt die Datei nicht.")
                        .arg(shown(path))
                        .arg(bytes.size())
                        .arg(kSettingsSize));
            Settings = TSettings{};
            Settings.Passwort[0] = 1;
            Settings.Passwort[1] = std::uint8_t(kPasswortPlaceholder);
            return;
        }
        problem(QStringLiteral("Die Einstellungsdatei „%1“ ist beschädigt (%2 von %3 Bytes).\n\n"
                               "Sie wurde als „%4“ aufbewahrt; Quillet beginnt mit den "
                               "Standardeinstellungen.")
                    .arg(shown(path))
                    .arg(bytes.size())
                    .arg(kSettingsSize)
                    .arg(QDir::toNativeSeparators(kept)));
        keepFile_ = false;
        DefaultSettings();
        return;
    }
    SettingsBytes record{};
    std::copy_n(reinterpret_cast<const std::uint8_t*>(bytes.constData()), kSettingsSize,
                record.begin());
    Settings = decodeSettings(record);
    // What is in memory now is what the file holds, so saving over it loses nothing.
    keepFile_ = false;
    haveRecord_ = true;
    const std::vector<BoundsCorrection> fixed = boundSettings(Settings);
    // The file keeps its values until the user saves; the same record is reported only once.
    if (!fixed.empty() && record != reportedRecord_) {
        reportedRecord_ = record;
        reportBounds(fixed);
    }
}

void UDaten::reportBounds(const std::vector<BoundsCorrection>& fixed) {
    constexpr std::size_t kListed = 12;
    QString lines;
    for (std::size_t i = 0; i < fixed.size() && i < kListed; ++i)
        lines += QStringLiteral("\n• %1: %2 statt %3")
                     .arg(fixed[i].label)
                     .arg(fixed[i].now)
                     .arg(fixed[i].was);
    if (fixed.size() > kListed)
        lines += QStringLiteral("\n• und %1 weitere").arg(fixed.size() - kListed);
    problem(QStringLiteral("In der Einstellungsdatei „%1“ %2 außerhalb der Grenzen des "
                           "Einstellungsfensters. Quillet verwendet:%3\n\nDie Datei bleibt "
                           "unverändert, bis Sie die Einstellungen speichern.")
                .arg(shown(SettingsPath),
                     fixed.size() == 1 ? QStringLiteral("liegt ein Wert")
                                       : QStringLiteral("liegen %1 Werte").arg(fixed.size()),
                     lines));
}

bool UDaten::SaveSettings() {
    unsaved_ = !saveRecord();
    return !unsaved_;
}

bool UDaten::saveRecord() {
    if (keepFile_) {
        problem(QStringLiteral("Die Einstellungen können nicht gespeichert werden: Die Datei "
                               "„%1“ konnte nicht gelesen werden (%2). Damit nichts verloren "
                               "geht, wird sie in dieser Sitzung nicht überschrieben.\n\n"
                               "Die geänderten Einstellungen gelten bis Quillet endet.")
                    .arg(shown(SettingsPath), keepReason_));
        return false;
    }
    const QString folder = QFileInfo(SettingsPath).absolutePath();
    const rt::FileResult made = rt::makeFolder(folder);
    if (!made.ok) {
        problem(QStringLiteral("Der Ordner „%1“ für die Einstellungen kann nicht angelegt "
                               "werden:\n%2\n\nDie Einstellungen gelten bis Quillet endet, "
                               "werden aber nicht gespeichert.")
                    .arg(QDir::toNativeSeparators(folder), made.reason));
        return false;
    }
    const SettingsBytes bytes = encodeSettings(Settings);
    const rt::FileResult saved = rt::replaceFile(
        SettingsPath, QByteArray(reinterpret_cast<const char*>(bytes.data()), kSettingsSize),
        fileOps);
    if (!saved.ok) {
        problem(QStringLiteral("Die Einstellungen können nicht in „%1“ gespeichert werden:\n"
                               "%2\n\n%3")
                    .arg(shown(SettingsPath), saved.reason,
                         saved.existed ? QStringLiteral("Die bisherige Datei bleibt unverändert; "
                                                        "die geänderten Einstellungen gelten "
                                                        "bis Quillet endet.")
                                       : QStringLiteral("Die Einstellungen gelten bis Quillet "
                                                        "endet, werden aber nicht gespeichert.")));
    }
    return saved.ok;
}

void UDaten::DefaultSettings() {
    haveRecord_ = true;
    const auto password = Settings.Passwort;
    Settings = TSettings{};
    Settings.Passwort = password;
    Settings.Passwort[0] = 1;
    Settings.Passwort[1] = std::uint8_t(kPasswortPlaceholder);
    SaveSettings();
}
