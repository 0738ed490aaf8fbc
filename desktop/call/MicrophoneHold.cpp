#include "desktop/call/MicrophoneHold.h"

#include <QMetaObject>

#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/rtclock.h>
#include <pulse/subscribe.h>
#include <pulse/thread-mainloop.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include <unistd.h>

namespace desk {

bool recordsFromMicrophone(const std::vector<CaptureStream>& streams,
                           const std::map<std::uint32_t, bool>& monitors, pid_t own) {
    const QByteArray self = QByteArray::number(qint64(own));
    return std::any_of(streams.begin(), streams.end(), [&](const CaptureStream& s) {
        if (s.levelMeter || s.processId == self)
            return false;
        const auto source = monitors.find(s.source);
        return source == monitors.end() || !source->second;
    });
}

namespace {

constexpr pa_usec_t kFirstRetryUsec = 1'000'000;
constexpr pa_usec_t kLastRetryUsec = 30'000'000;

void release(pa_operation* operation) {
    if (operation)
        pa_operation_unref(operation);
}

} // namespace

// Everything here but the constructor and destructor runs on the mainloop's thread, where
// libpulse calls the static callbacks with the loop's lock held.
class MicrophoneHold::Loop {
public:
    explicit Loop(std::function<void(const Report&)> post) : post_(std::move(post)) {
        loop_ = pa_threaded_mainloop_new();
        if (!loop_)
            return;
        pa_threaded_mainloop_set_name(loop_, "quillet-calls");
        if (pa_threaded_mainloop_start(loop_) < 0) {
            pa_threaded_mainloop_free(loop_);
            loop_ = nullptr;
            return;
        }
        pa_threaded_mainloop_lock(loop_);
        connect();
        pa_threaded_mainloop_unlock(loop_);
    }

    ~Loop() {
        if (!loop_)
            return;
        // Once the thread has stopped, nothing else touches the state or posts.
        pa_threaded_mainloop_stop(loop_);
        if (retry_)
            pa_threaded_mainloop_get_api(loop_)->time_free(retry_);
        drop();
        pa_threaded_mainloop_free(loop_);
    }
    Loop(const Loop&) = delete;
    Loop& operator=(const Loop&) = delete;

private:
    void connect() {
        pa_proplist* props = pa_proplist_new();
        pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Quillet");
        pa_proplist_sets(props, PA_PROP_APPLICATION_ID, "quillet");
        context_ =
            pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop_), "Quillet", props);
        pa_proplist_free(props);
        if (!context_)
            return; // out of memory: no calls are seen
        pa_context_set_state_callback(context_, &Loop::onState, this);
        pa_context_set_subscribe_callback(context_, &Loop::onEvent, this);
        // No autospawn: a server the desktop does not run is none to watch.
        if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
            failed();
    }

    void drop() {
        if (!context_)
            return;
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_set_subscribe_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        context_ = nullptr;
    }

    // The server is not there or went: nothing records that can be seen; look again later.
    void failed() {
        if (retry_ || !context_)
            return;
        listing_ = again_ = false;
        report_.connected = report_.recording = false;
        post_(report_);
        retry_ =
            pa_context_rttime_new(context_, pa_rtclock_now() + retryUsec_, &Loop::onRetry, this);
        retryUsec_ = std::min(retryUsec_ * 2, kLastRetryUsec);
    }

    static void onRetry(pa_mainloop_api* api, pa_time_event* event, const struct timeval*,
                        void* self) {
        auto* loop = static_cast<Loop*>(self);
        api->time_free(event);
        loop->retry_ = nullptr;
        loop->drop();
        loop->connect();
    }

    static void onState(pa_context* context, void* self) {
        auto* loop = static_cast<Loop*>(self);
        switch (pa_context_get_state(context)) {
        case PA_CONTEXT_READY: {
            loop->retryUsec_ = kFirstRetryUsec;
            release(pa_context_subscribe(context,
                                         pa_subscription_mask_t(PA_SUBSCRIPTION_MASK_SOURCE |
                                                                PA_SUBSCRIPTION_MASK_SOURCE_OUTPUT),
                                         nullptr, nullptr));
            release(pa_context_get_server_info(context, &Loop::onServer, self));
            loop->list();
            break;
        }
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED:
            loop->failed();
            break;
        default:
            break;
        }
    }

    static void onServer(pa_context*, const pa_server_info* info, void* self) {
        if (info && info->server_name)
            static_cast<Loop*>(self)->report_.server = std::strstr(info->server_name, "PipeWire")
                                                           ? QStringLiteral("PipeWire")
                                                           : QStringLiteral("PulseAudio");
    }

    static void onEvent(pa_context*, pa_subscription_event_type_t, std::uint32_t, void* self) {
        static_cast<Loop*>(self)->list();
    }

    // Reads the sources, then the streams on them. Events that come meanwhile read them again
    // once this reading is done: a burst of them costs two readings.
    void list() {
        if (listing_) {
            again_ = true;
            return;
        }
        listing_ = true;
        monitors_.clear();
        streams_.clear();
        release(pa_context_get_source_info_list(context_, &Loop::onSource, this));
    }

    static void onSource(pa_context* context, const pa_source_info* info, int eol, void* self) {
        auto* loop = static_cast<Loop*>(self);
        if (eol < 0) {
            loop->listing_ = false; // the context failed; its state tells
        } else if (eol) {
            release(pa_context_get_source_output_info_list(context, &Loop::onStream, self));
        } else if (info) {
            loop->monitors_[info->index] = info->monitor_of_sink != PA_INVALID_INDEX;
        }
    }

    static void onStream(pa_context*, const pa_source_output_info* info, int eol, void* self) {
        auto* loop = static_cast<Loop*>(self);
        if (eol < 0) {
            loop->listing_ = false;
        } else if (eol) {
            loop->listed();
        } else if (info) {
            const char* pid = pa_proplist_gets(info->proplist, PA_PROP_APPLICATION_PROCESS_ID);
            // PulseAudio resamples a level meter's stream to its peaks; PipeWire marks it.
            const char* monitor = pa_proplist_gets(info->proplist, "stream.monitor");
            const bool meter =
                (info->resample_method && std::strcmp(info->resample_method, "peaks") == 0) ||
                (monitor && std::strcmp(monitor, "true") == 0);
            loop->streams_.push_back({info->source, QByteArray(pid ? pid : ""), meter});
        }
    }

    void listed() {
        listing_ = false;
        report_.connected = true;
        report_.recording = recordsFromMicrophone(streams_, monitors_, getpid());
        post_(report_);
        if (std::exchange(again_, false))
            list();
    }

    std::function<void(const Report&)> post_;
    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_time_event* retry_ = nullptr;
    pa_usec_t retryUsec_ = kFirstRetryUsec;
    bool listing_ = false;
    bool again_ = false;
    std::map<std::uint32_t, bool> monitors_;
    std::vector<CaptureStream> streams_;
    Report report_;
};

MicrophoneHold::MicrophoneHold() {
    loop_ = std::make_unique<Loop>([this](const Report& report) {
        QMetaObject::invokeMethod(
            &gui_, [this, report] { apply(report); }, Qt::QueuedConnection);
    });
}

MicrophoneHold::~MicrophoneHold() {
    loop_.reset(); // before gui_, which drops what is still on its way
}

void MicrophoneHold::apply(const Report& report) {
    if (!report.server.isEmpty())
        name_ = report.server;
    const bool wasAvailable = std::exchange(available_, report.connected);
    const bool wasHolding = std::exchange(holding_, report.recording);
    if (available_ != wasAvailable && availabilityChanged)
        availabilityChanged();
    if (holding_ != wasHolding && changed)
        changed();
}

} // namespace desk
