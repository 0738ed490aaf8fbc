#pragma once

#include <QLockFile>
#include <QString>

#include <functional>
#include <memory>

class QLocalServer;

namespace rt {

// One running copy per settings folder: the first start takes a lock file and listens on a
// local socket beside it, both in the user's runtime folder. A second start finds the lock,
// asks the first copy through the socket to come to the front, and ends. A lock left by a copy
// that crashed or was killed belongs to no running process and is taken over.
class SingleInstance {
public:
    // `key` names what is guarded (the settings folder); `folder` is where lock and socket live.
    SingleInstance(const QString& key, const QString& folder);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this is the only copy (then it listens for later starts); false when another
    // copy runs, which has been asked to come to the front.
    bool acquire();

    // Runs in the first copy whenever a later start asks for it.
    std::function<void()> onRaise;

    QString lockPath() const { return base_ + QStringLiteral(".lock"); }
    QString socketPath() const { return base_ + QStringLiteral(".socket"); }

    // The user's runtime folder ($XDG_RUNTIME_DIR), or the temporary folder.
    static QString runtimeFolder();

private:
    void askRunningCopy();

    QString base_;
    QLockFile lock_;
    std::unique_ptr<QLocalServer> server_;
};

} // namespace rt
