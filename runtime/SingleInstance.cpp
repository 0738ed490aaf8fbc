#include "runtime/SingleInstance.h"

#include "runtime/SafeFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace rt {

namespace {

constexpr char kRaise[] = "raise\n";
constexpr int kAnswerSeconds = 2;
// A later start says one short word; whoever sends more is not one of us.
constexpr qsizetype kMostWords = 64;

// The one spelling of a folder: links and "." or ".." resolved as far as the folder exists, the
// rest (not made yet) appended as written. Two starts that reach one folder by two ways (one of
// them through a link) must meet at the same lock.
QString canonicalFolder(const QString& path) {
    QString existing = QDir::cleanPath(QDir::current().absoluteFilePath(path));
    QStringList missing;
    QString real;
    for (;;) {
        real = QFileInfo(existing).canonicalFilePath();
        if (!real.isEmpty())
            break;
        const QString parent = QFileInfo(existing).path();
        if (parent == existing)
            return QDir::cleanPath(QDir::current().absoluteFilePath(path));
        missing.prepend(QFileInfo(existing).fileName());
        existing = parent;
    }
    for (const QString& part : missing)
        real = QDir(real).filePath(part);
    return QDir::cleanPath(real);
}

// The socket of the copy guarding `settings` (a real path) in `runtime`.
QString socketName(const QString& settings, const QString& runtime) {
    const QByteArray hash =
        QCryptographicHash::hash(settings.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    return QDir(runtime).filePath(QStringLiteral("quillet-") + QString::fromLatin1(hash) +
                                  QStringLiteral(".socket"));
}

// The lock may be trusted when it is our own file, or root's (root can do anything to us
// anyway); root itself trusts the lock of the user whose settings it runs with. Anything else
// (another user's file, a device, a pipe) could keep us out at someone else's will.
bool trusted(int fd) {
    struct stat s {};
    if (::fstat(fd, &s) != 0 || !S_ISREG(s.st_mode))
        return false;
    return s.st_uid == ::geteuid() || s.st_uid == 0 || ::geteuid() == 0;
}

// The socket's address, or false when the path does not fit one.
bool socketAddress(const QString& path, sockaddr_un* address) {
    const QByteArray native = QFile::encodeName(path);
    std::memset(address, 0, sizeof *address);
    address->sun_family = AF_UNIX;
    if (native.isEmpty() || std::size_t(native.size()) >= sizeof address->sun_path)
        return false;
    std::memcpy(address->sun_path, native.constData(), std::size_t(native.size()));
    return true;
}

// One later start on the line: read until it has said its word, then hang up.
class Call : public QObject {
public:
    Call(int fd, QObject* parent, std::function<void()> raise)
        : QObject(parent), fd_(fd), notifier_(fd, QSocketNotifier::Read, this),
          raise_(std::move(raise)) {
        QObject::connect(&notifier_, &QSocketNotifier::activated, this, [this] { read(); });
    }
    ~Call() override { ::close(fd_); }

private:
    void read() {
        char buffer[kMostWords];
        ssize_t n = 0;
        while (said_.size() < kMostWords && (n = ::read(fd_, buffer, sizeof buffer)) > 0)
            said_.append(buffer, n);
        const bool waiting = n < 0 && (errno == EAGAIN || errno == EINTR);
        if (waiting && !said_.contains('\n') && said_.size() < kMostWords)
            return;
        notifier_.setEnabled(false);
        deleteLater();
        if (said_ == kRaise && raise_)
            raise_();
    }

    int fd_;
    QSocketNotifier notifier_;
    std::function<void()> raise_;
    QByteArray said_;
};

} // namespace

SingleInstance::SingleInstance(const QString& settings, const QString& runtime)
    : settings_(canonicalFolder(settings)),
      lockPath_(QDir(settings_).filePath(QStringLiteral("quillet.lock"))),
      socketPath_(socketName(settings_, runtime)) {}

SingleInstance::~SingleInstance() {
    if (serverFd_ >= 0) {
        server_.reset();
        ::close(serverFd_);
        ::unlink(QFile::encodeName(socketPath()).constData());
    }
    // The lock file stays: removing it while another start has it open would let two copies
    // lock two different files.
    if (lockFd_ >= 0)
        ::close(lockFd_);
}

QString SingleInstance::runtimeFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder;
}

bool SingleInstance::acquire() {
    // The folder cannot hold a lock (read-only, full, a file system without locks), or the lock
    // is not ours (a link, another user's file): run without the guard rather than not at all.
    if (!makeFolder(settings_).ok)
        return true;
    const QByteArray lock = QFile::encodeName(lockPath_);
    constexpr int kFlags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    int fd = ::open(lock.constData(), O_RDWR | O_CREAT | kFlags, 0644);
    if (fd < 0 && errno == EACCES) // root's lock from a start with `su`: locked all the same
        fd = ::open(lock.constData(), O_RDONLY | kFlags);
    if (fd < 0)
        return true;
    if (!trusted(fd)) {
        ::close(fd);
        return true;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool taken = errno == EWOULDBLOCK;
        if (taken)
            askRunningCopy(fd);
        ::close(fd);
        return !taken;
    }
    lockFd_ = fd;
    listen();
    // The lock names the socket, for later starts whose runtime folder is another one.
    const QByteArray named = serverFd_ >= 0 ? QFile::encodeName(socketPath_) + '\n' : QByteArray();
    if (::ftruncate(fd, 0) == 0 && !named.isEmpty())
        (void)!::pwrite(fd, named.constData(), std::size_t(named.size()), 0);
    return true;
}

// We hold the lock, so a socket file already there was left by a copy that was killed.
void SingleInstance::listen() {
    makeFolder(QFileInfo(socketPath_).absolutePath());
    sockaddr_un address;
    if (!socketAddress(socketPath(), &address))
        return;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return;
    ::unlink(address.sun_path);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(address.sun_path, 0600) != 0 || ::listen(fd, 8) != 0) {
        ::close(fd);
        return;
    }
    serverFd_ = fd;
    server_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(server_.get(), &QSocketNotifier::activated, server_.get(),
                     [this] { acceptCalls(); });
}

void SingleInstance::acceptCalls() {
    for (;;) {
        const int fd = ::accept4(serverFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;
        new Call(fd, server_.get(), [this] {
            if (onRaise)
                onRaise();
        });
    }
}

// Tells the running copy to come to the front, through the socket its lock names (or, when it
// names none, where ours would be). When it cannot be reached (still starting, hanging, on
// another machine sharing the home folder), this start does not go ahead either: two copies
// must never share the settings.
void SingleInstance::askRunningCopy(int lockFd) {
    char named[sizeof(sockaddr_un::sun_path) + 1] = {};
    const ssize_t n = ::pread(lockFd, named, sizeof named - 1, 0);
    QString path = socketPath_;
    const void* end = n > 1 && named[0] == '/' ? std::memchr(named, '\n', std::size_t(n)) : nullptr;
    if (end)
        path = QFile::decodeName(QByteArray(named, int(static_cast<const char*>(end) - named)));
    sockaddr_un address;
    if (!socketAddress(path, &address))
        return;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return;
    const timeval patience{kAnswerSeconds, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &patience, sizeof patience);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        ::send(fd, kRaise, sizeof kRaise - 1, MSG_NOSIGNAL);
    ::close(fd);
}

} // namespace rt
