// What tells of a call: the rule over the sound server's recording streams, and the look for an
// open camera through the processes' open files (on a folder laid out as /proc is).
#include "desktop/call/CameraHold.h"
#include "desktop/call/MicrophoneHold.h"
#include "runtime/Clock.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <unistd.h>

using desk::CaptureStream;

TEST(MicrophoneRule, AnotherProgramsStreamOnASourceThatIsNoMonitorIsARecording) {
    const pid_t own = 4242;
    const std::map<std::uint32_t, bool> monitors{{0, true}, {1, false}};
    const auto records = [&](std::vector<CaptureStream> streams) {
        return desk::recordsFromMicrophone(streams, monitors, own);
    };
    EXPECT_FALSE(records({}));
    EXPECT_TRUE(records({{1, "777", false}})) << "a microphone";
    EXPECT_TRUE(records({{1, "", false}})) << "a client that names no process";
    EXPECT_FALSE(records({{0, "777", false}})) << "the monitor of an output: what plays";
    EXPECT_FALSE(records({{1, "4242", false}})) << "the program's own";
    EXPECT_FALSE(records({{1, "777", true}})) << "a mixer's level meter";
    EXPECT_TRUE(records({{9, "777", false}})) << "a source that just came";
    EXPECT_TRUE(records({{0, "777", false}, {1, "778", false}}));
}

namespace {

// A process folder as /proc has it: <pid>/fd/<n> leads to `target`.
void openFile(const QDir& proc, const QString& pid, int fd, const QString& target) {
    ASSERT_TRUE(proc.mkpath(pid + QStringLiteral("/fd")));
    ASSERT_TRUE(
        QFile::link(target, proc.filePath(pid + QStringLiteral("/fd/") + QString::number(fd))));
}

} // namespace

TEST(CameraHold, AVideoDeviceOpenInAnotherProcessHoldsLookedForAtMostEvery1500Ms) {
    QTemporaryDir dir;
    const QDir proc(dir.path());
    const QString own = QString::number(getpid());
    openFile(proc, QStringLiteral("100"), 0, QStringLiteral("/dev/null"));
    openFile(proc, QStringLiteral("100"), 7, QStringLiteral("/dev/videoX")); // no device
    openFile(proc, own, 12, QStringLiteral("/dev/video0"));
    ASSERT_TRUE(proc.mkpath(QStringLiteral("self/fd")));
    ASSERT_TRUE(proc.mkpath(QStringLiteral("sys")));
    EXPECT_FALSE(desk::videoDeviceOpen(dir.path(), getpid()))
        << "the program's own camera and names that only begin alike hold nothing";
    EXPECT_TRUE(desk::videoDeviceOpen(dir.path(), 1)) << "another process's, then";

    // Only a machine with a camera is looked through.
    const QDir dev(dir.filePath(QStringLiteral("dev")));
    ASSERT_TRUE(dev.mkpath(QStringLiteral("v4l")));
    EXPECT_FALSE(desk::videoDeviceThere(dev.path()));
    QFile camera(dev.filePath(QStringLiteral("video2")));
    ASSERT_TRUE(camera.open(QIODevice::WriteOnly));
    EXPECT_TRUE(desk::videoDeviceThere(dev.path()));

    rt::ManualClock clock;
    desk::CameraHold hold(clock, dir.path(), dev.path());
    EXPECT_TRUE(hold.available());
    int changes = 0;
    hold.changed = [&] { ++changes; };
    EXPECT_FALSE(hold.holding());
    openFile(proc, QStringLiteral("200"), 31, QStringLiteral("/dev/video2"));
    clock.advanceMs(1000);
    EXPECT_FALSE(hold.holding()) << "not looked at again yet";
    clock.advanceMs(500);
    EXPECT_TRUE(hold.holding());
    EXPECT_EQ(changes, 1);
    ASSERT_TRUE(QDir(proc.filePath(QStringLiteral("200"))).removeRecursively()); // the call ends
    clock.advanceMs(1500);
    EXPECT_FALSE(hold.holding());
    EXPECT_EQ(changes, 2);
    EXPECT_FALSE(desk::CameraHold(clock, dir.filePath(QStringLiteral("none"))).available());
}
