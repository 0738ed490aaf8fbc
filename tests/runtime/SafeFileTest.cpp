#include "runtime/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class SafeFile : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const char* name) const { return dir.path() + QLatin1Char('/') + name; }
    QTemporaryDir dir;
};

TEST_F(SafeFile, ReplacingKeepsTheModeOfTheOldFile) {
    const QString file = path("User.dat");
    ASSERT_TRUE(rt::replaceFile(file, "old").ok);
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0640), 0);
    const rt::FileResult r = rt::replaceFile(file, "new");
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.existed);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u) << "a private file became readable to others";
    QByteArray back;
    ASSERT_TRUE(rt::readFile(file, 100, back).ok);
    EXPECT_EQ(back, QByteArray("new"));
}

TEST_F(SafeFile, ReadingNeverWaitsForAPipeInThePlaceOfTheFile) {
    const QString fifo = path("User.dat");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QByteArray out;
    const rt::FileResult r = rt::readFile(fifo, 170, out); // would hang without a writer
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.existed) << "a pipe there is not a missing file: it must not be replaced";
    EXPECT_TRUE(out.isEmpty());
}

TEST_F(SafeFile, MissingFileAndFolderInItsPlaceAreTold) {
    QByteArray out;
    const rt::FileResult missing = rt::readFile(path("none"), 170, out);
    EXPECT_FALSE(missing.ok);
    EXPECT_FALSE(missing.existed);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    const rt::FileResult folder = rt::readFile(path("folder"), 170, out);
    EXPECT_FALSE(folder.ok);
    EXPECT_TRUE(folder.existed);
    EXPECT_EQ(folder.error, EISDIR);
}

TEST(SystemReason, CommonReasonsAreGermanWithTheSystemsWordsAfter) {
    EXPECT_TRUE(rt::systemReason(ENOSPC).startsWith(QStringLiteral("Auf dem Datenträger ist kein "
                                                                   "Platz mehr frei (")));
    EXPECT_TRUE(rt::systemReason(EACCES).startsWith(QStringLiteral("Keine Berechtigung (")));
    EXPECT_TRUE(rt::systemReason(EROFS).startsWith(QStringLiteral("Der Datenträger ist "
                                                                  "schreibgeschützt (")));
    EXPECT_FALSE(rt::systemReason(EBADF).contains(QLatin1Char('('))) << "no German, no brackets";
}

} // namespace

namespace {

QByteArray contents(const QString& path) {
    QByteArray out;
    rt::readFile(path, 1000, out);
    return out;
}

bool isLink(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

} // namespace

// People keep their settings in a repository of dotfiles and link them into place.
TEST_F(SafeFile, ALinkStaysALinkAndItsTargetIsReplacedInItsOwnFolder) {
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("dotfiles/quillet")));
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("config")));
    const QString target = path("dotfiles/quillet/settings.dat");
    ASSERT_TRUE(rt::replaceFile(target, "old").ok);
    // config/User.dat -> config/middle (absolute) -> ../dotfiles/quillet/settings.dat (relative)
    ASSERT_EQ(::symlink("../dotfiles/quillet/settings.dat",
                        QFile::encodeName(path("config/middle")).constData()),
              0);
    ASSERT_EQ(::symlink(QFile::encodeName(path("config/middle")).constData(),
                        QFile::encodeName(path("config/User.dat")).constData()),
              0);

    const rt::FileResult r = rt::replaceFile(path("config/User.dat"), "new");
    ASSERT_TRUE(r.ok) << r.reason.toStdString();
    EXPECT_TRUE(r.existed);
    EXPECT_TRUE(isLink(path("config/User.dat")));
    EXPECT_TRUE(isLink(path("config/middle")));
    EXPECT_EQ(contents(target), QByteArray("new"));
    EXPECT_EQ(
        QDir(path("config")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
        (QStringList{"middle", "User.dat"}));
    EXPECT_EQ(QDir(path("dotfiles/quillet")).entryList(QDir::Files), QStringList{"settings.dat"});

    // A link whose file is not there yet gets it; a chain without end is refused untouched.
    ASSERT_EQ(::symlink("fresh.dat", QFile::encodeName(path("dangling")).constData()), 0);
    EXPECT_TRUE(rt::replaceFile(path("dangling"), "first").ok);
    EXPECT_TRUE(isLink(path("dangling")));
    EXPECT_EQ(contents(path("fresh.dat")), QByteArray("first"));
    ASSERT_EQ(::symlink("loop", QFile::encodeName(path("loop")).constData()), 0);
    const rt::FileResult loop = rt::replaceFile(path("loop"), "x");
    EXPECT_FALSE(loop.ok);
    EXPECT_EQ(loop.error, ELOOP);
    EXPECT_TRUE(isLink(path("loop")));
}

// What saves that were killed half-way left behind goes at the next start; a file that a
// Quillet still running may be writing stays.
TEST_F(SafeFile, LeftoversOfKilledSavesAreRemovedButNotThoseOfAQuilletStillRunning) {
    const pid_t gone = ::fork();
    ASSERT_GE(gone, 0);
    if (gone == 0)
        ::_exit(0);
    ASSERT_EQ(::waitpid(gone, nullptr, 0), gone);
    // A process that runs another program now, and one still running as a Quillet (a copy of
    // this test program).
    const pid_t other = ::fork();
    ASSERT_GE(other, 0);
    if (other == 0) {
        ::execl("/bin/sleep", "sleep", "60", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const pid_t running = ::fork();
    ASSERT_GE(running, 0);
    if (running == 0) {
        ::pause();
        ::_exit(0);
    }
    QByteArray comm;
    for (int i = 0; i < 500 && comm != "sleep\n"; ++i) {
        ::usleep(10'000);
        QFile f(QStringLiteral("/proc/%1/comm").arg(other));
        comm = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    const auto name = [](pid_t pid, int n = 0) {
        return QStringLiteral("User.dat.neu-%1-%2").arg(pid).arg(n);
    };
    const QStringList stale{name(gone), name(gone, 1), name(other), name(::getpid())};
    const QStringList kept{name(running), QStringLiteral("User.dat.neu-x-0"),
                           QStringLiteral("Other.dat.neu-%1-0").arg(gone),
                           name(gone) + QStringLiteral(".txt"), QStringLiteral("User.dat")};
    for (const QString& f : stale + kept)
        ASSERT_TRUE(rt::replaceFile(path(f.toLatin1().constData()), "x").ok);
    rt::removeStaleTemporaries(path("User.dat"));
    ::kill(other, SIGKILL);
    ::kill(running, SIGKILL);
    ::waitpid(other, nullptr, 0);
    ::waitpid(running, nullptr, 0);

    ASSERT_EQ(comm, QByteArray("sleep\n"));
    QStringList left = QDir(dir.path()).entryList(QDir::Files);
    QStringList expected = kept;
    left.sort();
    expected.sort();
    EXPECT_EQ(left, expected);
}
