#include "desktop/Awareness.h"

#include <QTimer>

#include <algorithm>
#include <ctime>

namespace desk {

namespace {

std::int64_t readMs(clockid_t id) {
    timespec t{};
    clock_gettime(id, &t);
    return std::int64_t(t.tv_sec) * 1000 + t.tv_nsec / 1'000'000;
}

} // namespace

std::int64_t Awareness::systemAsleepMs() {
    return readMs(CLOCK_BOOTTIME) - readMs(CLOCK_MONOTONIC);
}

Awareness::Awareness(rt::Clock& clock, std::function<std::int64_t()> asleepMs)
    : clock_(clock), asleepMs_(asleepMs ? std::move(asleepMs) : &Awareness::systemAsleepMs) {
    asleepSeen_ = asleepMs_();
}

Awareness::~Awareness() = default;

void Awareness::addAwaySource(std::unique_ptr<AwaySource> source) {
    if (!source)
        return;
    auto away = std::make_unique<Away>();
    Away* a = away.get();
    away->source = std::move(source);
    away->source->setIdleThresholdMs(threshold());
    away->source->wentAway = [this, a](std::int64_t since) { wentAway(*a, since); };
    away->source->cameBack = [this, a] { cameBack(*a); };
    away->source->availabilityChanged = [this] { tellAvailability(); };
    away_.push_back(std::move(away));
}

void Awareness::addHoldSource(std::unique_ptr<HoldSource> source, HoldKind kind) {
    if (!source)
        return;
    source->availabilityChanged = [this] { tellAvailability(); };
    source->setHeldPrograms(rules_.heldPrograms);
    holds_.push_back({std::move(source), kind});
}

void Awareness::tellAvailability() {
    if (availabilityChanged)
        availabilityChanged();
}

void Awareness::setRules(const Rules& rules) {
    const std::int64_t before = threshold();
    const bool programs = rules.heldPrograms != rules_.heldPrograms;
    rules_ = rules;
    if (threshold() != before)
        for (auto& a : away_)
            a->source->setIdleThresholdMs(threshold());
    if (programs)
        for (Hold& h : holds_)
            h.source->setHeldPrograms(rules_.heldPrograms);
}

// Sources of idle time watch for the natural-break length, and not at all without breaks.
std::int64_t Awareness::threshold() const {
    return rules_.naturalBreak ? rules_.naturalBreakMs : 0;
}

void Awareness::wentAway(Away& away, std::int64_t sinceMs) {
    away.sinceMs = std::min(sinceMs, clock_.nowMs());
    absenceFrom_ = absenceFrom_ < 0 ? away.sinceMs : std::min(absenceFrom_, away.sinceMs);
}

// An absence seen during a sequence (no input while the user follows it) begins only now.
void Awareness::GuidedUntilNow() {
    const std::int64_t now = clock_.nowMs();
    for (const auto& a : away_)
        if (a->sinceMs >= 0)
            a->sinceMs = std::max(a->sinceMs, now);
    if (absenceFrom_ >= 0)
        absenceFrom_ = std::max(absenceFrom_, now);
}

void Awareness::cameBack(Away& away) {
    if (away.sinceMs < 0)
        return;
    away.sinceMs = -1;
    for (const auto& a : away_)
        if (a->sinceMs >= 0)
            return; // another source still sees the user away (a locked screen, say)
    const std::int64_t from = absenceFrom_;
    absenceFrom_ = -1;
    if (rules_.naturalBreak && from >= 0 && clock_.nowMs() - from >= rules_.naturalBreakMs &&
        BreakEnded) {
        lastBreakMs_ = clock_.nowMs() - from;
        BreakEnded();
    }
}

// A sleep as long as a natural break, noticed by the clocks alone: it is one, just ended.
bool Awareness::sleptThrough() {
    const std::int64_t asleep = asleepMs_();
    const std::int64_t slept = asleep - asleepSeen_;
    asleepSeen_ = asleep;
    lastSleptMs_ = slept;
    return slept >= rules_.naturalBreakMs;
}

bool Awareness::OnBreak() {
    if (sleptThrough() && rules_.naturalBreak && absenceFrom_ < 0) {
        lastBreakMs_ = lastSleptMs_;
        // Told after the tick that asked: the board starts its countdowns afresh then.
        QTimer::singleShot(0, &calls_, [this] {
            if (BreakEnded)
                BreakEnded();
        });
        return true;
    }
    if (!rules_.naturalBreak || absenceFrom_ < 0)
        return false;
    return clock_.nowMs() - absenceFrom_ >= rules_.naturalBreakMs;
}

bool Awareness::obeys(HoldKind kind) const {
    switch (kind) {
    case HoldKind::FullScreen:
        return rules_.holdFullScreen;
    case HoldKind::DoNotDisturb:
        return rules_.holdDoNotDisturb;
    case HoldKind::Inhibitor:
        return rules_.holdInhibitors;
    case HoldKind::Call:
        return rules_.holdCalls;
    case HoldKind::Program:
        return !rules_.heldPrograms.isEmpty();
    }
    return false;
}

bool Awareness::HoldsPrompts() {
    for (Hold& h : holds_)
        if (obeys(h.kind) && h.source->available() && h.source->holding())
            return true;
    return false;
}

QString Awareness::awayName(AwayKind kind) const {
    QStringList names;
    for (const auto& a : away_) {
        const AwaySource& source = *a->source;
        if (source.available() && source.tellsIdleTime() == (kind == AwayKind::IdleTime) &&
            !names.contains(source.name()))
            names << source.name();
    }
    return names.join(QStringLiteral(", "));
}

QString Awareness::holdName(HoldKind kind) const {
    QStringList names;
    for (const Hold& h : holds_)
        if (h.kind == kind && h.source->available())
            names << h.source->name();
    return names.join(QStringLiteral(", "));
}

} // namespace desk
