#include "runtime/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>

#include <sys/stat.h>

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
