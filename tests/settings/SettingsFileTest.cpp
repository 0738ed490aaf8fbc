#include "settings/UDaten.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <random>
#include <vector>

#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

std::uint16_t wordAt(const QByteArray& b, int offset) {
    return std::uint16_t(std::uint8_t(b[offset]) | (std::uint8_t(b[offset + 1]) << 8));
}

} // namespace

// ---- the record's bytes

TEST(SettingsRecord, FieldsCoverEveryByteOnceInFileOrder) {
    std::set<int> used;
    for (int i = 0; i < 9; ++i)
        used.insert(kPasswortOffset + i);
    int expected = 9;
    for (const ByteField& f : kByteFields) {
        EXPECT_EQ(f.offset, expected) << f.name;
        EXPECT_TRUE(used.insert(f.offset).second) << f.name;
        ++expected;
    }
    for (const WordField& f : kWordFields) {
        EXPECT_EQ(f.offset, expected) << f.name;
        EXPECT_TRUE(used.insert(f.offset).second && used.insert(f.offset + 1).second) << f.name;
        expected += 2;
    }
    EXPECT_EQ(expected, kSettingsSize);
    EXPECT_EQ(int(used.size()), kSettingsSize);
}

TEST(SettingsRecord, DefaultsEncodeToTheDocumentedBytes) {
    TSettings s;
    const SettingsBytes b = encodeSettings(s);
    const QByteArray bytes(reinterpret_cast<const char*>(b.data()), kSettingsSize);
    // Switches and the clock.
    EXPECT_EQ(bytes[9], 0);   // HelpFirst
    EXPECT_EQ(bytes[10], 1);  // Sound
    EXPECT_EQ(bytes[11], 1);  // Text
    EXPECT_EQ(bytes[12], 0);  // DSTimer
    EXPECT_EQ(bytes[13], 24); // HoursPerDay
    EXPECT_EQ(bytes[14], 1);  // T1On
    EXPECT_EQ(bytes[15], 1);  // T2On
    // Word fields, little-endian, offset -> default.
    const std::pair<int, int> words[] = {
        {16, 0},   {18, 45}, {20, 0},   {22, 0},  {24, 10},  {26, 0},  {28, 0},   {30, 0},
        {32, 7},   {34, 0},  {36, 0},   {38, 7},  {40, 5},   {42, 6},  {44, 5},   {46, 0},
        {48, 5},   {50, 0},  {52, 1},   {54, 0},  {56, 4},   {58, 0},  {60, 1},   {62, 8},
        {64, 0},   {66, 7},  {68, 0},   {70, 6},  {72, 8},   {74, 4},  {76, 1},   {78, 4},
        {80, 1},   {82, 4},  {84, 1},   {86, 2},  {88, 2},   {90, 1},  {92, 2},   {94, 1},
        {96, 2},   {98, 2},  {100, 2},  {102, 4}, {104, 2},  {106, 4}, {108, 4},  {110, 4},
        {112, 2},  {114, 5}, {116, 2},  {118, 5}, {120, 2},  {122, 5}, {124, 2},  {126, 1},
        {128, 0},  {130, 0}, {132, 20}, {134, 0}, {136, 20}, {138, 0}, {140, 20}, {142, 0},
        {144, 20}, {146, 0}, {148, 20}, {150, 0}, {152, 20}, {154, 0}, {156, 20}, {158, 0},
        {160, 20}, {162, 0}, {164, 20}, {166, 0}, {168, 35}};
    for (auto [offset, value] : words)
        EXPECT_EQ(wordAt(bytes, offset), value) << "offset " << offset;
}

TEST(SettingsRecord, EveryFieldSurvivesARoundTrip) {
    std::mt19937 rng(7);
    for (int round = 0; round < 50; ++round) {
        SettingsBytes b;
        for (auto& x : b)
            x = std::uint8_t(rng());
        // Decoding and encoding any 170 bytes gives the same bytes back, so nothing a file
        // holds is lost by a load and a save.
        EXPECT_EQ(encodeSettings(decodeSettings(b)), b);
    }
    TSettings s;
    s.m1 = 0x1234;
    s.Ent10s = 0xfffe;
    s.HoursPerDay = 12;
    const SettingsBytes b = encodeSettings(s);
    EXPECT_EQ(b[18], 0x34);
    EXPECT_EQ(b[19], 0x12);
    EXPECT_EQ(decodeSettings(b), s);
}

// ---- the file

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        daten.WindowsDir = dir.path();
        daten.onProblem = [this](const QString& t) { problems << t; };
    }
    QString path() const { return dir.path() + QStringLiteral("/User.dat"); }

    QTemporaryDir dir;
    UDaten daten;
    QStringList problems;
};

TEST_F(SettingsFile, FoldersNamedSystemBesideTheFileDoNotHideIt) {
    TSettings mine;
    mine.m1 = 17;
    const SettingsBytes b = encodeSettings(mine);
    writeBytes(path(), QByteArray(reinterpret_cast<const char*>(b.data()), kSettingsSize));
    QDir(dir.path()).mkdir(QStringLiteral("system"));
    QDir(dir.path()).mkdir(QStringLiteral("system32"));
    daten.LocateSettingsFile();
    EXPECT_EQ(daten.SettingsPath, path());
    daten.LoadSettings();
    EXPECT_EQ(daten.Settings.m1, 17) << "the user's file was passed over";
    EXPECT_TRUE(daten.SaveSettings());
    EXPECT_TRUE(QDir(dir.path() + QStringLiteral("/system")).isEmpty());
    EXPECT_TRUE(QDir(dir.path() + QStringLiteral("/system32")).isEmpty());

    // A folder that is not there yet stays the place: it is made on the first save.
    daten.WindowsDir = dir.path() + QStringLiteral("/missing");
    daten.LocateSettingsFile();
    EXPECT_EQ(daten.SettingsPath, dir.path() + QStringLiteral("/missing/User.dat"));
}

TEST_F(SettingsFile, UserConfigFolderFollowsXdgAndIsMadeOnTheFirstSave) {
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path() + QStringLiteral("/cfg")));
    const QString folder = UDaten::userConfigDir();
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(folder, dir.path() + QStringLiteral("/cfg/quillet"));
    daten.WindowsDir.clear(); // the user's configuration folder by default
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path() + QStringLiteral("/cfg")));
    daten.LocateSettingsFile();
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(daten.SettingsPath, folder + QStringLiteral("/User.dat"));
    daten.LoadSettings();
    EXPECT_TRUE(problems.isEmpty()) << problems.join('\n').toStdString();
    EXPECT_EQ(readAll(folder + QStringLiteral("/User.dat")).size(), kSettingsSize);
}

TEST_F(SettingsFile, MissingFileIsCreatedWithTheDefaults) {
    daten.LocateSettingsFile();
    daten.Settings.m1 = 3; // whatever was in memory
    daten.LoadSettings();
    EXPECT_TRUE(problems.isEmpty());
    const QByteArray bytes = readAll(path());
    ASSERT_EQ(bytes.size(), kSettingsSize);
    TSettings expected;
    expected.Passwort[0] = 1;
    expected.Passwort[1] = UDaten::kPasswortPlaceholder;
    EXPECT_EQ(daten.Settings, expected);
    const SettingsBytes b = encodeSettings(expected);
    EXPECT_EQ(bytes, QByteArray(reinterpret_cast<const char*>(b.data()), kSettingsSize));
}

TEST_F(SettingsFile, ReadsWhatWasSaved) {
    daten.LocateSettingsFile();
    daten.Settings.Aug4m = 3;
    daten.Settings.DSTimer = 1;
    ASSERT_TRUE(daten.SaveSettings());
    UDaten other;
    other.WindowsDir = dir.path();
    other.LocateSettingsFile();
    other.LoadSettings();
    EXPECT_EQ(other.Settings, daten.Settings);
}

TEST_F(SettingsFile, LongerFileIsReadFromItsFirstRecordAndSavedAtRecordSize) {
    daten.LocateSettingsFile();
    TSettings s;
    s.m2 = 33;
    const SettingsBytes b = encodeSettings(s);
    writeBytes(path(), QByteArray(reinterpret_cast<const char*>(b.data()), kSettingsSize) +
                           QByteArray(30, 'x'));
    daten.LoadSettings();
    EXPECT_EQ(daten.Settings.m2, 33);
    EXPECT_TRUE(daten.SaveSettings());
    EXPECT_EQ(readAll(path()).size(), kSettingsSize);
}

TEST_F(SettingsFile, DamagedFileIsKeptBesideTheNewDefaults) {
    daten.LocateSettingsFile();
    const QByteArray damaged("only a few bytes");
    writeBytes(path(), damaged);
    daten.LoadSettings();

    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].contains(QStringLiteral("beschädigt")));
    // The damaged bytes are still there under another name, named in the message.
    const QStringList kept =
        QDir(dir.path()).entryList({QStringLiteral("User.dat.beschaedigt-*")}, QDir::Files);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(readAll(dir.path() + QLatin1Char('/') + kept[0]), damaged);
    EXPECT_TRUE(problems[0].contains(kept[0]));
    // And the program goes on with a good file.
    EXPECT_EQ(readAll(path()).size(), kSettingsSize);
    EXPECT_EQ(daten.Settings.HoursPerDay, 24);
}

TEST_F(SettingsFile, UnreadableFileNamesTheSettingsQuilletGoesOnWith) {
    daten.LocateSettingsFile();
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("User.dat")));
    daten.LoadSettings(); // at start: nothing read yet
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].contains(QStringLiteral("mit den Standardeinstellungen weiter")))
        << problems[0].toStdString();

    // Later in the run (the settings window reads the file): the settings read before hold.
    ASSERT_TRUE(QDir(dir.path()).rmdir(QStringLiteral("User.dat")));
    TSettings s;
    s.m1 = 21;
    const SettingsBytes b = encodeSettings(s);
    writeBytes(path(), QByteArray(reinterpret_cast<const char*>(b.data()), kSettingsSize));
    daten.LoadSettings();
    ASSERT_TRUE(QFile::remove(path()));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("User.dat")));
    daten.LoadSettings();
    ASSERT_EQ(problems.size(), 2);
    EXPECT_TRUE(problems[1].contains(QStringLiteral("mit den bisherigen Einstellungen weiter")))
        << problems[1].toStdString();
    EXPECT_EQ(daten.Settings.m1, 21);
}

TEST_F(SettingsFile, UnreadableFileIsReportedAndLeftAlone) {
    daten.LocateSettingsFile();
    // A folder where the file should be: it cannot be read as a file, even by root.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("User.dat")));
    daten.Settings.m1 = 44;
    daten.LoadSettings();
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].contains(path())) << problems[0].toStdString();
    EXPECT_EQ(daten.Settings.m1, 44);
    EXPECT_TRUE(QFileInfo(path()).isDir());
}

// What a file that could not be read holds is still the user's: no save may replace it.
TEST_F(SettingsFile, FileThatCouldNotBeReadIsNeverReplacedInThatRun) {
    daten.LocateSettingsFile();
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("User.dat")));
    daten.fileOps.write = [](int, const void*, size_t) -> ssize_t {
        ADD_FAILURE() << "a save wrote although the file could not be read";
        errno = EIO;
        return -1;
    };
    daten.LoadSettings();
    problems.clear();

    daten.Settings.HelpFirst = 0; // what the help button does, then it saves
    EXPECT_FALSE(daten.SaveSettings());
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].contains(QStringLiteral("nicht gelesen"))) << problems[0].toStdString();
    EXPECT_TRUE(problems[0].contains(path()));
    EXPECT_FALSE(problems[0].contains(QStringLiteral("bleibt unverändert")));
    daten.DefaultSettings(); // the reset button: saves as well
    EXPECT_EQ(problems.size(), 2) << "each refused save is told";
    EXPECT_TRUE(QFileInfo(path()).isDir());
}

TEST_F(SettingsFile, AFileReadLaterInTheRunMayBeSavedAgain) {
    daten.LocateSettingsFile();
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("User.dat")));
    daten.LoadSettings();
    ASSERT_TRUE(QDir(dir.path()).rmdir(QStringLiteral("User.dat")));
    TSettings s;
    s.m1 = 21;
    const SettingsBytes b = encodeSettings(s);
    writeBytes(path(), QByteArray(reinterpret_cast<const char*>(b.data()), kSettingsSize));

    daten.LoadSettings(); // the settings window reads the file when it opens
    EXPECT_EQ(daten.Settings.m1, 21);
    daten.Settings.m1 = 22;
    EXPECT_TRUE(daten.SaveSettings());
    EXPECT_EQ(wordAt(readAll(path()), 18), 22);
}

// An ordinary user cannot read a file of mode 0200 (root can, so this part needs a user).
TEST_F(SettingsFile, FileWithoutReadPermissionIsNotReplaced) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads any file";
    daten.LocateSettingsFile();
    TSettings s;
    s.m1 = 33;
    const SettingsBytes b = encodeSettings(s);
    const QByteArray before(reinterpret_cast<const char*>(b.data()), kSettingsSize);
    writeBytes(path(), before);
    ASSERT_TRUE(QFile::setPermissions(path(), QFile::WriteOwner));
    daten.LoadSettings();
    EXPECT_EQ(daten.Settings.m1, 45) << "goes on with the defaults";
    EXPECT_FALSE(daten.SaveSettings());
    QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(readAll(path()), before);
    ASSERT_EQ(problems.size(), 2);
    EXPECT_TRUE(problems[0].contains(QStringLiteral("Keine Berechtigung")))
        << problems[0].toStdString();
}

TEST_F(SettingsFile, FolderThatCannotBeMadeIsReportedAndNothingIsWrittenElsewhere) {
    // The folder would have to go below a plain file.
    writeBytes(dir.path() + QStringLiteral("/plain"), "x");
    QDir(dir.path()).mkdir(QStringLiteral("work"));
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(dir.path() + QStringLiteral("/work"));
    daten.WindowsDir = dir.path() + QStringLiteral("/plain/quillet");
    daten.LocateSettingsFile();
    daten.LoadSettings();
    QDir::setCurrent(cwd);

    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].contains(QStringLiteral("Ordner"))) << problems[0].toStdString();
    EXPECT_TRUE(problems[0].contains(dir.path() + QStringLiteral("/plain/quillet")));
    EXPECT_FALSE(problems[0].contains(QStringLiteral("bisherige Datei")));
    EXPECT_EQ(daten.Settings.m1, 45) << "works with the defaults in memory";
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              (QStringList{"plain", "work"}))
        << "no settings file anywhere else";
    EXPECT_TRUE(QDir(dir.path() + QStringLiteral("/work")).isEmpty());
}

TEST_F(SettingsFile, FailedSaveIsReportedAndKeepsTheOldFile) {
    daten.LocateSettingsFile();
    daten.Settings.m1 = 12;
    ASSERT_TRUE(daten.SaveSettings());
    const QByteArray before = readAll(path());

    // A save into a folder that cannot hold files: the path's parent is a plain file.
    writeBytes(dir.path() + QStringLiteral("/plain"), "x");
    daten.SettingsPath = dir.path() + QStringLiteral("/plain/User.dat");
    daten.Settings.m1 = 13;
    EXPECT_FALSE(daten.SaveSettings());
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].contains(QStringLiteral("/plain"))) << problems[0].toStdString();
    EXPECT_EQ(readAll(path()), before);
}

// ---- saves that fail half-way: the disk is full, the medium breaks

namespace {

// How a save can fail, one system call at a time.
struct Failure {
    const char* what;
    rt::FileOps ops;
};

int failures = 0; // how many writes a failing write lets through before it fails

ssize_t writeNothing(int, const void*, size_t) {
    errno = ENOSPC;
    return -1;
}
ssize_t writeHalfThenFail(int fd, const void* data, size_t size) {
    if (failures++ == 0)
        return ::write(fd, data, size / 2);
    errno = ENOSPC;
    return -1;
}
ssize_t writeZero(int, const void*, size_t) {
    return 0;
}
int failSync(int) {
    errno = EIO;
    return -1;
}
int failClose(int fd) {
    ::close(fd);
    errno = EDQUOT;
    return -1;
}
int failRename(const char*, const char*) {
    errno = EROFS;
    return -1;
}

std::vector<Failure> everyFailure() {
    const rt::FileOps sys = rt::FileOps::system();
    std::vector<Failure> all;
    all.push_back(
        {"no space at the first write", {writeNothing, sys.fsync, sys.close, sys.rename}});
    all.push_back(
        {"half written, then no space", {writeHalfThenFail, sys.fsync, sys.close, sys.rename}});
    all.push_back({"a write that takes nothing", {writeZero, sys.fsync, sys.close, sys.rename}});
    all.push_back({"the sync fails", {sys.write, failSync, sys.close, sys.rename}});
    all.push_back({"the close fails", {sys.write, sys.fsync, failClose, sys.rename}});
    all.push_back({"the rename fails", {sys.write, sys.fsync, sys.close, failRename}});
    return all;
}

} // namespace

TEST_F(SettingsFile, ASaveThatCannotWriteEveryByteLeavesTheEarlierFileExactlyAsItWas) {
    daten.LocateSettingsFile();
    daten.Settings.m1 = 12;
    ASSERT_TRUE(daten.SaveSettings());
    const QByteArray before = readAll(path());
    ASSERT_EQ(before.size(), kSettingsSize);

    for (const Failure& f : everyFailure()) {
        SCOPED_TRACE(f.what);
        failures = 0;
        problems.clear();
        daten.fileOps = f.ops;
        daten.Settings.m1 = 13;
        EXPECT_FALSE(daten.SaveSettings());
        EXPECT_EQ(readAll(path()), before);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"User.dat"})
            << "the new file was left behind";
        ASSERT_EQ(problems.size(), 1);
        EXPECT_TRUE(problems[0].contains(QStringLiteral("bisherige Datei bleibt unverändert")))
            << problems[0].toStdString();
    }
    failures = 0;
    daten.fileOps = everyFailure()[0].ops;
    problems.clear();
    daten.Settings.m1 = 13;
    daten.SaveSettings();
    EXPECT_TRUE(problems[0].contains(QStringLiteral("kein Platz mehr frei")))
        << "the reason is told in German: " << problems[0].toStdString();
}

TEST_F(SettingsFile, AFailedFirstSaveLeavesNoFileAndDoesNotSpeakOfAnEarlierOne) {
    for (const Failure& f : everyFailure()) {
        SCOPED_TRACE(f.what);
        failures = 0;
        problems.clear();
        UDaten first; // a first start, each time
        first.WindowsDir = dir.path();
        first.onProblem = [this](const QString& t) { problems << t; };
        first.LocateSettingsFile();
        first.fileOps = f.ops;
        first.LoadSettings(); // no file: the defaults are written
        EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty())
            << "an empty or partial file was left";
        ASSERT_EQ(problems.size(), 1);
        EXPECT_FALSE(problems[0].contains(QStringLiteral("bisherige")))
            << problems[0].toStdString();
    }
}

TEST_F(SettingsFile, ChangesThatCouldNotBeSavedAreNotReadOverByTheOldFile) {
    daten.LocateSettingsFile();
    daten.LoadSettings();
    ASSERT_TRUE(QFile::exists(path()));
    const rt::FileOps system = daten.fileOps;
    daten.fileOps = everyFailure()[0].ops;
    daten.Settings.m1 = 33;
    EXPECT_FALSE(daten.SaveSettings());
    EXPECT_TRUE(daten.unsaved());
    daten.LoadSettings(); // the board reads the file again after the settings window
    EXPECT_EQ(daten.Settings.m1, 33) << "the user was told the changes hold until Quillet ends";
    daten.fileOps = system;
    EXPECT_TRUE(daten.SaveSettings());
    EXPECT_FALSE(daten.unsaved());
    daten.Settings.m1 = 1;
    daten.LoadSettings();
    EXPECT_EQ(daten.Settings.m1, 33);
}

// Run by tests/settings/full-disk.sh on a small file system it has filled up.
TEST(SettingsOnAFullDisk, TheUsersFileSurvivesAndTheFailureIsTold) {
    const QByteArray folder = qgetenv("QUILLET_FULL_DISK");
    if (folder.isEmpty())
        GTEST_SKIP() << "needs a full file system (tests/settings/full-disk.sh)";
    UDaten daten;
    QStringList problems;
    daten.onProblem = [&](const QString& t) { problems << t; };
    daten.WindowsDir = QFile::decodeName(folder);
    daten.LocateSettingsFile();
    const QByteArray before = readAll(daten.SettingsPath);
    ASSERT_EQ(before.size(), kSettingsSize) << "the script puts a record there first";

    daten.LoadSettings();
    ASSERT_TRUE(problems.isEmpty());
    daten.Settings.m1 = daten.Settings.m1 == 7 ? 8 : 7;
    EXPECT_FALSE(daten.SaveSettings());
    EXPECT_EQ(readAll(daten.SettingsPath), before);
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].contains(QStringLiteral("kein Platz mehr frei")))
        << problems[0].toStdString();
    EXPECT_EQ(QDir(daten.WindowsDir).entryList(QDir::Files).filter(QStringLiteral("User.dat")),
              QStringList{"User.dat"});

    // With no file yet, nothing at all is left behind. Removing the file freed its block:
    // fill that up again first.
    ASSERT_TRUE(QFile::remove(daten.SettingsPath));
    QFile refill(daten.WindowsDir + QStringLiteral("/../refill"));
    ASSERT_TRUE(refill.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(512, '\0');
    while (refill.write(block) == block.size()) {
    }
    refill.close();
    problems.clear();
    UDaten first; // a first start on the full disk
    first.onProblem = [&](const QString& t) { problems << t; };
    first.WindowsDir = daten.WindowsDir;
    first.LocateSettingsFile();
    first.LoadSettings();
    EXPECT_FALSE(QFileInfo::exists(first.SettingsPath)) << "an empty file was left";
    EXPECT_EQ(problems.size(), 1);
}

// The settings kept in a repository of dotfiles, linked into the settings folder.
TEST_F(SettingsFile, ALinkedFileIsReadAndSavedThroughTheLinkAndKeptAsideThere) {
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("dotfiles")));
    const QString target = dir.path() + QStringLiteral("/dotfiles/quillet.dat");
    TSettings s;
    s.m1 = 21;
    const SettingsBytes b = encodeSettings(s);
    writeBytes(target, QByteArray(reinterpret_cast<const char*>(b.data()), kSettingsSize));
    ASSERT_TRUE(QFile::link(QStringLiteral("dotfiles/quillet.dat"), path()));
    daten.LocateSettingsFile();
    daten.LoadSettings();
    EXPECT_EQ(daten.Settings.m1, 21);
    daten.Settings.m1 = 22;
    ASSERT_TRUE(daten.SaveSettings());
    EXPECT_TRUE(QFileInfo(path()).isSymLink()) << "the link was replaced by a plain file";
    EXPECT_EQ(wordAt(readAll(target), 18), 22);
    EXPECT_TRUE(problems.isEmpty());

    // A damaged file behind the link is kept aside beside it; the link leads to the defaults.
    writeBytes(target, "short");
    daten.LoadSettings();
    ASSERT_EQ(problems.size(), 1);
    const QStringList kept = QDir(dir.path() + QStringLiteral("/dotfiles"))
                                 .entryList({QStringLiteral("quillet.dat.beschaedigt-*")});
    ASSERT_EQ(kept.size(), 1);
    EXPECT_TRUE(problems[0].contains(kept[0])) << problems[0].toStdString();
    EXPECT_TRUE(QFileInfo(path()).isSymLink());
    EXPECT_EQ(wordAt(readAll(target), 18), 45);
}

TEST_F(SettingsFile, NewFilesOfSavesKilledHalfWayAreRemovedAtStart) {
    const pid_t gone = ::fork();
    ASSERT_GE(gone, 0);
    if (gone == 0)
        ::_exit(0);
    ASSERT_EQ(::waitpid(gone, nullptr, 0), gone);
    const QString leftover = path() + QStringLiteral(".neu-%1-0").arg(gone);
    writeBytes(leftover, "half a rec");
    daten.LocateSettingsFile();
    EXPECT_FALSE(QFileInfo::exists(leftover));
}

TEST_F(SettingsFile, SaveLeavesNoTemporaryFilesBehind) {
    daten.LocateSettingsFile();
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(daten.SaveSettings());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("User.dat")});
}

TEST_F(SettingsFile, DefaultsKeepThePasswordBytesBeyondItsLength) {
    daten.LocateSettingsFile();
    daten.Settings.Passwort = {3, 'a', 'b', 'c', 'd', 0, 0, 0, 0};
    daten.Settings.m1 = 1;
    daten.DefaultSettings();
    EXPECT_EQ(daten.Settings.Passwort[0], 1);
    EXPECT_EQ(daten.Settings.Passwort[1], UDaten::kPasswortPlaceholder);
    EXPECT_EQ(daten.Settings.Passwort[2], 'b');
    EXPECT_EQ(daten.Settings.m1, 45);
}
