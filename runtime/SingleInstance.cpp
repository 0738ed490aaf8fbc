#include "runtime/SingleInstance.h"

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

QString baseName(const QString& key, const QString& folder) {
    const QByteArray hash =
        QCryptographicHash::hash(canonicalFolder(key).toUtf8(), QCryptographicHash::Sha256)
            .toHex()
            .left(16);
    return QDir(folder).filePath(QStringLiteral("quillet-") + QString::fromLatin1(hash));
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

SingleInstance::SingleInstance(const QString& key, const QString& folder)
    : base_(baseName(key, folder)) {}

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
    QDir().mkpath(QFileInfo(lockPath()).absolutePath());
    const int fd = ::open(QFile::encodeName(lockPath()).constData(),
                          O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    // The folder cannot hold a lock (read-only, full, a file system without locks), or the lock
    // is not ours (a link, or another user's file in a shared temporary folder, which that user
    // could hold to keep us out): run without the guard rather than not at all.
    if (fd < 0)
        return true;
    struct stat owner {};
    if (::fstat(fd, &owner) != 0 || owner.st_uid != ::geteuid()) {
        ::close(fd);
        return true;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool taken = errno == EWOULDBLOCK;
        ::close(fd);
        if (!taken)
            return true;
        askRunningCopy();
        return false;
    }
    lockFd_ = fd;
    listen();
    return true;
}

// We hold the lock, so a socket file already there was left by a copy that was killed.
void SingleInstance::listen() {
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

// Tells the running copy to come to the front. When it does not answer (still starting, or
// hanging), this start does not go ahead either: two copies must never share the settings.
void SingleInstance::askRunningCopy() {
    sockaddr_un address;
    if (!socketAddress(socketPath(), &address))
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
