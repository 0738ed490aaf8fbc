#include "desktop/Preferences.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <unistd.h>

using desk::Preferences;
using desk::PreferencesFile;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

class PreferencesFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        file.onProblem = [this](const QString& t) { problems << t; };
        file.now = [] { return QDateTime(QDate(2025, 3, 4), QTime(14, 0)); };
    }
    QString path(const char* name = "quillet.conf") const { return dir.filePath(name); }

    QTemporaryDir dir;
    PreferencesFile file;
    QStringList problems;
};

} // namespace

TEST_F(PreferencesFileTest, NoFileGivesTheDefaultsSilentlyAndTheFolderIsMadeOnSaving) {
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
    EXPECT_EQ(PreferencesFile::defaultPath(), dir.path() + QStringLiteral("/quillet/quillet.conf"));
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(file.load(dir.filePath(QStringLiteral("quillet/quillet.conf"))), Preferences{});
    EXPECT_TRUE(problems.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("quillet"))));
    EXPECT_TRUE(file.save(Preferences{}));
    EXPECT_TRUE(readAll(file.path()).contains("minutes=5"));
}

TEST_F(PreferencesFileTest, RoundTripKeepsKeysOfOthers) {
    writeBytes(path(), "[Later]\nwaitInPanel=true\n[NaturalBreak]\nsomethingNew=7\n");
    file.load(path());
    Preferences p;
    p.naturalBreak = false;
    p.naturalBreakMinutes = 17;
    p.holdDoNotDisturb = false;
    p.waitInPanel = true;
    p.pausedUntil = QDateTime(QDate(2025, 3, 4), QTime(16, 30));
    ASSERT_TRUE(file.save(p));
    const QString text = QString::fromUtf8(readAll(path()));
    EXPECT_TRUE(text.contains(QStringLiteral("[Later]\nwaitInPanel=true"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("[Panel]\nwaitInPanel=true")));
    EXPECT_TRUE(text.contains(QStringLiteral("somethingNew=7")));
    // ISO 8601 with the offset from UTC, so a change of zone or summer time reads it right.
    EXPECT_TRUE(text.contains(
        QRegularExpression(QStringLiteral("until=2025-03-04T\\d\\d:30:00(Z|[+-]\\d\\d:\\d\\d)"))));
    PreferencesFile other;
    other.now = file.now;
    EXPECT_EQ(other.load(path()), p);

    p.pausedUntil = {}; // the pause ended
    ASSERT_TRUE(file.save(p));
    EXPECT_FALSE(readAll(path()).contains("until"));
    EXPECT_TRUE(problems.isEmpty()) << problems.join('\n').toStdString();
}

TEST_F(PreferencesFileTest, ValuesOutOfBoundsAreBroughtInAndToldOncePerContent) {
    const QByteArray content = "[NaturalBreak]\nenabled=vielleicht\nminutes=90\n"
                               "[Hold]\nfullScreen=false\n[Pause]\nuntil=2025-03-09T06:00:00Z\n";
    writeBytes(path(), content);
    Preferences p = file.load(path());
    EXPECT_TRUE(p.naturalBreak);
    EXPECT_EQ(p.naturalBreakMinutes, 60);
    EXPECT_FALSE(p.holdFullScreen);
    // No pause chosen at 14:00 lasts beyond 06:00 the next morning.
    EXPECT_EQ(p.pausedUntil, QDateTime(QDate(2025, 3, 5), QTime(6, 0)));
    ASSERT_EQ(problems.size(), 1);
    // "vielleicht" is no value at all; the lines name the settings as the window does.
    EXPECT_TRUE(problems[0].contains(QStringLiteral("sind 3 Werte ungültig oder außerhalb")))
        << problems[0].toStdString();
    EXPECT_TRUE(problems[0].contains(QStringLiteral("• Natürliche Pausen erkennen: ein statt")))
        << problems[0].toStdString();
    EXPECT_TRUE(problems[0].contains(QStringLiteral("60 statt „90“")));
    file.load(path());
    EXPECT_EQ(problems.size(), 1) << "the same content is told once";
    EXPECT_EQ(readAll(path()), content) << "loading writes nothing";

    writeBytes(path(), "[NaturalBreak]\nminutes=0\n[Pause]\nuntil=2025-03-04T13:59:00Z\n");
    p = file.load(path());
    EXPECT_EQ(p.naturalBreakMinutes, 1);
    EXPECT_FALSE(p.pausedUntil.isValid()) << "a pause that has ended is over, without a word";
    EXPECT_EQ(problems.size(), 2);
}

TEST_F(PreferencesFileTest, DamagedFileIsKeptAsideAndNotOverwritten) {
    const QByteArray damaged("[NaturalBreak\nminutes=12\n\0\0\x01", 27);
    writeBytes(path(), damaged);
    EXPECT_EQ(file.load(path()), Preferences{});
    ASSERT_EQ(problems.size(), 1);
    const QStringList kept =
        QDir(dir.path()).entryList({QStringLiteral("quillet.conf.beschaedigt-*")}, QDir::Files);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_TRUE(problems[0].contains(kept[0])) << problems[0].toStdString();
    EXPECT_EQ(readAll(dir.filePath(kept[0])), damaged);
    EXPECT_TRUE(file.save(Preferences{}));
    EXPECT_EQ(readAll(dir.filePath(kept[0])), damaged);
}

// What a crash leaves, a file saved as UTF-16 and random bytes: QSettings takes each without a
// word, so each is looked at before it: kept aside, told in German, and the next save works.
TEST_F(PreferencesFileTest, NulBytesUtf16AndRandomBytesAreDamagedAndTheNextSaveWorks) {
    const QString text = QStringLiteral("[Hold]\nfullScreen=false\n");
    QByteArray random;
    for (int i = 0; i < 300; ++i)
        random += char((i * 73 + 41) % 256 ^ (i >> 2));
    const QList<QPair<const char*, QByteArray>> cases{
        {"NUL", QByteArray(4096, '\0')},
        {"UTF-16", QByteArray("\xFF\xFE", 2) +
                       QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2)},
        {"random", random},
        {"Latin-1", QByteArray("[Hold]\n; M\xFCller\nfullScreen=false\n")},
        {"no key", QByteArray("[Hold]\nfullScreen\n")},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        QTemporaryDir own;
        const QString at = own.filePath(QStringLiteral("quillet.conf"));
        writeBytes(at, bytes);
        problems.clear();
        EXPECT_EQ(file.load(at), Preferences{});
        ASSERT_EQ(problems.size(), 1);
        EXPECT_TRUE(problems[0].contains(QStringLiteral("ist beschädigt")))
            << problems[0].toStdString();
        const QStringList kept =
            QDir(own.path()).entryList({QStringLiteral("quillet.conf.beschaedigt-*")});
        ASSERT_EQ(kept.size(), 1);
        EXPECT_EQ(readAll(own.filePath(kept[0])), bytes);
        Preferences p;
        p.holdFullScreen = false;
        EXPECT_TRUE(file.save(p));
        EXPECT_EQ(problems.size(), 1) << problems.join('\n').toStdString();
        EXPECT_EQ(PreferencesFile().load(at), p);
    }

    // Garbage written over the file while the program runs is not replaced, and said to be what
    // it is, not a problem of the folder for temporary files.
    file.load(path());
    writeBytes(path(), QByteArray(64, '\0'));
    problems.clear();
    EXPECT_FALSE(file.save(Preferences{}));
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].contains(QStringLiteral("inzwischen beschädigt")))
        << problems[0].toStdString();
    EXPECT_EQ(readAll(path()), QByteArray(64, '\0'));
}

TEST_F(PreferencesFileTest, SavingKeepsCommentsOrderAndLineEndsAndChangesOnlyOurLines) {
    const QByteArray before = "\xEF\xBB\xBF# Quillet, von Hand\r\n"
                              "[Mine]\r\nb=2\r\na=1\r\n\r\n"
                              "[Hold]\r\n; im Büro\r\nfullScreen = true ; werktags\r\n"
                              "doNotDisturb=true\r\n\r\n"
                              "[Pause]\r\nuntil=2025-03-04T16:30:00Z\r\n";
    writeBytes(path(), before);
    Preferences loaded = file.load(path());
    EXPECT_TRUE(problems.isEmpty()) << problems.join('\n').toStdString();
    EXPECT_EQ(loaded.pausedUntil,
              QDateTime::fromString(QStringLiteral("2025-03-04T16:30:00Z"), Qt::ISODate))
        << "the file's comments and mark take nothing from its values";
    Preferences p = loaded;
    p.holdFullScreen = false;
    p.naturalBreakMinutes = 9;
    p.pausedUntil = {};
    ASSERT_TRUE(file.save(p));
    EXPECT_EQ(readAll(path()).toStdString(),
              std::string("\xEF\xBB\xBF# Quillet, von Hand\r\n"
                          "[Mine]\r\nb=2\r\na=1\r\n\r\n"
                          "[Hold]\r\n; im Büro\r\nfullScreen = false ; werktags\r\n"
                          "doNotDisturb=true\r\nscreenKeptAwake=true\r\ncall=true\r\n"
                          "programs=\r\n\r\n"
                          "[Pause]\r\n\r\n"
                          "[NaturalBreak]\r\nenabled=true\r\nminutes=9\r\n"
                          "\r\n[Panel]\r\nwaitInPanel=false\r\n"
                          "\r\n[Postpone]\r\nminutes=5\r\nlimit=3\r\n"));
    EXPECT_EQ(PreferencesFile().load(path()), p);
    EXPECT_TRUE(problems.isEmpty()) << problems.join('\n').toStdString();
}

TEST_F(PreferencesFileTest, FileThatCannotBeReadIsNeverWrittenInThatRun) {
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("quillet.conf")));
    EXPECT_EQ(file.load(path()), Preferences{});
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].contains(QStringLiteral("Ordner"))) << problems[0].toStdString();
    EXPECT_FALSE(file.save(Preferences{}));
    EXPECT_EQ(problems.size(), 2) << "a refused save is told";
    EXPECT_TRUE(QFileInfo(path()).isDir());
    // Not even once the place holds a file again: this run never read what it holds.
    ASSERT_TRUE(QDir(dir.path()).rmdir(QStringLiteral("quillet.conf")));
    writeBytes(path(), "[Hold]\nfullScreen=false\n");
    EXPECT_FALSE(file.save(Preferences{}));
    EXPECT_EQ(readAll(path()), "[Hold]\nfullScreen=false\n");

    if (::geteuid() == 0)
        return; // root reads any file
    writeBytes(path("locked.conf"), "[NaturalBreak]\nminutes=9\n");
    ASSERT_TRUE(QFile::setPermissions(path("locked.conf"), QFile::WriteOwner));
    EXPECT_EQ(file.load(path("locked.conf")).naturalBreakMinutes, 5);
    EXPECT_FALSE(file.save(Preferences{}));
    QFile::setPermissions(path("locked.conf"), QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(readAll(path("locked.conf")), "[NaturalBreak]\nminutes=9\n");
    EXPECT_TRUE(problems[3].contains(QStringLiteral("Keine Berechtigung")));
}

TEST_F(PreferencesFileTest, SymbolicLinkIsSavedThroughToItsTarget) {
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("dotfiles")));
    const QString target = dir.filePath(QStringLiteral("dotfiles/quillet.conf"));
    writeBytes(target, "[Mine]\nkeep=1\n");
    ASSERT_EQ(::symlink("dotfiles/quillet.conf", QFile::encodeName(path()).constData()), 0);
    file.load(path());
    Preferences p;
    p.naturalBreakMinutes = 8;
    ASSERT_TRUE(file.save(p));
    EXPECT_TRUE(QFileInfo(path()).isSymLink());
    EXPECT_TRUE(readAll(target).contains("minutes=8"));
    EXPECT_TRUE(readAll(target).contains("keep=1"));

    // A link to a file not made yet: the file is made where the link points.
    const QString later = dir.filePath(QStringLiteral("dotfiles/later.conf"));
    ASSERT_EQ(::symlink("dotfiles/later.conf", QFile::encodeName(path("l.conf")).constData()), 0);
    file.load(path("l.conf"));
    ASSERT_TRUE(file.save(p));
    EXPECT_TRUE(QFileInfo(path("l.conf")).isSymLink());
    EXPECT_TRUE(readAll(later).contains("minutes=8"));
}

TEST_F(PreferencesFileTest, FailedSaveIsToldInGermanAndKeepsTheOldFile) {
    file.load(path());
    ASSERT_TRUE(file.save(Preferences{}));
    const QByteArray before = readAll(path());
    file.fileOps.write = [](int, const void*, size_t) -> ssize_t {
        errno = ENOSPC;
        return -1;
    };
    Preferences p;
    p.holdInhibitors = false;
    EXPECT_FALSE(file.save(p));
    EXPECT_EQ(readAll(path()), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"quillet.conf"});
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].contains(QStringLiteral("kein Platz mehr frei")));
    EXPECT_TRUE(problems[0].contains(QStringLiteral("bisherige Datei bleibt unverändert")));
}

TEST_F(PreferencesFileTest, ProgramsCallsAndPostponingRoundTripWhateverTheProgramsAreCalled) {
    writeBytes(path(), "[Hold]\nprograms = obs ; die Aufnahme\n[Postpone]\nminutes=45\nlimit=-1\n");
    Preferences p = file.load(path());
    EXPECT_EQ(p.heldPrograms, QStringList{QStringLiteral("obs")});
    EXPECT_EQ(p.postponeMinutes, 30);
    EXPECT_EQ(p.postponeLimit, 0) << "0: without limit";
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].contains(QStringLiteral("• „Später“ verschiebt um … Minuten: 30")))
        << problems[0].toStdString();

    // Names QSettings would split, unquote or read as a type of its own stay as they are.
    p.heldPrograms = QStringList{QStringLiteral("libreoffice-impress"),
                                 QStringLiteral("a, b"),
                                 QStringLiteral("Zeigen \"x\"; y\\z"),
                                 QStringLiteral("@Variant"),
                                 QStringLiteral("Größe"),
                                 QStringLiteral(" Mit Rand ")};
    p.holdCalls = false;
    p.postponeMinutes = 1;
    p.postponeLimit = 10;
    ASSERT_TRUE(file.save(p));
    const QByteArray text = readAll(path());
    EXPECT_TRUE(text.contains("programs = libreoffice-impress, \"a, b\", ")) << text.data();
    EXPECT_TRUE(text.contains(" ; die Aufnahme\n")) << "the comment stays";
    Preferences expected = p;
    expected.heldPrograms.last() = QStringLiteral("Mit Rand");
    EXPECT_EQ(PreferencesFile().load(path()), expected);

    p.heldPrograms = {QStringLiteral("obs"), QStringLiteral("OBS")};
    ASSERT_TRUE(file.save(p));
    EXPECT_EQ(PreferencesFile().load(path()).heldPrograms, QStringList{QStringLiteral("obs")})
        << "one entry per program, in any letter case";
    EXPECT_EQ(problems.size(), 1);
}

TEST(PauseEnd, UntilTomorrowEndsAtTheComingSixOClock) {
    const QDate day(2025, 3, 4);
    using desk::PauseChoice;
    EXPECT_EQ(desk::pauseEnd(PauseChoice::UntilTomorrow, QDateTime(day, QTime(22, 15))),
              QDateTime(day.addDays(1), QTime(6, 0)));
    EXPECT_EQ(desk::pauseEnd(PauseChoice::UntilTomorrow, QDateTime(day, QTime(1, 30))),
              QDateTime(day, QTime(6, 0)));
    EXPECT_EQ(desk::pauseEnd(PauseChoice::HalfAnHour, QDateTime(day, QTime(23, 50, 10, 999))),
              QDateTime(day.addDays(1), QTime(0, 20, 10)));
    EXPECT_EQ(desk::pauseEnd(PauseChoice::TwoHours, QDateTime(day, QTime(9, 0))),
              QDateTime(day, QTime(11, 0)));
}
