#include "runtime/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace rt {

namespace {
constexpr char kRaise[] = "raise\n";
constexpr int kAnswerMs = 2000;

QString baseName(const QString& key, const QString& folder) {
    const QByteArray hash =
        QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    return QDir(folder).filePath(QStringLiteral("quillet-") + QString::fromLatin1(hash));
}
} // namespace

SingleInstance::SingleInstance(const QString& key, const QString& folder)
    : base_(baseName(key, folder)), lock_(base_ + QStringLiteral(".lock")) {
    // A copy that runs for days still holds its lock: only a lock whose process is gone is stale.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    if (server_)
        server_->close();
    if (lock_.isLocked())
        lock_.unlock();
}

QString SingleInstance::runtimeFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder;
}

bool SingleInstance::acquire() {
    QDir().mkpath(QFileInfo(lockPath()).absolutePath());
    if (!lock_.tryLock(0)) {
        if (lock_.error() == QLockFile::LockFailedError) {
            askRunningCopy();
            return false;
        }
        // The folder cannot hold a lock (read-only, full): run without the guard rather than
        // not at all.
        return true;
    }
    // We hold the lock: a socket left behind by a copy that was killed is stale.
    QLocalServer::removeServer(socketPath());
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QObject::connect(server_.get(), &QLocalServer::newConnection, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
                if (socket->readAll().contains("raise") && onRaise)
                    onRaise();
            });
        }
    });
    server_->listen(socketPath());
    return true;
}

// Tells the running copy to come to the front. When it does not answer (still starting, or
// hanging), this start does not go ahead either: two copies must never share the settings.
void SingleInstance::askRunningCopy() {
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(kAnswerMs))
        return;
    socket.write(kRaise);
    socket.waitForBytesWritten(kAnswerMs);
    socket.disconnectFromServer();
}

} // namespace rt
