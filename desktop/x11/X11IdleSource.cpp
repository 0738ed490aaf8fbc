#include "desktop/x11/X11IdleSource.h"

#include "desktop/x11/Connection.h"
#include "runtime/Clock.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace desk {

namespace {

xcb_sync_int64_t syncInt(std::int64_t v) {
    return {std::int32_t(v >> 32), std::uint32_t(v & 0xffffffffu)};
}

// Any input sets the idle time to 0, so falling below 1 ms means input.
constexpr std::int64_t kInputMs = 1;

// The IDLETIME counter among the server's system counters (XCB_NONE when it has none). The
// list is read by hand: libxcb's accessors take each entry's name from two bytes too far on.
xcb_sync_counter_t idleTimeCounter(const xcb_sync_list_system_counters_reply_t* reply) {
    const auto* entry = reinterpret_cast<const std::uint8_t*>(reply + 1);
    const auto* end =
        reinterpret_cast<const std::uint8_t*>(reply) + 32 + 4 * std::size_t(reply->length);
    // Each entry: counter (4 bytes), resolution (8), name length (2), name, padded to 4 bytes.
    constexpr std::size_t head = 14;
    for (std::uint32_t i = 0; i < reply->counters_len && end - entry >= std::ptrdiff_t(head); ++i) {
        xcb_sync_counter_t counter = 0;
        std::uint16_t length = 0;
        std::memcpy(&counter, entry, 4);
        std::memcpy(&length, entry + 12, 2);
        if (end - entry < std::ptrdiff_t(head + length))
            break;
        if (length == 8 && std::memcmp(entry + head, "IDLETIME", 8) == 0)
            return counter;
        entry += (head + length + 3) & ~std::size_t(3);
    }
    return XCB_NONE;
}

} // namespace

X11IdleSource::X11IdleSource(const rt::Clock& clock)
    : clock_(clock), x_(std::make_unique<x11::Connection>()) {
    xcb_connection_t* c = x_->get();
    if (!x_->ok())
        return;
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_sync_id);
    if (!ext || !ext->present)
        return;
    firstEvent_ = ext->first_event;
    xcb_sync_initialize_reply_t* version = xcb_sync_initialize_reply(
        c, xcb_sync_initialize(c, XCB_SYNC_MAJOR_VERSION, XCB_SYNC_MINOR_VERSION), nullptr);
    const bool initialized = version != nullptr;
    std::free(version);
    if (!initialized)
        return;
    xcb_sync_list_system_counters_reply_t* counters =
        xcb_sync_list_system_counters_reply(c, xcb_sync_list_system_counters(c), nullptr);
    if (!counters)
        return;
    idleCounter_ = idleTimeCounter(counters);
    std::free(counters);
    x_->setHandler([this](const xcb_generic_event_t& event) { handle(event); });
    x_->flush();
}

X11IdleSource::~X11IdleSource() = default;

bool X11IdleSource::usable() {
    return x11::x11Session();
}

QString X11IdleSource::name() const {
    return QStringLiteral("X11");
}

bool X11IdleSource::available() const {
    return idleCounter_ != XCB_NONE && x_->ok();
}

std::int64_t X11IdleSource::idleMs() const {
    if (!available())
        return -1;
    xcb_connection_t* c = x_->get();
    xcb_sync_query_counter_reply_t* reply =
        xcb_sync_query_counter_reply(c, xcb_sync_query_counter(c, idleCounter_), nullptr);
    if (!reply)
        return -1;
    const std::int64_t idle = x11::syncValue(reply->counter_value.hi, reply->counter_value.lo);
    std::free(reply);
    // The reply may have brought events along.
    x_->flush();
    return idle;
}

void X11IdleSource::setIdleThresholdMs(std::int64_t ms) {
    thresholdMs_ = ms > 0 ? ms : 0;
    if (!available())
        return;
    armAwayAlarm();
    // A rising idle time past the new threshold would fire the alarm; one already past it
    // does not.
    if (thresholdMs_ > 0)
        x_->post([this] { reportAwayIfIdle(); });
}

void X11IdleSource::armAwayAlarm() {
    xcb_connection_t* c = x_->get();
    if (thresholdMs_ <= 0) {
        if (awayAlarm_ != XCB_NONE)
            xcb_sync_destroy_alarm(c, awayAlarm_);
        awayAlarm_ = XCB_NONE;
        x_->flush();
        return;
    }
    xcb_sync_create_alarm_value_list_t alarm{};
    alarm.counter = idleCounter_;
    alarm.valueType = XCB_SYNC_VALUETYPE_ABSOLUTE;
    alarm.value = syncInt(thresholdMs_);
    alarm.testType = XCB_SYNC_TESTTYPE_POSITIVE_TRANSITION;
    alarm.delta = syncInt(0);
    alarm.events = 1;
    const std::uint32_t mask = XCB_SYNC_CA_COUNTER | XCB_SYNC_CA_VALUE_TYPE | XCB_SYNC_CA_VALUE |
                               XCB_SYNC_CA_TEST_TYPE | XCB_SYNC_CA_DELTA | XCB_SYNC_CA_EVENTS;
    if (awayAlarm_ == XCB_NONE) {
        awayAlarm_ = xcb_generate_id(c);
        xcb_sync_create_alarm_aux(c, awayAlarm_, mask, &alarm);
    } else {
        xcb_sync_change_alarm_value_list_t change{};
        change.value = alarm.value;
        xcb_sync_change_alarm_aux(c, awayAlarm_, XCB_SYNC_CA_VALUE, &change);
    }
    x_->flush();
}

void X11IdleSource::reportAwayIfIdle() {
    if (away_ || thresholdMs_ <= 0)
        return;
    const std::int64_t idle = idleMs();
    if (idle >= thresholdMs_)
        goAway(idle);
}

void X11IdleSource::handle(const xcb_generic_event_t& event) {
    if ((event.response_type & 0x7f) != firstEvent_ + XCB_SYNC_ALARM_NOTIFY)
        return;
    const auto& notify = reinterpret_cast<const xcb_sync_alarm_notify_event_t&>(event);
    if (notify.state == XCB_SYNC_ALARMSTATE_DESTROYED)
        return;
    xcb_connection_t* c = x_->get();
    if (notify.alarm == awayAlarm_ && awayAlarm_ != XCB_NONE) {
        // Some X servers leave an alarm that fired unscheduled until it is changed.
        const xcb_sync_change_alarm_value_list_t nothing{};
        xcb_sync_change_alarm_aux(c, awayAlarm_, 0, &nothing);
        // The alarm may have been meant for a threshold changed since: ask the counter.
        reportAwayIfIdle();
    } else if (notify.alarm == backAlarm_ && backAlarm_ != XCB_NONE) {
        if (away_)
            comeBack();
    }
}

void X11IdleSource::goAway(std::int64_t idle) {
    const std::int64_t since = clock_.nowMs() - idle;
    away_ = true;
    xcb_connection_t* c = x_->get();
    xcb_sync_create_alarm_value_list_t alarm{};
    alarm.counter = idleCounter_;
    alarm.valueType = XCB_SYNC_VALUETYPE_ABSOLUTE;
    alarm.value = syncInt(kInputMs);
    alarm.testType = XCB_SYNC_TESTTYPE_NEGATIVE_TRANSITION;
    alarm.delta = syncInt(0);
    alarm.events = 1;
    backAlarm_ = xcb_generate_id(c);
    xcb_sync_create_alarm_aux(c, backAlarm_,
                              XCB_SYNC_CA_COUNTER | XCB_SYNC_CA_VALUE_TYPE | XCB_SYNC_CA_VALUE |
                                  XCB_SYNC_CA_TEST_TYPE | XCB_SYNC_CA_DELTA | XCB_SYNC_CA_EVENTS,
                              &alarm);
    // Input between reading the counter and the alarm's creation fires no alarm; the counter,
    // read after the creation, shows it.
    const std::int64_t now = idleMs();
    if (now >= 0 && now < idle)
        x_->post([this] {
            if (away_)
                comeBack();
        });
    if (wentAway)
        wentAway(since);
}

void X11IdleSource::comeBack() {
    away_ = false;
    if (backAlarm_ != XCB_NONE)
        xcb_sync_destroy_alarm(x_->get(), backAlarm_);
    backAlarm_ = XCB_NONE;
    x_->flush();
    if (cameBack)
        cameBack();
}

} // namespace desk
