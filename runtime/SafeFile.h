#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

namespace rt {

// The system calls a file is written with. Tests replace single ones to make them fail the way
// a full disk or a broken medium does.
struct FileOps {
    ssize_t (*write)(int fd, const void* data, size_t size);
    int (*fsync)(int fd);
    int (*close)(int fd);
    int (*rename)(const char* from, const char* to);
    static FileOps system();
};

struct FileResult {
    bool ok = true;
    int error = 0;        // errno of the step that failed
    QString reason;       // that errno in German, for messages
    bool existed = false; // a file was at the path before (and, on failure, still is unchanged)
};

// Writes `data` as the whole content of `path`, or nothing at all: into a new file beside it,
// every byte checked, synced to the disk, then renamed over the old file. On any failure the old
// file is exactly as it was and the new one is gone. A new file keeps the mode of the old one
// (or gets the user's default mode); the folder must exist. When `path` is a symbolic link, the
// link stays and the file at the end of its chain is replaced so, beside that file.
FileResult replaceFile(const QString& path, const QByteArray& data,
                       const FileOps& ops = FileOps::system());

// Where the chain of symbolic links that `path` starts ends (`path` itself when it is no link);
// ELOOP when the chain does not end. The file there need not exist.
FileResult linkTarget(const QString& path, QString& target);

// Removes the new files that saves of `path` left when their process was killed half-way
// (`path`.neu-<pid>-<n>, beside the link and beside its target), for pids that are certainly no
// Quillet writing any more: gone, or running another program. Call it before the first save.
void removeStaleTemporaries(const QString& path);

// Reads at most `max` bytes from the start of `path` into `out`. `existed` is false (and the
// result not ok, with ENOENT) when there is no file at all.
FileResult readFile(const QString& path, qsizetype max, QByteArray& out);

// Creates `folder` and its parents when missing.
FileResult makeFolder(const QString& folder);

// The reason behind an errno, in German for the reasons a user meets (a full disk, a file that
// may not be read or written, a read-only medium, a file that is not there), with the system's
// own text after it; the system's text alone for the rest.
QString systemReason(int error);

} // namespace rt
