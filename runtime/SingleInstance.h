#pragma once

#include <QString>

#include <functional>
#include <memory>

class QSocketNotifier;

namespace rt {

// One running copy per settings folder: the first start locks a file in the settings folder
// itself and listens on a local socket in the user's runtime folder. A second start finds the
// file locked, asks the first copy through the socket to come to the front, and ends. Every
// start of the same user meets the lock, whatever runtime folder its session gives it (a start
// from `su` or `ssh -X`, a home folder shared over the network): the lock file names the socket
// of the copy that holds it, and a start that cannot reach that socket ends all the same. The
// lock belongs to the running process: the system lets go of it when the process ends, however
// it ends, so a copy that crashed or was killed leaves nothing that keeps the next start out.
class SingleInstance {
public:
    // `settings` is the folder guarded, however it is spelled: links in it are followed, so one
    // folder has one lock; it is made when missing. `runtime` is where the socket lives.
    SingleInstance(const QString& settings, const QString& runtime);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this is the only copy (then it listens for later starts); false when another
    // copy runs, which has been asked to come to the front.
    bool acquire();

    // Runs in the first copy whenever a later start asks for it.
    std::function<void()> onRaise;

    QString lockPath() const { return lockPath_; }
    // Where this copy listens (or would).
    QString socketPath() const { return socketPath_; }

    // The user's runtime folder ($XDG_RUNTIME_DIR), or the temporary folder.
    static QString runtimeFolder();

private:
    void listen();
    void acceptCalls();
    void askRunningCopy(int lockFd);

    QString settings_;
    QString lockPath_;
    QString socketPath_;
    int lockFd_ = -1;
    int serverFd_ = -1;
    // Owns the notifiers of the calls being read, too.
    std::unique_ptr<QSocketNotifier> server_;
};

} // namespace rt
