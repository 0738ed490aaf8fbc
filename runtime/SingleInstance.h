#pragma once

#include <QString>

#include <functional>
#include <memory>

class QSocketNotifier;

namespace rt {

// One running copy per settings folder: the first start locks a file and listens on a local
// socket beside it, both in the user's runtime folder. A second start finds the file locked,
// asks the first copy through the socket to come to the front, and ends. The lock belongs to
// the running process: the system lets go of it when the process ends, however it ends, so a
// copy that crashed or was killed leaves nothing that keeps the next start out.
class SingleInstance {
public:
    // `key` names what is guarded (the settings folder), however it is spelled: links in it are
    // followed, so one folder has one lock; `folder` is where lock and socket live.
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
    void listen();
    void acceptCalls();
    void askRunningCopy();

    QString base_;
    int lockFd_ = -1;
    int serverFd_ = -1;
    // Owns the notifiers of the calls being read, too.
    std::unique_ptr<QSocketNotifier> server_;
};

} // namespace rt
