#include "runtime/SafeFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rt {

FileOps FileOps::system() {
    return FileOps{::write, ::fsync, ::close, ::rename};
}

QString systemReason(int error) {
    const QString system = QString::fromLocal8Bit(std::strerror(error));
    const char* german = nullptr;
    switch (error) {
    case ENOSPC:
        german = "Auf dem Datenträger ist kein Platz mehr frei";
        break;
    case EDQUOT:
        german = "Das Speicherkontingent ist erschöpft";
        break;
    case EACCES:
    case EPERM:
        german = "Keine Berechtigung";
        break;
    case EROFS:
        german = "Der Datenträger ist schreibgeschützt";
        break;
    case ENOENT:
        german = "Die Datei oder der Ordner ist nicht vorhanden";
        break;
    case ENOTDIR:
        german = "Ein Teil des Pfades ist kein Ordner";
        break;
    case EISDIR:
        german = "An dieser Stelle liegt ein Ordner";
        break;
    case EIO:
        german = "Ein- und Ausgabefehler des Datenträgers";
        break;
    default:
        break;
    }
    return german ? QStringLiteral("%1 (%2)").arg(QString::fromUtf8(german), system) : system;
}

namespace {

FileResult failure(int error, bool existed) {
    FileResult r;
    r.ok = false;
    r.error = error;
    r.reason = systemReason(error);
    r.existed = existed;
    return r;
}

// Opens a new file beside `path` that no one else uses.
int openTemporary(const QByteArray& path, QByteArray& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = path + ".neu-" + QByteArray::number(qint64(::getpid())) + '-' +
               QByteArray::number(attempt);
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

} // namespace

FileResult replaceFile(const QString& path, const QByteArray& data, const FileOps& ops) {
    const QByteArray target = QFile::encodeName(path);
    struct stat old {};
    const bool existed = ::stat(target.constData(), &old) == 0;

    QByteArray temporary;
    const int fd = openTemporary(target, temporary);
    if (fd < 0)
        return failure(errno, existed);
    const auto abandon = [&](int error) {
        ::unlink(temporary.constData());
        return failure(error, existed);
    };

    if (existed && S_ISREG(old.st_mode))
        ::fchmod(fd, old.st_mode & 07777);

    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t n = ops.write(fd, data.constData() + done, size_t(data.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // A write that takes nothing is a full disk by another name.
            const int error = n < 0 ? errno : ENOSPC;
            ops.close(fd);
            return abandon(error);
        }
        done += n;
    }
    // Space may only be claimed here (delayed allocation, network file systems).
    if (ops.fsync(fd) != 0) {
        const int error = errno;
        ops.close(fd);
        return abandon(error);
    }
    if (ops.close(fd) != 0)
        return abandon(errno);
    if (ops.rename(temporary.constData(), target.constData()) != 0)
        return abandon(errno);

    // The new name lasts only once the folder itself is on the disk.
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    FileResult r;
    r.existed = existed;
    return r;
}

FileResult readFile(const QString& path, qsizetype max, QByteArray& out) {
    out.clear();
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        return failure(errno, errno != ENOENT);
    if (S_ISDIR(st.st_mode))
        return failure(EISDIR, true);
    // Never wait for a pipe or a device that stands where the file should be.
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return failure(errno, true);
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        FileResult r = failure(EINVAL, true);
        r.reason = QStringLiteral("An dieser Stelle liegt keine gewöhnliche Datei");
        return r;
    }
    out.resize(max);
    qsizetype got = 0;
    while (got < max) {
        const ssize_t n = ::read(fd, out.data() + got, size_t(max - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            out.clear();
            return failure(error, true);
        }
        if (n == 0)
            break;
        got += n;
    }
    ::close(fd);
    out.resize(got);
    FileResult r;
    r.existed = true;
    return r;
}

FileResult makeFolder(const QString& folder) {
    std::error_code ec;
    const std::filesystem::path p(QFile::encodeName(folder).toStdString());
    if (std::filesystem::is_directory(p, ec))
        return {};
    std::filesystem::create_directories(p, ec);
    if (ec)
        return failure(ec.value(), false);
    return {};
}

} // namespace rt
