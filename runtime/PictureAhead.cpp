#include "runtime/PictureAhead.h"

#include "runtime/DataFiles.h"

#include <QMetaObject>

namespace rt {

PictureAhead::PictureAhead(const DataFiles& files, Worker worker) : files_(files), worker_(worker) {
    pool_.setMaxThreadCount(1);
    // The worker is only needed while pictures are being asked for.
    pool_.setExpiryTimeout(5000);
}

PictureAhead::~PictureAhead() {
    pool_.clear();
    pool_.waitForDone();
}

void PictureAhead::request(const QString& programPath) {
    if (pictures_.contains(programPath))
        return;
    pictures_.insert(programPath, std::nullopt);
    requested_ << programPath;
    if (worker_ == Worker::Manual) {
        waiting_ << programPath;
        return;
    }
    pool_.start([this, programPath, generation = generation_] {
        Picture picture = loadPicture(files_, programPath);
        // The pool is drained before this object goes, so `this` outlives the call; the
        // delivery itself runs on the user-interface thread, or not at all once context_ is gone.
        QMetaObject::invokeMethod(
            &context_,
            [this, programPath, generation, picture = std::move(picture)]() mutable {
                deliver(programPath, generation, std::move(picture));
            },
            Qt::QueuedConnection);
    });
}

void PictureAhead::deliver(const QString& programPath, quint64 generation, Picture picture) {
    const auto it = pictures_.find(programPath);
    if (generation != generation_ || it == pictures_.end())
        return; // let go of in the meantime
    *it = std::move(picture);
    if (onReady)
        onReady(programPath);
}

std::optional<Picture> PictureAhead::take(const QString& programPath) {
    const auto it = pictures_.find(programPath);
    if (it == pictures_.end() || !it->has_value())
        return std::nullopt;
    std::optional<Picture> picture = std::move(*it);
    pictures_.erase(it);
    return picture;
}

void PictureAhead::drop(const QString& programPath) {
    pictures_.remove(programPath);
    waiting_.removeAll(programPath);
}

void PictureAhead::clear() {
    ++generation_;
    pictures_.clear();
    waiting_.clear();
}

bool PictureAhead::decodeNext() {
    if (waiting_.isEmpty())
        return false;
    const QString programPath = waiting_.takeFirst();
    deliver(programPath, generation_, loadPicture(files_, programPath));
    return true;
}

int PictureAhead::held() const {
    return int(pictures_.size());
}

} // namespace rt
