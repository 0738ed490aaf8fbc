#pragma once

#include "runtime/Pictures.h"

#include <QString>

#include <vector>

namespace rt {

class DataFiles;

// The pictures a sequence shows over and over, decoded once: the most recently used ones stay
// in memory, the rest are let go. A picture that cannot be loaded is remembered as such too,
// so a missing file is looked for and reported once, not on every tick. Paths are compared
// without regard to case, as they are resolved.
class PictureCache {
public:
    explicit PictureCache(int capacity = 6) : capacity_(capacity) {}

    // `decoded` tells whether the file was read now, rather than taken from the cache.
    const Picture& get(const DataFiles& files, const QString& programPath, bool* decoded = nullptr);
    void clear() { entries_.clear(); }

    int size() const { return int(entries_.size()); }
    // How many files have been decoded (or tried) since the cache was made.
    int decodes() const { return decodes_; }

private:
    struct Entry {
        QString key;
        Picture picture;
    };
    int capacity_;
    int decodes_ = 0;
    std::vector<Entry> entries_; // least recently used first
};

} // namespace rt
