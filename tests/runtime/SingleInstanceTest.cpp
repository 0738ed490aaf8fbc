// One copy per settings folder: the lock, the socket that raises the first copy, and what a
// crashed copy leaves behind.
#include "runtime/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Lets the event loop run until `done` or a second has passed.
template <typename F> void processUntil(F done) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < 1000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

} // namespace

TEST(SingleInstance, SecondStartRaisesTheFirstAndDoesNotRun) {
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("home/a/.config/quillet"));
    rt::SingleInstance first(settings, dir.filePath(QStringLiteral("run")));
    int raised = 0;
    first.onRaise = [&] { ++raised; };
    ASSERT_TRUE(first.acquire());
    EXPECT_EQ(first.lockPath(), settings + QStringLiteral("/quillet.lock")) << "in the folder";

    rt::SingleInstance second(settings, dir.filePath(QStringLiteral("run")));
    EXPECT_FALSE(second.acquire());
    processUntil([&] { return raised > 0; });
    EXPECT_EQ(raised, 1);

    // Another settings folder is another program as far as the guard is concerned.
    rt::SingleInstance other(dir.filePath(QStringLiteral("elsewhere")),
                             dir.filePath(QStringLiteral("run")));
    EXPECT_TRUE(other.acquire());
}

// A start from `su` or `ssh -X` has another runtime folder (or none), but the same settings: it
// is turned away all the same, and raises the first copy through the socket the lock names.
// When that socket cannot be reached, the start still ends and leaves the first copy alone.
TEST(SingleInstance, StartsWithAnotherRuntimeFolderMeetAtTheSettingsFolder) {
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("config/quillet"));
    rt::SingleInstance first(settings, dir.filePath(QStringLiteral("run-1000")));
    int raised = 0;
    first.onRaise = [&] { ++raised; };
    ASSERT_TRUE(first.acquire());

    rt::SingleInstance fromSu(settings, dir.filePath(QStringLiteral("tmp-runtime")));
    EXPECT_NE(fromSu.socketPath(), first.socketPath());
    EXPECT_FALSE(fromSu.acquire());
    processUntil([&] { return raised > 0; });
    EXPECT_EQ(raised, 1);

    // The first copy's socket out of reach (as on another machine sharing the home folder).
    ASSERT_EQ(::unlink(QFile::encodeName(first.socketPath()).constData()), 0);
    rt::SingleInstance remote(settings, dir.filePath(QStringLiteral("elsewhere")));
    EXPECT_FALSE(remote.acquire());
    QFile lock(first.lockPath());
    ASSERT_TRUE(lock.open(QIODevice::ReadOnly));
    EXPECT_EQ(lock.readAll(), QFile::encodeName(first.socketPath()) + '\n') << "left alone";
    EXPECT_EQ(raised, 1);
}

// One settings folder reached by two ways (directly and through a link, as two spellings of
// $XDG_CONFIG_HOME give) is one folder: the second start is turned away, whether the folder
// exists yet or not.
TEST(SingleInstance, OneFolderByTwoSpellingsHasOneLock) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("home/config/quillet")));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("home/config")),
                            dir.filePath(QStringLiteral("link"))));
    const QString runtime = dir.filePath(QStringLiteral("run"));
    for (const char* folder : {"quillet", "not-made-yet/quillet"}) {
        SCOPED_TRACE(folder);
        rt::SingleInstance first(dir.filePath(QStringLiteral("home/config/") + folder), runtime);
        ASSERT_TRUE(first.acquire());
        rt::SingleInstance linked(dir.filePath(QStringLiteral("link/") + folder), runtime);
        EXPECT_FALSE(linked.acquire());
        rt::SingleInstance dotted(dir.filePath(QStringLiteral("link/../link/./") + folder),
                                  runtime);
        EXPECT_FALSE(dotted.acquire());
        EXPECT_EQ(linked.socketPath().toStdString(), first.socketPath().toStdString());
        EXPECT_EQ(linked.lockPath().toStdString(), first.lockPath().toStdString());
    }
}

TEST(SingleInstance, TheLockIsFreeAgainOnceTheFirstCopyEnds) {
    QTemporaryDir dir;
    {
        rt::SingleInstance first(dir.filePath(QStringLiteral("k")), dir.path());
        ASSERT_TRUE(first.acquire());
    }
    rt::SingleInstance next(dir.filePath(QStringLiteral("k")), dir.path());
    EXPECT_TRUE(next.acquire());
}

TEST(SingleInstance, WhatAKilledCopyLeftBehindIsTakenOver) {
    QTemporaryDir dir;
    rt::SingleInstance probe(dir.filePath(QStringLiteral("k")), dir.path());
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("k")));
    // A lock naming a process that no longer exists, and its socket file.
    pid_t gone = fork();
    if (gone == 0)
        _exit(0);
    ASSERT_GT(gone, 0);
    waitpid(gone, nullptr, 0);
    QFile lock(probe.lockPath());
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write(QByteArray::number(gone) + '\n' + QCoreApplication::applicationName().toUtf8() +
               '\n' + QSysInfo::machineHostName().toUtf8() + '\n');
    lock.close();
    QFile socket(probe.socketPath());
    ASSERT_TRUE(socket.open(QIODevice::WriteOnly));
    socket.close();

    rt::SingleInstance restarted(dir.filePath(QStringLiteral("k")), dir.path());
    int raised = 0;
    restarted.onRaise = [&] { ++raised; };
    ASSERT_TRUE(restarted.acquire());
    // And it answers later starts.
    rt::SingleInstance later(dir.filePath(QStringLiteral("k")), dir.path());
    EXPECT_FALSE(later.acquire());
    processUntil([&] { return raised > 0; });
    EXPECT_EQ(raised, 1);
}

// The lock goes with the process that holds it, however that process ends.
TEST(SingleInstance, AKilledCopyLetsGoOfTheLock) {
    QTemporaryDir dir;
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t copy = fork();
    if (copy == 0) {
        rt::SingleInstance running(dir.filePath(QStringLiteral("k")), dir.path());
        const char held = running.acquire() ? '1' : '0';
        (void)!write(ready[1], &held, 1);
        pause();
        _exit(0);
    }
    ASSERT_GT(copy, 0);
    char held = 0;
    ASSERT_EQ(read(ready[0], &held, 1), 1);
    close(ready[0]);
    close(ready[1]);
    ASSERT_EQ(held, '1');

    rt::SingleInstance second(dir.filePath(QStringLiteral("k")), dir.path());
    EXPECT_FALSE(second.acquire()) << "the copy holds the lock";
    kill(copy, SIGKILL);
    waitpid(copy, nullptr, 0);
    rt::SingleInstance third(dir.filePath(QStringLiteral("k")), dir.path());
    EXPECT_TRUE(third.acquire());
}

// Only the word of a later start raises the window; anything else on the socket is dropped.
TEST(SingleInstance, OnlyALaterStartRaisesTheWindow) {
    QTemporaryDir dir;
    rt::SingleInstance first(dir.filePath(QStringLiteral("k")), dir.path());
    int raised = 0;
    first.onRaise = [&] { ++raised; };
    ASSERT_TRUE(first.acquire());

    auto call = [&](const QByteArray& words) {
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray path = QFile::encodeName(first.socketPath());
        std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
        EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(send(fd, words.constData(), std::size_t(words.size()), MSG_NOSIGNAL),
                  words.size());
        return fd;
    };
    close(call(QByteArray(200, 'x')));
    close(call("raise the roof\n"));
    const int silent = call(""); // connects and says nothing, and stays on the line
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 200)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(raised, 0);

    rt::SingleInstance later(dir.filePath(QStringLiteral("k")), dir.path());
    EXPECT_FALSE(later.acquire());
    processUntil([&] { return raised > 0; });
    EXPECT_EQ(raised, 1) << "a silent caller holds nobody up";
    close(silent);
}

// A lock that is not a file of our own (here a link to a file someone holds locked) does not keep
// the program from starting: it runs without the guard.
TEST(SingleInstance, ALockThatIsNotOursKeepsNobodyOut) {
    QTemporaryDir dir;
    rt::SingleInstance probe(dir.filePath(QStringLiteral("k")), dir.path());
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("k")));
    const QByteArray held = QFile::encodeName(dir.path() + QStringLiteral("/held"));
    const int holder = open(held.constData(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);
    ASSERT_EQ(symlink(held.constData(), QFile::encodeName(probe.lockPath()).constData()), 0);

    rt::SingleInstance start(dir.filePath(QStringLiteral("k")), dir.path());
    EXPECT_TRUE(start.acquire());
    close(holder);
}
