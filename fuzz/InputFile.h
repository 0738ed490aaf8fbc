#pragma once

// The loaders under test take a path, not bytes: each input is written to one file in memory
// (/dev/shm, or the temporary folder where there is none) that is reused for the whole run.

#include <QString>

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzz {

class InputFile {
public:
    explicit InputFile(const char* suffix) {
        const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : std::getenv("TMPDIR");
        if (!dir)
            dir = "/tmp";
        path_ = std::string(dir) + "/quillet-fuzz-" + std::to_string(getpid()) + suffix;
        qpath_ = QString::fromStdString(path_);
    }
    ~InputFile() { unlink(path_.c_str()); }

    // Replaces the file's content with `data`; the process ends if that fails, as nothing after
    // it would be a test of the loader.
    const QString& write(const std::uint8_t* data, std::size_t size) {
        const int fd = open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0) {
            std::perror(path_.c_str());
            std::abort();
        }
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::write(fd, data + done, size - done);
            if (n <= 0) {
                std::perror(path_.c_str());
                std::abort();
            }
            done += std::size_t(n);
        }
        close(fd);
        return qpath_;
    }

private:
    std::string path_;
    QString qpath_;
};

} // namespace fuzz
