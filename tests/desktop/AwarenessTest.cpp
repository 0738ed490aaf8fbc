#include "desktop/Awareness.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace {

struct FakeAway final : desk::AwaySource {
    QString name() const override { return QStringLiteral("Fake"); }
    bool available() const override { return true; }
    void setIdleThresholdMs(std::int64_t ms) override { threshold = ms; }
    std::int64_t threshold = 0;
};

struct FakeHold final : desk::HoldSource {
    QString name() const override { return QStringLiteral("Fake"); }
    bool available() const override { return true; }
    bool holding() override { return on; }
    bool on = false;
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
        for (auto kind : {desk::HoldKind::FullScreen, desk::HoldKind::DoNotDisturb,
                          desk::HoldKind::Inhibitor}) {
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

    for (size_t i = 0; i < holds.size(); ++i) {
        SCOPED_TRACE(i);
        holds[i]->on = true;
        EXPECT_TRUE(aware.HoldsPrompts());
        desk::Rules off;
        off.holdFullScreen = i != 0;
        off.holdDoNotDisturb = i != 1;
        off.holdInhibitors = i != 2;
        aware.setRules(off);
        EXPECT_FALSE(aware.HoldsPrompts());
        aware.setRules({});
        holds[i]->on = false;
    }
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
