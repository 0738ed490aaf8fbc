#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace rt {

// One narration channel: a new narration cuts off the one still playing, stop() cuts off the
// current one. Nothing here ever waits for a narration to end.
class NarrationPlayer {
public:
    virtual ~NarrationPlayer() = default;
    // Starts the WAV file at `path` (an absolute path), cutting off the narration still playing.
    // Returns false when it could not be started; nothing plays then, and the player has
    // reported why through its ErrorReport.
    virtual bool play(const QString& path) = 0;
    // Cuts off the narration at once.
    virtual void stop() = 0;
};

// Remembers every call instead of playing; for tests. Paths in `failing` fail like a missing
// file would.
class RecordingPlayer final : public NarrationPlayer {
public:
    bool play(const QString& path) override {
        record(QStringLiteral("play ") + path);
        return !failing.contains(path);
    }
    void stop() override { record(QStringLiteral("stop")); }

    QStringList calls;
    // Told of every call as it happens (tests note the time).
    std::function<void(const QString&)> observer;
    QStringList failing;

private:
    void record(const QString& call) {
        calls.append(call);
        if (observer)
            observer(call);
    }
};

} // namespace rt
