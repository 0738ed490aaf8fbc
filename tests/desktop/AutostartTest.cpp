#include "desktop/Autostart.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class Autostart : public ::testing::Test {
protected:
    void SetUp() override { qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path())); }
    void TearDown() override { qunsetenv("XDG_CONFIG_HOME"); }
    QString entry() const {
        QFile f(desk::autostart::entryPath());
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    QTemporaryDir config;
};

TEST_F(Autostart, TheEntryIsWrittenOnlyWhenAskedAndStartsTheProgramQuickly) {
    EXPECT_EQ(desk::autostart::entryPath(),
              config.path() + QStringLiteral("/autostart/org.quillet.Quillet.desktop"));
    EXPECT_FALSE(desk::autostart::enabled());
    EXPECT_FALSE(QDir(config.path() + QStringLiteral("/autostart")).exists());

    EXPECT_EQ(desk::autostart::set(true, QStringLiteral("/usr/bin/quillet")), QString());
    EXPECT_TRUE(desk::autostart::enabled());
    EXPECT_TRUE(entry().contains(QStringLiteral("\nExec=/usr/bin/quillet --autostart\n")));

    // A path with blanks and quotes is quoted as desktop entries ask.
    desk::autostart::set(true, QStringLiteral("/opt/my apps/\"q\"/quillet"));
    EXPECT_TRUE(entry().contains(
        QStringLiteral("\nExec=\"/opt/my apps/\\\\\"q\\\\\"/quillet\" --autostart\n")));

    EXPECT_EQ(desk::autostart::set(false, QString()), QString());
    EXPECT_FALSE(desk::autostart::enabled());
    EXPECT_EQ(desk::autostart::set(false, QString()), QString()) << "nothing to remove";
}

TEST_F(Autostart, AnEntrySwitchedOffOnTheDesktopIsOffAndAFailureIsToldInGerman) {
    desk::autostart::set(true, QStringLiteral("/usr/bin/quillet"));
    QFile f(desk::autostart::entryPath());
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("Hidden=true\n");
    f.close();
    EXPECT_FALSE(desk::autostart::enabled());

    // The folder cannot be made: a file stands where it should be.
    desk::autostart::set(false, QString());
    QDir(config.path() + QStringLiteral("/autostart")).removeRecursively();
    QFile blocker(config.path() + QStringLiteral("/autostart"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString error = desk::autostart::set(true, QStringLiteral("/usr/bin/quillet"));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Quillet konnte „"))) << error.toStdString();
    EXPECT_FALSE(desk::autostart::enabled());
}

} // namespace
