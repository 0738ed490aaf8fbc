#pragma once

#include "runtime/audio/NarrationPlayer.h"

#include <memory>

namespace rt {

class ErrorReport;

// Plays narrations through the PulseAudio server (or PipeWire's stand-in for it).
//
// The connection to the server is made on the first play, in the background, and never waited
// for: a narration asked for while it is still being made starts as soon as it stands. When there
// is no server, play() reports why; every later play() first tries to connect again, since a server
// may come up later. Losing the server while a narration waits or plays is reported once the GUI
// thread's event loop runs again. An idle player leaves its stream corked and causes no wakeups.
//
// Create, use and destroy on the GUI thread; `report` is only ever called there and must outlive
// the player.
class PulsePlayer final : public NarrationPlayer {
public:
    explicit PulsePlayer(ErrorReport& report);
    ~PulsePlayer() override;
    PulsePlayer(const PulsePlayer&) = delete;
    PulsePlayer& operator=(const PulsePlayer&) = delete;

    // Opens the file and checks its header on the calling thread, cuts off whatever plays, and
    // decodes the file on a thread of its own: it starts as soon as it is decoded, and the
    // calling thread never waits for that. When the file cannot be opened, the narration still
    // playing is cut off as well and play() says so; a file that fails while it is decoded is
    // reported once the GUI thread's event loop runs again.
    bool play(const QString& path) override;
    void stop() override;

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace rt
