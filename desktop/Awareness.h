#pragma once

#include "app/Presence.h"
#include "desktop/Sources.h"
#include "runtime/Clock.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace desk {

// Which of the user's switches a hold obeys. A hold for programs obeys the user's list of
// programs: it holds nothing while the list is empty.
enum class HoldKind { FullScreen, DoNotDisturb, Inhibitor, Call, Program };

// What an away source tells: the time since the last input, or moments (a locked screen, sleep).
enum class AwayKind { IdleTime, LockAndSleep };

// What the user chose (from quillet.conf).
struct Rules {
    bool naturalBreak = true;
    std::int64_t naturalBreakMs = 5 * 60 * 1000;
    bool holdFullScreen = true;
    bool holdDoNotDisturb = true;
    bool holdInhibitors = true;
    bool holdCalls = true;
    QStringList heldPrograms;
};

// The board's view of the desktop: the sources of away time (idle time, a locked screen, sleep)
// and of holds, under the user's rules. A natural break is an absence of at least the
// natural-break length, from the earliest moment any source saw the user leave to the moment
// the last of them saw the user back.
class Awareness final : public Presence {
public:
    // `asleepMs`: the time the machine has spent suspended since it started (the boot clock's lead
    // over the monotonic clock); read on every question, so that a sleep is noticed even where no
    // source tells of it.
    explicit Awareness(rt::Clock& clock, std::function<std::int64_t()> asleepMs = {});
    ~Awareness() override;

    // Sources are kept whether their service is there yet or not: they may come later.
    void addAwaySource(std::unique_ptr<AwaySource> source);
    void addHoldSource(std::unique_ptr<HoldSource> source, HoldKind kind);
    void setRules(const Rules& rules);
    const Rules& rules() const { return rules_; }

    bool OnBreak() override;
    bool HoldsPrompts() override;
    std::int64_t LastBreakMs() const override { return lastBreakMs_; }
    void GuidedUntilNow() override;

    // Which sources of each kind work on this desktop now ("GNOME", "logind"; empty: none), for
    // the settings. Natural breaks of a set length need a source of idle time; a locked screen
    // and sleep only tell when an absence begins and ends.
    QString awayName(AwayKind kind) const;
    QString holdName(HoldKind kind) const;
    // A service came or left: what awayName() and holdName() tell may have changed.
    std::function<void()> availabilityChanged;

    // The time suspended so far, read from the system's clocks.
    static std::int64_t systemAsleepMs();

private:
    struct Away {
        std::unique_ptr<AwaySource> source;
        std::int64_t sinceMs = -1; // when it saw the user leave; -1 while the user is present
    };
    struct Hold {
        std::unique_ptr<HoldSource> source;
        HoldKind kind;
    };
    void wentAway(Away& away, std::int64_t sinceMs);
    void tellAvailability();
    void cameBack(Away& away);
    bool obeys(HoldKind kind) const;
    std::int64_t threshold() const;
    bool sleptThrough();

    rt::Clock& clock_;
    std::function<std::int64_t()> asleepMs_;
    std::int64_t asleepSeen_ = 0;
    Rules rules_;
    std::vector<std::unique_ptr<Away>> away_;
    std::vector<Hold> holds_;
    std::int64_t absenceFrom_ = -1; // earliest leave of the absence under way
    std::int64_t lastBreakMs_ = 0;  // the length of the last natural break
    std::int64_t lastSleptMs_ = 0;  // the machine's last sleep, as sleptThrough() saw it
    QObject calls_;                 // what is told after the question that found it
};

} // namespace desk
