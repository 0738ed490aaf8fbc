#include "runtime/audio/PulsePlayer.h"

#include "runtime/ErrorReport.h"
#include "runtime/audio/WavFile.h"

#include <QMetaObject>
#include <QObject>

#include <pulse/pulseaudio.h>
#include <pulse/rtclock.h>

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace rt {

namespace {

// The server asks for about this much sound ahead of what is heard. Little, so that a narration
// starts and stops at once; the whole file is in memory, so refilling never has to wait.
constexpr pa_usec_t kTargetLengthUsec = 60'000;
constexpr pa_usec_t kMinRequestUsec = 10'000;
// Playback starts once this much is buffered; shorter sounds are started by hand.
constexpr pa_usec_t kPrebufferUsec = 10'000;
// After the end of a sound the stream is corked once the sink has played what it holds, and a
// little later for good measure.
constexpr pa_usec_t kCorkMarginUsec = 50'000;
constexpr pa_usec_t kUnknownSinkLatencyUsec = 500'000;

// libpulse's reason, in German where it is one a user meets, with libpulse's own words after it.
QString reason(int error) {
    const QString library = QString::fromUtf8(pa_strerror(error));
    const char* german = nullptr;
    switch (error) {
    case PA_ERR_CONNECTIONREFUSED:
        german = "Verbindung abgelehnt";
        break;
    case PA_ERR_ACCESS:
        german = "Zugriff verweigert";
        break;
    case PA_ERR_CONNECTIONTERMINATED:
        german = "Verbindung beendet";
        break;
    case PA_ERR_TIMEOUT:
        german = "Zeitüberschreitung";
        break;
    case PA_ERR_INVALIDSERVER:
        german = "ungültige Adresse des Tonservers";
        break;
    case PA_ERR_NOTSUPPORTED:
        german = "nicht unterstützt";
        break;
    default:
        break;
    }
    return german ? QStringLiteral("%1 (%2)").arg(QString::fromUtf8(german), library) : library;
}

// The sound server is not there or went away.
QString serverError(int error) {
    return QStringLiteral("Die Ansagen können nicht abgespielt werden: Quillet erreicht keinen "
                          "Tonserver. Für die Ansagen muss PulseAudio oder PipeWire laufen; die "
                          "Übungen gehen ohne Ton weiter.\n\nGrund: %1")
        .arg(reason(error));
}

// The server is there, but the sound cannot go out.
QString outputError(int error) {
    return QStringLiteral("Die Tonausgabe ist gestört; die Übungen gehen ohne Ton weiter.\n\n"
                          "Grund: %1")
        .arg(reason(error));
}

void release(pa_operation* operation) {
    if (operation)
        pa_operation_unref(operation);
}

class LoopLock {
public:
    explicit LoopLock(pa_threaded_mainloop* loop) : loop_(loop) {
        pa_threaded_mainloop_lock(loop_);
    }
    ~LoopLock() { pa_threaded_mainloop_unlock(loop_); }
    LoopLock(const LoopLock&) = delete;
    LoopLock& operator=(const LoopLock&) = delete;

private:
    pa_threaded_mainloop* loop_;
};

} // namespace

// Everything below the loop pointer is shared with the mainloop thread and only touched with the
// mainloop lock held (or while that thread is not running). libpulse calls the static callbacks
// on that thread with the lock held.
class PulsePlayer::Impl {
public:
    explicit Impl(ErrorReport& report);
    ~Impl();
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    bool play(const QString& path);
    void stop();

private:
    void connectContext();
    void dropContext();
    void dropStream();
    int startSound();
    int createStream();
    void feed();
    void cancelEnd();
    void setCorked(bool corked);
    void forget();
    void cutOff();
    void postFailure(int error, bool server);
    void postFailure(const QString& text);
    void deliverFailure();
    void decodeLoop();
    void decoded(std::uint64_t sound, WavFile& samples, bool ok, const QString& error);

    static void onContextState(pa_context* context, void* self);
    static void onStreamState(pa_stream* stream, void* self);
    static void onStaleStreamState(pa_stream* stream, void*);
    static void onWrite(pa_stream* stream, std::size_t bytes, void* self);
    static void onDrained(pa_stream* stream, int success, void* self);
    static void onTiming(pa_stream* stream, int success, void* self);
    static void onCorkTime(pa_mainloop_api* api, pa_time_event* event, const struct timeval*,
                           void* self);

    ErrorReport& report_;
    QObject gui_; // lives on the GUI thread; failures found by the loop are delivered through it
    pa_threaded_mainloop* loop_ = nullptr;

    pa_context* context_ = nullptr;
    int contextError_ = PA_ERR_INTERNAL; // why the context failed, once it has

    pa_stream* stream_ = nullptr;
    pa_sample_spec streamFormat_{};
    bool corked_ = false;
    // The end of a sound: the drain tells when the server has taken the last sample, the timing
    // how long the sink still needs to play it, and the timer then corks the stream.
    pa_operation* drain_ = nullptr;
    pa_operation* timing_ = nullptr;
    pa_time_event* corkTimer_ = nullptr;

    // The sound that waits for the server or plays.
    std::vector<std::int16_t> samples_;
    pa_sample_spec format_{};
    std::size_t written_ = 0; // bytes of samples_ handed to the stream
    // A sound waits or plays, so losing the server now means the user misses it.
    bool busy_ = false;

    QString failure_; // the latest failure found by the loop, not yet reported
    bool failureQueued_ = false;

    // Sounds are decoded on a thread of their own, so that a long narration costs the GUI thread
    // nothing but opening its file. `sound_` counts the sounds asked for and stopped; a decoded
    // sound that is no longer the latest is dropped.
    std::uint64_t sound_ = 0;
    std::mutex decodeMutex_;
    std::condition_variable decodeWake_;
    std::optional<std::pair<std::uint64_t, SoundReader>> toDecode_; // under decodeMutex_
    bool quit_ = false;                                             // under decodeMutex_
    std::thread decoder_;
};

PulsePlayer::Impl::Impl(ErrorReport& report) : report_(report) {
    decoder_ = std::thread([this] { decodeLoop(); });
    loop_ = pa_threaded_mainloop_new();
    if (!loop_)
        return;
    // The server is asked for on the first play, not here: the program starts without waiting
    // for it, and the server is not woken while the first window is being drawn.
    pa_threaded_mainloop_set_name(loop_, "quillet-sound");
    if (pa_threaded_mainloop_start(loop_) < 0) {
        pa_threaded_mainloop_free(loop_);
        loop_ = nullptr;
    }
}

PulsePlayer::Impl::~Impl() {
    {
        std::lock_guard lock(decodeMutex_);
        quit_ = true;
        toDecode_.reset();
    }
    decodeWake_.notify_one();
    decoder_.join();
    if (!loop_)
        return;
    // Once the thread has stopped, nothing else touches the state or posts to gui_.
    pa_threaded_mainloop_stop(loop_);
    dropStream();
    dropContext();
    pa_threaded_mainloop_free(loop_);
}

bool PulsePlayer::Impl::play(const QString& path) {
    SoundReader reader;
    QString error;
    if (!SoundReader::open(path, reader, error)) {
        stop();
        report_.report(error);
        return false;
    }
    const pa_sample_spec format{PA_SAMPLE_S16NE, static_cast<std::uint32_t>(reader.sampleRate()),
                                static_cast<std::uint8_t>(std::min(reader.channels(), 255))};
    if (reader.channels() > static_cast<int>(PA_CHANNELS_MAX) || !pa_sample_spec_valid(&format)) {
        stop();
        report_.report(QStringLiteral("Die Tondatei „%1“ kann nicht abgespielt werden: %2")
                           .arg(path, QString::fromUtf8(pa_strerror(PA_ERR_NOTSUPPORTED))));
        return false;
    }
    if (!loop_) {
        report_.report(outputError(PA_ERR_INTERNAL));
        return false;
    }

    int failure = 0;
    std::uint64_t sound = 0;
    {
        LoopLock lock(loop_);
        if (!context_ || !PA_CONTEXT_IS_GOOD(pa_context_get_state(context_))) {
            // The server may have come up since; a failure now shows synchronously below.
            dropStream();
            dropContext();
            connectContext();
        }
        // What plays now is cut off at once, not when the new sound is ready.
        cutOff();
        sound = ++sound_;
        format_ = format;
        const pa_context_state_t state =
            context_ ? pa_context_get_state(context_) : PA_CONTEXT_FAILED;
        if (PA_CONTEXT_IS_GOOD(state))
            busy_ = true; // started once decoded (and connected)
        else
            failure = contextError_;
    }
    if (failure) {
        report_.report(serverError(failure));
        return false;
    }
    {
        std::lock_guard lock(decodeMutex_);
        toDecode_.emplace(sound, std::move(reader));
    }
    decodeWake_.notify_one();
    return true;
}

void PulsePlayer::Impl::stop() {
    if (!loop_)
        return;
    LoopLock lock(loop_);
    ++sound_; // a sound still being decoded is not started
    cutOff();
}

// Drops the sound that waits or plays and silences the stream. With the loop locked.
void PulsePlayer::Impl::cutOff() {
    forget();
    if (stream_ && pa_stream_get_state(stream_) == PA_STREAM_READY) {
        release(pa_stream_flush(stream_, nullptr, nullptr));
        setCorked(true);
    }
}

void PulsePlayer::Impl::decodeLoop() {
    for (;;) {
        std::pair<std::uint64_t, SoundReader> job;
        {
            std::unique_lock lock(decodeMutex_);
            decodeWake_.wait(lock, [this] { return quit_ || toDecode_; });
            if (quit_)
                return;
            job = std::move(*toDecode_);
            toDecode_.reset();
        }
        WavFile sound;
        QString error;
        const bool ok = job.second.decode(sound, error);
        decoded(job.first, sound, ok, error);
    }
}

// On the decoding thread: hands the samples to the stream if they are still wanted.
void PulsePlayer::Impl::decoded(std::uint64_t sound, WavFile& samples, bool ok,
                                const QString& error) {
    if (!loop_)
        return;
    LoopLock lock(loop_);
    if (sound != sound_)
        return; // stopped, or another sound asked for meanwhile
    if (!ok) {
        forget();
        postFailure(error);
        return;
    }
    samples_ = std::move(samples.samples);
    written_ = 0;
    busy_ = !samples_.empty();
    if (!context_ || pa_context_get_state(context_) != PA_CONTEXT_READY)
        return; // onContextState starts it once connected, or tells why it cannot
    if (const int failure = startSound()) {
        forget();
        postFailure(failure, false);
    }
}

void PulsePlayer::Impl::connectContext() {
    pa_proplist* props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Quillet");
    pa_proplist_sets(props, PA_PROP_APPLICATION_ID, "quillet");
    context_ = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop_), "Quillet", props);
    pa_proplist_free(props);
    if (!context_) {
        contextError_ = PA_ERR_INTERNAL;
        return;
    }
    pa_context_set_state_callback(context_, &Impl::onContextState, this);
    // No autospawn: it would fork this process and wait for the new server on the GUI thread.
    // A local server that is not there fails at once, inside this call (see onContextState).
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        contextError_ = pa_context_errno(context_); // also when it never left "unconnected"
}

void PulsePlayer::Impl::dropContext() {
    if (!context_)
        return;
    pa_context_set_state_callback(context_, nullptr, nullptr);
    pa_context_disconnect(context_);
    pa_context_unref(context_);
    context_ = nullptr;
}

void PulsePlayer::Impl::dropStream() {
    cancelEnd();
    if (!stream_)
        return;
    pa_stream* stream = std::exchange(stream_, nullptr);
    pa_stream_set_write_callback(stream, nullptr, nullptr);
    if (pa_stream_get_state(stream) == PA_STREAM_CREATING) {
        // It cannot be disconnected before the server has answered; our reference goes then.
        pa_stream_set_state_callback(stream, &Impl::onStaleStreamState, nullptr);
        return;
    }
    pa_stream_set_state_callback(stream, nullptr, nullptr);
    if (pa_stream_get_state(stream) == PA_STREAM_READY)
        pa_stream_disconnect(stream);
    pa_stream_unref(stream);
}

// Hands samples_ to the stream, reusing the stream when it has the right format. Needs a ready
// context. Returns 0 or a libpulse error code.
int PulsePlayer::Impl::startSound() {
    if (stream_) {
        const bool usable = PA_STREAM_IS_GOOD(pa_stream_get_state(stream_)) &&
                            (samples_.empty() || pa_sample_spec_equal(&streamFormat_, &format_));
        if (!usable)
            dropStream();
    }
    if (!stream_)
        return samples_.empty() ? 0 : createStream();
    if (pa_stream_get_state(stream_) != PA_STREAM_READY)
        return 0; // onStreamState feeds it once the server has set it up
    // Cut off what is still buffered; new data goes in from the same index on.
    release(pa_stream_flush(stream_, nullptr, nullptr));
    if (samples_.empty()) {
        setCorked(true);
        return 0;
    }
    feed();
    setCorked(false);
    return 0;
}

int PulsePlayer::Impl::createStream() {
    pa_channel_map map;
    pa_channel_map_init_extend(&map, format_.channels, PA_CHANNEL_MAP_DEFAULT);
    stream_ = pa_stream_new(context_, "Ansage", &format_, &map);
    if (!stream_)
        return pa_context_errno(context_);
    streamFormat_ = format_;
    corked_ = false;
    pa_stream_set_state_callback(stream_, &Impl::onStreamState, this);
    pa_stream_set_write_callback(stream_, &Impl::onWrite, this);

    pa_buffer_attr attr;
    attr.maxlength = static_cast<std::uint32_t>(-1);
    attr.tlength = static_cast<std::uint32_t>(pa_usec_to_bytes(kTargetLengthUsec, &format_));
    attr.prebuf = static_cast<std::uint32_t>(pa_usec_to_bytes(kPrebufferUsec, &format_));
    attr.minreq = static_cast<std::uint32_t>(pa_usec_to_bytes(kMinRequestUsec, &format_));
    attr.fragsize = static_cast<std::uint32_t>(-1);
    if (pa_stream_connect_playback(stream_, nullptr, &attr, PA_STREAM_ADJUST_LATENCY, nullptr,
                                   nullptr) < 0) {
        const int error = pa_context_errno(context_);
        dropStream();
        return error;
    }
    return 0;
}

// Writes as much of the sound as the server asks for. After the last piece the stream is started
// even when less than the prebuffer came together, and drained so that it can be corked.
void PulsePlayer::Impl::feed() {
    if (!stream_ || pa_stream_get_state(stream_) != PA_STREAM_READY)
        return;
    const std::size_t total = samples_.size() * sizeof(std::int16_t);
    if (written_ >= total)
        return;
    const std::size_t writable = pa_stream_writable_size(stream_);
    if (writable == static_cast<std::size_t>(-1))
        return;
    std::size_t bytes = std::min(writable, total - written_);
    bytes -= bytes % pa_frame_size(&format_);
    if (bytes == 0)
        return;
    const auto* data = reinterpret_cast<const std::uint8_t*>(samples_.data()) + written_;
    if (pa_stream_write(stream_, data, bytes, nullptr, 0, PA_SEEK_RELATIVE) < 0)
        return; // the stream is failing; onStreamState hears of it
    written_ += bytes;
    if (written_ == total) {
        release(pa_stream_trigger(stream_, nullptr, nullptr));
        drain_ = pa_stream_drain(stream_, &Impl::onDrained, this);
    }
}

void PulsePlayer::Impl::cancelEnd() {
    // A cancelled operation never calls back, so a late answer cannot cork the next sound.
    for (pa_operation** operation : {&drain_, &timing_}) {
        if (*operation) {
            pa_operation_cancel(*operation);
            pa_operation_unref(std::exchange(*operation, nullptr));
        }
    }
    if (corkTimer_)
        pa_threaded_mainloop_get_api(loop_)->time_free(std::exchange(corkTimer_, nullptr));
}

void PulsePlayer::Impl::setCorked(bool corked) {
    if (corked == corked_ || !stream_)
        return;
    if (pa_operation* operation = pa_stream_cork(stream_, corked ? 1 : 0, nullptr, nullptr)) {
        pa_operation_unref(operation);
        corked_ = corked;
    }
}

// Drops the sound that waits or plays, without touching the stream.
void PulsePlayer::Impl::forget() {
    cancelEnd();
    samples_.clear();
    samples_.shrink_to_fit();
    written_ = 0;
    busy_ = false;
}

void PulsePlayer::Impl::postFailure(int error, bool server) {
    postFailure(server ? serverError(error) : outputError(error));
}

void PulsePlayer::Impl::postFailure(const QString& text) {
    failure_ = text;
    if (failureQueued_)
        return;
    failureQueued_ = true;
    QMetaObject::invokeMethod(
        &gui_, [this] { deliverFailure(); }, Qt::QueuedConnection);
}

void PulsePlayer::Impl::deliverFailure() {
    QString text;
    {
        LoopLock lock(loop_);
        text = std::exchange(failure_, QString());
        failureQueued_ = false;
    }
    // Never with the lock held: the report may open a modal box and run the event loop.
    if (!text.isEmpty())
        report_.report(text);
}

void PulsePlayer::Impl::onContextState(pa_context* context, void* self) {
    auto* impl = static_cast<Impl*>(self);
    if (context != impl->context_)
        return;
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        if (impl->busy_) {
            if (const int error = impl->startSound()) {
                impl->forget();
                impl->postFailure(error, false);
            }
        }
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        impl->contextError_ = pa_context_errno(context);
        if (impl->contextError_ == PA_OK)
            impl->contextError_ = PA_ERR_CONNECTIONTERMINATED;
        if (impl->busy_) {
            impl->forget();
            impl->postFailure(impl->contextError_, true);
        }
        break;
    default:
        break;
    }
}

void PulsePlayer::Impl::onStreamState(pa_stream* stream, void* self) {
    auto* impl = static_cast<Impl*>(self);
    if (stream != impl->stream_)
        return;
    switch (pa_stream_get_state(stream)) {
    case PA_STREAM_READY:
        if (impl->samples_.empty())
            impl->setCorked(true); // stopped while the server set the stream up
        else
            impl->feed();
        break;
    case PA_STREAM_FAILED:
        // With the context gone as well, onContextState tells the user.
        if (impl->busy_ && pa_context_get_state(impl->context_) == PA_CONTEXT_READY) {
            impl->forget();
            impl->postFailure(pa_context_errno(impl->context_), false);
        }
        break;
    default:
        break;
    }
}

void PulsePlayer::Impl::onStaleStreamState(pa_stream* stream, void*) {
    switch (pa_stream_get_state(stream)) {
    case PA_STREAM_READY:
        pa_stream_disconnect(stream); // comes back here as terminated
        break;
    case PA_STREAM_FAILED:
    case PA_STREAM_TERMINATED:
        pa_stream_set_state_callback(stream, nullptr, nullptr);
        pa_stream_unref(stream);
        break;
    default:
        break;
    }
}

void PulsePlayer::Impl::onWrite(pa_stream* stream, std::size_t, void* self) {
    auto* impl = static_cast<Impl*>(self);
    if (stream == impl->stream_)
        impl->feed();
}

// The server has taken the last sample, but the sink may not have played it yet: corking now
// would take back what the sink holds and leave the end of the sound unheard.
void PulsePlayer::Impl::onDrained(pa_stream* stream, int, void* self) {
    auto* impl = static_cast<Impl*>(self);
    // Only the operations of the current sound are still registered; see cancelEnd().
    release(std::exchange(impl->drain_, nullptr));
    if (stream != impl->stream_)
        return;
    impl->forget();
    impl->timing_ = pa_stream_update_timing_info(stream, &Impl::onTiming, impl);
    if (!impl->timing_)
        impl->setCorked(true);
}

void PulsePlayer::Impl::onTiming(pa_stream* stream, int success, void* self) {
    auto* impl = static_cast<Impl*>(self);
    release(std::exchange(impl->timing_, nullptr));
    if (stream != impl->stream_)
        return;
    const pa_timing_info* timing = success ? pa_stream_get_timing_info(stream) : nullptr;
    const pa_usec_t rest = timing ? timing->sink_usec : kUnknownSinkLatencyUsec;
    impl->corkTimer_ = pa_context_rttime_new(
        impl->context_, pa_rtclock_now() + rest + kCorkMarginUsec, &Impl::onCorkTime, impl);
    if (!impl->corkTimer_)
        impl->setCorked(true);
}

void PulsePlayer::Impl::onCorkTime(pa_mainloop_api* api, pa_time_event* event, const timeval*,
                                   void* self) {
    auto* impl = static_cast<Impl*>(self);
    api->time_free(event);
    impl->corkTimer_ = nullptr;
    impl->setCorked(true); // an idle stream costs neither the server nor us any wakeups
}

PulsePlayer::PulsePlayer(ErrorReport& report) : impl_(std::make_unique<Impl>(report)) {}

PulsePlayer::~PulsePlayer() = default;

bool PulsePlayer::play(const QString& path) {
    return impl_->play(path);
}

void PulsePlayer::stop() {
    impl_->stop();
}

} // namespace rt
