#include "desktop/Awareness.h"
#include "desktop/MoreSettings.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace {

struct FakeAway final : desk::AwaySource {
    QString name() const override { return label; }
    bool available() const override { return there; }
    bool tellsIdleTime() const override { return idleTime; }
    void setIdleThresholdMs(std::int64_t ms) override { threshold = ms; }
    // The service comes or leaves.
    void setThere(bool now) {
        there = now;
        availabilityChanged();
    }
    std::int64_t threshold = 0;
    QString label = QStringLiteral("Fake");
    bool there = true;
    bool idleTime = true;
};

struct FakeHold final : desk::HoldSource {
    QString name() const override { return QStringLiteral("Fake"); }
    bool available() const override { return true; }
    bool holding() override { return on; }
    void setHeldPrograms(const QStringList& list) override { programs = list; }
    bool on = false;
    QStringList programs;
};

// Awareness with two away sources (idle time and a lock), one hold of each kind, a clock moved by
// hand and a sleep counter set by hand.
class Awareness : public ::testing::Test {
protected:
    Awareness() {
        auto i = std::make_unique<FakeAway>();
        auto l = std::make_unique<FakeAway>();
        idle = i.get();
        lock = l.get();
        aware.addAwaySource(std::move(i));
        aware.addAwaySource(std::move(l));
        for (auto kind :
             {desk::HoldKind::FullScreen, desk::HoldKind::DoNotDisturb, desk::HoldKind::Inhibitor,
              desk::HoldKind::Call, desk::HoldKind::Program}) {
            auto h = std::make_unique<FakeHold>();
            holds.push_back(h.get());
            aware.addHoldSource(std::move(h), kind);
        }
        aware.BreakEnded = [this] { ++breaks; };
    }
    void idleFor(std::int64_t ms) { // the idle source fires at its threshold
        clock.advanceMs(ms);
        idle->wentAway(clock.nowMs() - ms);
    }

    rt::ManualClock clock;
    std::int64_t asleep = 0;
    desk::Awareness aware{clock, [this] { return asleep; }};
    FakeAway* idle = nullptr;
    FakeAway* lock = nullptr;
    std::vector<FakeHold*> holds;
    int breaks = 0;
};

TEST_F(Awareness, AnAbsenceOfTheBreakLengthIsABreakAndAShorterOneIsNot) {
    EXPECT_EQ(idle->threshold, 5 * 60'000);
    lock->wentAway(clock.nowMs());
    clock.advanceMs(5 * 60'000 - 1000);
    EXPECT_FALSE(aware.OnBreak()) << "4:59";
    lock->cameBack();
    EXPECT_EQ(breaks, 0);

    lock->wentAway(clock.nowMs());
    clock.advance(5 * 60);
    EXPECT_TRUE(aware.OnBreak()) << "5:00";
    lock->cameBack();
    EXPECT_EQ(breaks, 1);
    EXPECT_FALSE(aware.OnBreak());
}

// Sitting still through a guided sequence is no natural break: the absence begins at its end.
TEST_F(Awareness, ASequenceWithoutInputIsNoAbsence) {
    idleFor(5 * 60'000); // the sequence, followed without a key
    aware.GuidedUntilNow();
    clock.advance(4 * 60);
    EXPECT_FALSE(aware.OnBreak());
    idle->cameBack();
    EXPECT_EQ(breaks, 0);
}

TEST_F(Awareness, TheAbsenceRunsFromTheFirstLeaveToTheLastReturn) {
    idleFor(3 * 60'000); // no input since three minutes ago (a shorter threshold, say)
    lock->wentAway(clock.nowMs());
    clock.advance(2 * 60);
    idle->cameBack(); // a key pressed at the lock screen: still locked
    EXPECT_EQ(breaks, 0);
    EXPECT_TRUE(aware.OnBreak());
    lock->cameBack();
    EXPECT_EQ(breaks, 1);
}

TEST_F(Awareness, RulesSwitchOffBreaksAndEachHold) {
    desk::Rules rules;
    rules.naturalBreak = false;
    rules.naturalBreakMs = 60'000;
    aware.setRules(rules);
    EXPECT_EQ(idle->threshold, 0) << "no breaks: the idle source is not armed";
    rules.naturalBreak = true;
    aware.setRules(rules);
    EXPECT_EQ(idle->threshold, 60'000) << "the idle source is armed anew";
    rules.naturalBreak = false;
    aware.setRules(rules);
    idleFor(10 * 60'000);
    EXPECT_FALSE(aware.OnBreak());
    idle->cameBack();
    EXPECT_EQ(breaks, 0);

    // A hold for programs holds only while the user lists some, and is told which.
    desk::Rules listed;
    listed.heldPrograms = {QStringLiteral("obs")};
    aware.setRules(listed);
    EXPECT_EQ(holds[4]->programs, listed.heldPrograms);
    for (size_t i = 0; i < holds.size(); ++i) {
        SCOPED_TRACE(i);
        holds[i]->on = true;
        EXPECT_TRUE(aware.HoldsPrompts());
        desk::Rules off = listed;
        off.holdFullScreen = i != 0;
        off.holdDoNotDisturb = i != 1;
        off.holdInhibitors = i != 2;
        off.holdCalls = i != 3;
        if (i == 4)
            off.heldPrograms.clear();
        aware.setRules(off);
        EXPECT_FALSE(aware.HoldsPrompts());
        aware.setRules(listed);
        holds[i]->on = false;
    }
    EXPECT_EQ(holds[0]->programs, listed.heldPrograms) << "every hold source hears of the list";
}

TEST_F(Awareness, ASleepNoSourceToldOfIsABreakWhenItIsLongEnough) {
    asleep += 4 * 60'000;
    clock.advanceMs(4 * 60'000);
    EXPECT_FALSE(aware.OnBreak());
    asleep += 5 * 60'000;
    clock.advanceMs(5 * 60'000);
    EXPECT_TRUE(aware.OnBreak());
    EXPECT_EQ(breaks, 0) << "told after the question";
    QCoreApplication::processEvents();
    EXPECT_EQ(breaks, 1);
    EXPECT_FALSE(aware.OnBreak()) << "one sleep, one break";
}

} // namespace

// Sway, Hyprland: logind tells of a locked screen and sleep, nobody of idle time.
TEST(AwarenessOffers, NaturalBreaksOnlyWithASourceOfIdleTimeAndOnlyFromSourcesThereNow) {
    rt::ManualClock clock;
    desk::Awareness aware{clock, [] { return std::int64_t(0); }};
    auto lock = std::make_unique<FakeAway>();
    lock->label = QStringLiteral("logind");
    lock->idleTime = false;
    auto gnome = std::make_unique<FakeAway>();
    gnome->label = QStringLiteral("GNOME");
    gnome->there = false; // the shell has not come yet
    FakeAway* logind = lock.get();
    FakeAway* shell = gnome.get();
    aware.addAwaySource(std::move(lock));
    aware.addAwaySource(std::move(gnome));
    int told = 0;
    aware.availabilityChanged = [&] { ++told; };

    desk::DesktopFindings found = desk::findings(aware, {});
    EXPECT_FALSE(found.offers.idleTime);
    EXPECT_EQ(found.detected.value(0), qMakePair(QStringLiteral("Ruhezeit"), QString()));
    EXPECT_EQ(found.detected.value(1),
              qMakePair(QStringLiteral("Sperre und Ruhezustand"), QStringLiteral("logind")));
    EXPECT_FALSE(found.offers.panel);

    // A lock still makes a natural break.
    int breaks = 0;
    aware.BreakEnded = [&] { ++breaks; };
    logind->wentAway(clock.nowMs());
    clock.advance(6 * 60);
    logind->cameBack();
    EXPECT_EQ(breaks, 1);

    shell->setThere(true);
    EXPECT_EQ(told, 1);
    found = desk::findings(aware, QStringLiteral("KDE"));
    EXPECT_TRUE(found.offers.idleTime);
    EXPECT_EQ(aware.awayName(desk::AwayKind::IdleTime), QStringLiteral("GNOME"));
    EXPECT_EQ(found.detected.value(7),
              qMakePair(QStringLiteral("Symbol im Panel"), QStringLiteral("KDE")));
    EXPECT_EQ(shell->threshold, 5 * 60'000) << "armed though it came late";
    logind->setThere(false);
    EXPECT_TRUE(aware.awayName(desk::AwayKind::LockAndSleep).isEmpty());
}
