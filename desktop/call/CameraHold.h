#pragma once

#include "desktop/Sources.h"

#include <QString>

#include <cstdint>

#include <sys/types.h>

namespace rt {
class Clock;
}

namespace desk {

// Whether a process other than `own` has a video device open (/dev/video*), as the file
// descriptors under `proc` (/proc/<pid>/fd) show. Processes whose descriptors cannot be read
// (those of other users) are passed over.
bool videoDeviceOpen(const QString& proc, pid_t own);
// Whether the folder `dev` holds a video device (video0, video1, ...).
bool videoDeviceThere(const QString& dev);

// A camera in use by another program (a video call) asks reminders to wait. Nothing tells when a
// program opens a camera, so the processes' open files are looked through, and only when a
// prompt is due: on the board's question while a prompt falls due or is held, at most every
// 1.5 s (every other question of the board's one-second tick), never while it simply waits;
// without a video device on the machine not at all.
class CameraHold final : public HoldSource {
public:
    static constexpr std::int64_t kLookEveryMs = 1500;

    explicit CameraHold(rt::Clock& clock, QString proc = QStringLiteral("/proc"),
                        QString dev = QStringLiteral("/dev"));

    QString name() const override { return QStringLiteral("Kamera"); }
    bool available() const override;
    bool holding() override;

private:
    rt::Clock& clock_;
    QString proc_;
    QString dev_;
    std::int64_t lookedAt_ = 0;
    bool looked_ = false;
    bool holding_ = false;
};

} // namespace desk
