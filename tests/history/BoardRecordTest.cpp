#include "desktop/Awareness.h"
#include "support/BoardFixture.h"

// Stands in for the record: what the board told it, one line per call.
struct FakeRecord final : Record {
    void SequenceStarted(int sequence, bool fromPrompt) override {
        told << QStringLiteral("start %1%2").arg(sequence).arg(fromPrompt ? " prompt" : "");
    }
    void SequenceEnded(bool toTheEnd) override {
        told << (toTheEnd ? QStringLiteral("end") : QStringLiteral("stopped"));
    }
    void PromptHeld(Prompt p) override { told << QStringLiteral("held %1").arg(int(p)); }
    void PromptShown(Prompt p) override { told << QStringLiteral("shown %1").arg(int(p)); }
    void PromptClosed(Prompt p, Outcome o) override {
        static const char* names[] = {"", "followed", "ignored", "dropped", "", "postponed"};
        told << QStringLiteral("%1 %2").arg(QLatin1String(names[int(o)])).arg(int(p));
    }
    void NaturalBreak(std::int64_t awayMs) override {
        told << QStringLiteral("break %1").arg(awayMs);
    }
    void Paused(bool on) override {
        told << (on ? QStringLiteral("pause") : QStringLiteral("resume"));
    }
    QStringList take() { return std::exchange(told, {}); }
    QStringList told;
};

struct AwayPresence final : Presence {
    bool OnBreak() override { return away; }
    bool HoldsPrompts() override { return false; }
    std::int64_t LastBreakMs() const override { return 7 * 60'000; }
    bool away = false;
};

// The board with the time switch on: training every minute, its prompt visible 7 seconds.
class BoardRecord : public BoardFixture {
protected:
    void start(bool watchdog = false) {
        TSettings s;
        s.DSTimer = 1;
        s.m1 = 1;
        s.T2On = watchdog ? 1 : 0;
        s.m2 = 2;
        writeSettings(s);
        create();
        board->AttachRecord(&record);
    }
    void TearDown() override {
        if (board)
            board->AttachRecord(nullptr);
        BoardFixture::TearDown();
    }
    FakeRecord record;
};

TEST_F(BoardRecord, APromptPutOffIsToldSoAndComesAgain) {
    start();
    seconds(60);
    board->SBLaterClick();
    EXPECT_EQ(record.take(), (QStringList{"shown 0", "postponed 0"}));
    seconds(5 * 60);
    EXPECT_EQ(record.take(), QStringList{"shown 0"});
}

TEST_F(BoardRecord, APromptIsFollowedOnlyWithinItsVisibleTime) {
    start();
    seconds(60);
    EXPECT_EQ(record.take(), QStringList{"shown 0"});
    seconds(6); // the last second the prompt shows
    board->SBYogaClick();
    EXPECT_EQ(record.take(), (QStringList{"followed 0", "start 1 prompt"}));
    board->SequenceCompleted();
    board->HandlePanels(0);
    EXPECT_EQ(record.take(), QStringList{"end"});

    board->T1SetUp();
    seconds(60 + 7); // the next prompt comes and its time runs out
    EXPECT_EQ(record.take(), (QStringList{"shown 0", "ignored 0"}));
    seconds(1);
    board->SBAtmenClick(); // just after it: by hand
    board->SBAugenClick(); // another sequence stops the first
    board->SBCloseClick(); // and the close button the second
    EXPECT_EQ(record.take(), (QStringList{"start 0", "stopped", "start 2", "stopped"}));
}

TEST_F(BoardRecord, APromptHeldThroughANaturalBreakIsDroppedOnce) {
    AwayPresence desk;
    start(true);
    board->AttachPresence(&desk);
    desk.away = true;
    seconds(90);
    EXPECT_EQ(record.take(), (QStringList{"held 0"})) << "told once, not on every tick";
    desk.away = false;
    desk.BreakEnded();
    EXPECT_EQ(record.take(), (QStringList{"break 420000", "dropped 0"}));
    seconds(60);
    EXPECT_EQ(record.take(), QStringList{"shown 0"}) << "a new prompt after the break";
    board->AttachPresence(nullptr);
}

TEST_F(BoardRecord, APauseDropsTheShownPromptAndIsToldOnceEachWay) {
    start();
    seconds(60);
    board->PauseReminders(QStringLiteral("Pause bis 15:30"));
    board->PauseReminders(QStringLiteral("Pause bis 16:00"));
    board->ResumeReminders();
    EXPECT_EQ(record.take(), (QStringList{"shown 0", "pause", "dropped 0", "resume"}));
}

// The length of a natural break comes from the desktop's view: from the moment the user left to
// the moment the user came back, or the sleep that was one.
TEST(NaturalBreakLength, IsTheAbsenceOrTheSleep) {
    struct Away final : desk::AwaySource {
        QString name() const override { return QStringLiteral("Test"); }
        bool available() const override { return true; }
    };
    rt::ManualClock clock;
    std::int64_t asleep = 0;
    desk::Awareness awareness(clock, [&asleep] { return asleep; });
    auto source = std::make_unique<Away>();
    Away* away = source.get();
    awareness.addAwaySource(std::move(source));
    int ended = 0;
    awareness.BreakEnded = [&ended] { ++ended; };
    away->wentAway(clock.nowMs());
    clock.advance(9 * 60);
    away->cameBack();
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(awareness.LastBreakMs(), 9 * 60'000);

    asleep += 20 * 60'000; // the machine slept twenty minutes
    EXPECT_TRUE(awareness.OnBreak());
    EXPECT_EQ(awareness.LastBreakMs(), 20 * 60'000);
}
