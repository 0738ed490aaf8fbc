#pragma once

#include "desktop/Sources.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include <sys/types.h>

namespace desk {

// A recording stream as the sound server lists it (a source output).
struct CaptureStream {
    std::uint32_t source = 0;
    QByteArray processId;    // application.process.id; empty when the client named none
    bool levelMeter = false; // a mixer's level meter (peak detection), not a recording
};

// Whether another program than `own` records from a microphone: a stream on a source that is
// not the monitor of an output (`monitors` tells for each source it knows). A source the list
// does not know yet (it just came) counts as a microphone; level meters never count.
bool recordsFromMicrophone(const std::vector<CaptureStream>& streams,
                           const std::map<std::uint32_t, bool>& monitors, pid_t own);

// A program that records from a microphone (a call, a voice message) asks reminders to wait.
// The desktop's sound server (PulseAudio, or PipeWire's PulseAudio service) tells of every
// recording stream that comes, changes or goes; a connection of its own, on a thread of its own,
// follows them and hands the answer to the event loop, so waiting costs nothing and the GUI
// thread never waits for the server. A server that is not there, goes or restarts is looked
// for again, after 1 s, then ever less often down to every 30 s.
class MicrophoneHold final : public HoldSource {
public:
    MicrophoneHold();
    ~MicrophoneHold() override;

    // "PulseAudio" or "PipeWire".
    QString name() const override { return name_; }
    bool available() const override { return available_; }
    bool holding() override { return holding_; }

private:
    class Loop;
    struct Report {
        bool connected = false;
        bool recording = false;
        QString server;
    };
    void apply(const Report& report);

    QObject gui_; // on the GUI thread: the loop's reports arrive through it
    std::unique_ptr<Loop> loop_;
    QString name_ = QStringLiteral("PulseAudio");
    bool available_ = false;
    bool holding_ = false;
};

} // namespace desk
