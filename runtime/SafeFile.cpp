#include "runtime/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>
#include <system_error>

#include <climits>

#include <fcntl.h>
#include <signal.h>
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

constexpr char kTemporaryMark[] = ".neu-";

// Opens a new file beside `path` that no one else uses: `path`.neu-<process id>-<attempt>.
int openTemporary(const QByteArray& path, QByteArray& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = path + kTemporaryMark + QByteArray::number(qint64(::getpid())) + '-' +
               QByteArray::number(attempt);
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// Follows the chain of symbolic links that `path` starts (as many as the system itself follows).
int followLinks(QByteArray& path) {
    constexpr int kMostLinks = 40;
    for (int hops = 0; hops <= kMostLinks; ++hops) {
        struct stat st {};
        if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            return 0; // the end of the chain, whether a file is there or not
        QByteArray link(PATH_MAX, '\0');
        const ssize_t n = ::readlink(path.constData(), link.data(), size_t(link.size()));
        if (n < 0)
            return errno;
        link.truncate(n);
        if (link.startsWith('/')) {
            path = link;
        } else {
            const qsizetype slash = path.lastIndexOf('/');
            path = (slash < 0 ? QByteArray() : path.left(slash + 1)) + link;
        }
    }
    return ELOOP;
}

} // namespace

FileResult linkTarget(const QString& path, QString& target) {
    QByteArray name = QFile::encodeName(path);
    const int error = followLinks(name);
    target = QFile::decodeName(name);
    if (error != 0)
        return failure(error, true);
    return {};
}

FileResult replaceFile(const QString& path, const QByteArray& data, const FileOps& ops) {
    // A link stays a link: the file it leads to is replaced, in that file's own folder.
    QByteArray target = QFile::encodeName(path);
    if (const int error = followLinks(target); error != 0)
        return failure(error, true);
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
    const QByteArray folder =
        QFile::encodeName(QFileInfo(QFile::decodeName(target)).absolutePath());
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

namespace {

// Whether the process `pid` may still be writing a file it named after itself. Only a process
// that is gone, or that says it is another program, has certainly stopped; this process is in
// no save while it tidies up.
bool mayStillWrite(pid_t pid) {
    if (pid == ::getpid())
        return false;
    if (::kill(pid, 0) != 0 && errno == ESRCH)
        return false;
    QFile comm(QStringLiteral("/proc/%1/comm").arg(qint64(pid)));
    if (!comm.open(QIODevice::ReadOnly))
        return true;
    const QByteArray name = comm.readAll().trimmed();
    return name.isEmpty() || name.startsWith("quillet");
}

// Removes name.neu-<pid>-<n> in `folder` for every pid that no longer writes.
void removeLeftovers(const QString& folder, const QString& name) {
    const QString prefix = name + QLatin1String(kTemporaryMark);
    const QDir dir(folder);
    const QStringList found = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    static const QRegularExpression kNumbers(QStringLiteral("^([1-9][0-9]{0,9})-[0-9]{1,3}$"));
    for (const QString& entry : found) {
        if (!entry.startsWith(prefix))
            continue;
        const QRegularExpressionMatch numbers = kNumbers.match(entry.mid(prefix.size()));
        if (!numbers.hasMatch())
            continue;
        const qint64 pid = numbers.captured(1).toLongLong();
        if (pid > std::numeric_limits<pid_t>::max())
            continue;
        const QByteArray file = QFile::encodeName(dir.filePath(entry));
        struct stat st {};
        if (::lstat(file.constData(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
            continue;
        if (!mayStillWrite(pid_t(pid)))
            ::unlink(file.constData());
    }
}

} // namespace

void removeStaleTemporaries(const QString& path) {
    const QFileInfo file(path);
    removeLeftovers(file.absolutePath(), file.fileName());
    QString target;
    if (linkTarget(path, target).ok && target != path) {
        const QFileInfo end(target);
        removeLeftovers(end.absolutePath(), end.fileName());
    }
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
