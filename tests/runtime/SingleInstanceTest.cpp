// One copy per settings folder: the lock, the socket that raises the first copy, and what a
// crashed copy leaves behind.
#include "runtime/SingleInstance.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHostInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
    rt::SingleInstance first(QStringLiteral("/home/a/.config/quillet"), dir.path());
    int raised = 0;
    first.onRaise = [&] { ++raised; };
    ASSERT_TRUE(first.acquire());

    rt::SingleInstance second(QStringLiteral("/home/a/.config/quillet"), dir.path());
    EXPECT_FALSE(second.acquire());
    processUntil([&] { return raised > 0; });
    EXPECT_EQ(raised, 1);

    // Another settings folder is another program as far as the guard is concerned.
    rt::SingleInstance other(QStringLiteral("/tmp/elsewhere"), dir.path());
    EXPECT_TRUE(other.acquire());
}

TEST(SingleInstance, TheLockIsFreeAgainOnceTheFirstCopyEnds) {
    QTemporaryDir dir;
    {
        rt::SingleInstance first(QStringLiteral("k"), dir.path());
        ASSERT_TRUE(first.acquire());
    }
    rt::SingleInstance next(QStringLiteral("k"), dir.path());
    EXPECT_TRUE(next.acquire());
}

TEST(SingleInstance, WhatAKilledCopyLeftBehindIsTakenOver) {
    QTemporaryDir dir;
    rt::SingleInstance probe(QStringLiteral("k"), dir.path());
    // A lock naming a process that no longer exists, and its socket file.
    pid_t gone = fork();
    if (gone == 0)
        _exit(0);
    ASSERT_GT(gone, 0);
    waitpid(gone, nullptr, 0);
    QFile lock(probe.lockPath());
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write(QByteArray::number(gone) + '\n' + QCoreApplication::applicationName().toUtf8() +
               '\n' + QHostInfo::localHostName().toUtf8() + '\n');
    lock.close();
    QFile socket(probe.socketPath());
    ASSERT_TRUE(socket.open(QIODevice::WriteOnly));
    socket.close();

    rt::SingleInstance restarted(QStringLiteral("k"), dir.path());
    int raised = 0;
    restarted.onRaise = [&] { ++raised; };
    ASSERT_TRUE(restarted.acquire());
    // And it answers later starts.
    rt::SingleInstance later(QStringLiteral("k"), dir.path());
    EXPECT_FALSE(later.acquire());
    processUntil([&] { return raised > 0; });
    EXPECT_EQ(raised, 1);
}
