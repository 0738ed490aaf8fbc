#pragma once

#include "runtime/Pictures.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <functional>
#include <optional>

namespace rt {

class DataFiles;

// Decodes pictures ahead of the moment they are shown, one at a time on a worker thread, and
// hands each over on the user-interface thread. A picture is decoded once per request and held
// until it is taken or let go, so what is held is only what was asked for and not yet shown.
class PictureAhead {
public:
    enum class Worker {
        Thread, // a worker thread decodes; onReady comes through the event loop
        Manual, // requests wait until decodeNext() (tests: nothing happens behind their back)
    };

    explicit PictureAhead(const DataFiles& files, Worker worker = Worker::Thread);
    // Waits for a decode under way; nothing is delivered afterwards.
    ~PictureAhead();
    PictureAhead(const PictureAhead&) = delete;
    PictureAhead& operator=(const PictureAhead&) = delete;

    // Starts decoding the picture unless it is already asked for.
    void request(const QString& programPath);
    // The decoded picture (or why there is none) once it is ready; it is then no longer held.
    std::optional<Picture> take(const QString& programPath);
    // Lets go of one picture, decoded or still being decoded.
    void drop(const QString& programPath);
    // Lets go of everything held and asked for; a decode under way is dropped when it ends.
    void clear();

    // On the user-interface thread, when a requested picture has become ready to take.
    std::function<void(const QString& programPath)> onReady;

    // Manual worker: decodes the oldest waiting request now and delivers it. False when none waits.
    bool decodeNext();
    // Every request so far, in order (what a test or a measurement may want to know).
    const QStringList& requested() const { return requested_; }
    // How many pictures are decoded or being decoded and not yet taken.
    int held() const;

private:
    void deliver(const QString& programPath, quint64 generation, Picture picture);

    // Only the user-interface thread touches these; the worker just decodes and posts.
    const DataFiles& files_;
    Worker worker_;
    quint64 generation_ = 0;                          // counts clear()s
    QHash<QString, std::optional<Picture>> pictures_; // asked for; a value once decoded
    QStringList requested_;
    QStringList waiting_; // manual worker's queue
    QObject context_;     // queued deliveries go through it, on the user-interface thread
    QThreadPool pool_;
};

} // namespace rt
