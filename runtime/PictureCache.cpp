#include "runtime/PictureCache.h"

#include "runtime/DataFiles.h"

#include <algorithm>

namespace rt {

const Picture& PictureCache::get(const DataFiles& files, const QString& programPath,
                                 bool* decoded) {
    QString key = programPath.toLower();
    key.replace(QLatin1Char('/'), QLatin1Char('\\'));
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [&](const Entry& e) { return e.key == key; });
    if (decoded)
        *decoded = it == entries_.end();
    if (it != entries_.end()) {
        // Most recently used goes last.
        std::rotate(it, it + 1, entries_.end());
        return entries_.back().picture;
    }
    if (capacity_ > 0 && int(entries_.size()) >= capacity_)
        entries_.erase(entries_.begin());
    ++decodes_;
    entries_.push_back({std::move(key), loadPicture(files, programPath)});
    return entries_.back().picture;
}

} // namespace rt
