#include "desktop/call/CameraHold.h"

#include "runtime/Clock.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>
#include <memory>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace desk {

namespace {

struct DirCloser {
    void operator()(DIR* d) const { closedir(d); }
};
using Dir = std::unique_ptr<DIR, DirCloser>;

bool isNumber(const char* name) {
    if (!*name)
        return false;
    for (const char* c = name; *c; ++c)
        if (*c < '0' || *c > '9')
            return false;
    return true;
}

// Whether one of the process's descriptors leads to a video device.
bool holdsVideo(int procFd, const char* pid) {
    const std::string path = std::string(pid) + "/fd";
    const int fdDir = openat(procFd, path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fdDir < 0)
        return false; // another user's, or gone
    Dir fds(fdopendir(fdDir));
    if (!fds) {
        close(fdDir);
        return false;
    }
    // /dev/video0, /dev/video1, ...: only the start of the target matters, so a longer one is
    // cut, never overrun.
    constexpr char kVideo[] = "/dev/video";
    constexpr std::size_t kPrefix = sizeof kVideo - 1;
    char target[kPrefix + 1];
    while (const dirent* e = readdir(fds.get())) {
        if (e->d_type != DT_LNK && e->d_type != DT_UNKNOWN)
            continue;
        const ssize_t n = readlinkat(dirfd(fds.get()), e->d_name, target, sizeof target);
        if (n == ssize_t(sizeof target) && std::memcmp(target, kVideo, kPrefix) == 0 &&
            target[kPrefix] >= '0' && target[kPrefix] <= '9')
            return true;
    }
    return false;
}

} // namespace

bool videoDeviceOpen(const QString& proc, pid_t own) {
    const int procFd =
        open(QFile::encodeName(proc).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (procFd < 0)
        return false;
    Dir processes(fdopendir(procFd));
    if (!processes) {
        close(procFd);
        return false;
    }
    char self[16];
    std::snprintf(self, sizeof self, "%d", int(own));
    while (const dirent* e = readdir(processes.get()))
        if (isNumber(e->d_name) && std::strcmp(e->d_name, self) != 0 &&
            holdsVideo(procFd, e->d_name))
            return true;
    return false;
}

bool videoDeviceThere(const QString& dev) {
    Dir devices(opendir(QFile::encodeName(dev).constData()));
    if (!devices)
        return true; // unknown: look through the processes
    while (const dirent* e = readdir(devices.get()))
        if (std::strncmp(e->d_name, "video", 5) == 0 && e->d_name[5] >= '0' && e->d_name[5] <= '9')
            return true;
    return false;
}

CameraHold::CameraHold(rt::Clock& clock, QString proc, QString dev)
    : clock_(clock), proc_(std::move(proc)), dev_(std::move(dev)) {}

bool CameraHold::available() const {
    return QFileInfo(proc_ + QStringLiteral("/self/fd")).isDir();
}

bool CameraHold::holding() {
    const std::int64_t now = clock_.nowMs();
    if (!looked_ || now - lookedAt_ >= kLookEveryMs) {
        looked_ = true;
        lookedAt_ = now;
        const bool before = holding_;
        holding_ = videoDeviceThere(dev_) && videoDeviceOpen(proc_, getpid());
        if (holding_ != before && changed)
            changed();
    }
    return holding_;
}

} // namespace desk
