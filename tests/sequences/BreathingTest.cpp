#include "sequences/SequenceFixture.h"

#include "app/Elapsed.h"

#include "sequences/UProcAtm.h"

#include <QScreen>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

class Breathing : public SequenceFixture {
protected:
    void start(const std::function<void(TSettings&)>& change = {}, int screenWidth = 1024,
               int screenHeight = 768) {
        prepare(change, screenWidth, screenHeight);
        atm = std::make_unique<TFProcAtm>(*board);
        board->AttachSequencer(SeqAtm, atm.get());
        heard.clear();
        blindMovedAt = -1'000'000;
        board->SBAtmenClick();
    }
    void run(int ms) {
        SequenceFixture::run(
            atm->TimerAtmen, [this] { atm->TimerAtmenTimer(); }, ms);
    }
    // Runs until `ms` since the start have passed: the tick that reaches that moment, or else
    // the first one after it, is the last.
    void runUntil(int ms) {
        while (now() < ms && atm->TimerAtmen.enabled())
            run(atm->TimerAtmen.interval());
    }
    // Runs until the sequence has reached `step`.
    void runTo(std::uint16_t step) {
        for (int guard = 0; atm->AtmStep != step && guard < 1'000'000; ++guard)
            run(atm->TimerAtmen.interval());
    }

    // One tick of the breath phases as it left the blind.
    struct BlindTick {
        int ms; // since the start
        bool full;
        std::uint16_t phase;
        std::int32_t elapsed; // into the phase
        int blind;
        int before;  // the blind before the tick
        int movedAt; // when the blind last moved before the tick
        bool ends;   // the phase ended on this tick
    };

    // Runs the whole sequence tick by tick. Notes each narration asked for and each step and
    // breath phase as it begins as a line "ms what" in `timeline`, and every tick of the breath
    // phases in `blindTicks`.
    void runWhole() {
        for (int guard = 0; atm->TimerAtmen.enabled() && guard < 1'000'000; ++guard) {
            const std::uint16_t step = atm->AtmStep, phase = atm->AtmPhase;
            const int blind = atm->AtmBlind;
            const size_t said = heard.size();
            run(atm->TimerAtmen.interval());
            for (size_t i = said; i < heard.size(); ++i)
                timeline << QStringLiteral("%1 %2").arg(heard[i].ms).arg(heard[i].name);
            const bool stepChanged = atm->AtmStep != step;
            if (stepChanged)
                timeline << QStringLiteral("%1 step %2").arg(now()).arg(atm->AtmStep);
            else if (atm->AtmPhase != phase)
                timeline << QStringLiteral("%1 phase %2").arg(now()).arg(atm->AtmPhase);
            if (step == 4 || step == 6)
                blindTicks.push_back({now(), step == 4, phase, atm->AtmElapsed, atm->AtmBlind,
                                      blind, blindMovedAt, stepChanged || atm->AtmPhase != phase});
            if (atm->AtmBlind != blind)
                blindMovedAt = now();
        }
    }

    // One whole sequence with these settings on a full screen, its blind ticks recorded afresh;
    // returns the blind's pace.
    double runWholeOnFullScreen(const std::function<void(TSettings&)>& change) {
        blindTicks.clear();
        start(change, 1920, 1080);
        const double paceMs = atm->BlindPaceMs();
        runWhole();
        return paceMs;
    }

    // The lines of `timeline` from the one that starts step `from` to the one that starts
    // step `to`.
    QStringList timelineOfSteps(int from, int to) const {
        QStringList out;
        for (const QString& line : timeline) {
            if (line.endsWith(QStringLiteral(" step %1").arg(from)) || !out.isEmpty())
                out << line;
            if (!out.isEmpty() && line.endsWith(QStringLiteral(" step %1").arg(to)))
                break;
        }
        return out;
    }
    int timeOfStep(int step) const {
        const QStringList lines = timelineOfSteps(step, step);
        return lines.isEmpty() ? -1 : lines.first().section(' ', 0, 0).toInt();
    }

    std::unique_ptr<TFProcAtm> atm;
    QStringList timeline;
    std::vector<BlindTick> blindTicks;
    int blindMovedAt = -1'000'000;
};

namespace {

// A breath phase lowers the blind over the strip (breathing out), raises it (breathing in), or
// holds it down or up.
enum class Move { Falls, HoldsDown, Rises, HoldsUp };

struct BreathRow {
    const char* narration;
    std::uint16_t TSettings::*minutes;
    std::uint16_t TSettings::*seconds;
    Move blind;
};
const std::array<BreathRow, 4> kFull{
    {{"atmen/atmen1.wav", &TSettings::Atm1m, &TSettings::Atm1s, Move::Falls},
     {"atmen/atmen24.wav", &TSettings::Atm2m, &TSettings::Atm2s, Move::HoldsDown},
     {"atmen/atmen3.wav", &TSettings::Atm3m, &TSettings::Atm3s, Move::Rises},
     {"atmen/atmen24.wav", &TSettings::Atm4m, &TSettings::Atm4s, Move::HoldsUp}}};
const std::array<BreathRow, 4> kAlternate{
    {{"atmen/wechs2.wav", &TSettings::Atm5m, &TSettings::Atm5s, Move::Falls},
     {"atmen/atmen3.wav", &TSettings::Atm6m, &TSettings::Atm6s, Move::Rises},
     {"atmen/wechs1.wav", &TSettings::Atm5m, &TSettings::Atm5s, Move::Falls},
     {"atmen/atmen3.wav", &TSettings::Atm6m, &TSettings::Atm6s, Move::Rises}}};

const BreathRow& RowOf(bool full, int phase) {
    return (full ? kFull : kAlternate)[size_t(phase % 4)];
}
std::int64_t LengthMs(const TSettings& s, const BreathRow& row) {
    return (std::int64_t(s.*row.minutes) * 60 + s.*row.seconds) * 1000;
}

// The breath phases of step 4 (full) or 6 as the sequence has always timed them, with the
// sequence's lines (see runWhole): a phase begins where the one before it ended, its narration
// is asked for on its first tick 2 ms later, and it ends on the first tick of the 2 ms pace at or
// after its length; a phase of no length ends on its first tick.
QStringList BreathTimeline(const TSettings& s, bool full, int startMs) {
    const int phases = full ? 4 * s.AtmZ1 + 1 : 2 * s.AtmZ2 + 1;
    const int step = full ? 4 : 6;
    QStringList out{QStringLiteral("%1 step %2").arg(startMs).arg(step)};
    std::int64_t t = startMs;
    for (int i = 0; i < phases; ++i) {
        const BreathRow& row = RowOf(full, i);
        out << QStringLiteral("%1 %2").arg(t + 2).arg(QLatin1String(row.narration));
        t += std::max<std::int64_t>(LengthMs(s, row), 2);
        if (i + 1 < phases)
            out << QStringLiteral("%1 phase %2").arg(t).arg(i + 1);
        else
            out << QStringLiteral("%1 step %2").arg(t).arg(step + 1);
    }
    return out;
}

// Where the blind belongs `elapsed` ms into a phase of `length` ms, over a strip `h` pixels high:
// the share of the phase gone by times h, rounded half to even, counted down from the top while
// breathing out and up from the bottom while breathing in; a phase of no length is over at once.
int BlindAfter(Move move, std::int64_t elapsed, std::int64_t length, int h) {
    if (move == Move::HoldsDown)
        return h;
    if (move == Move::HoldsUp)
        return 0;
    std::int64_t covered = h;
    if (length > 0) {
        const std::int64_t scaled = std::int64_t(h) * elapsed;
        covered = scaled / length;
        const std::int64_t rest = scaled % length;
        if (2 * rest > length || (2 * rest == length && covered % 2 == 1))
            ++covered;
        covered = std::clamp<std::int64_t>(covered, 0, h);
    }
    return int(move == Move::Falls ? covered : h - covered);
}

// Settings that stretch the breath phases' timing.
struct BreathCase {
    const char* name;
    std::function<void(TSettings&)> change;
    int sixFrom; // when alternate breathing begins, ms since the start
    int endsAt;  // when the sequence is over
};
const std::vector<BreathCase>& BreathCases() {
    static const std::vector<BreathCase> cases{
        {"default", {}, 157'000, 315'000},
        {"phases of one second",
         [](TSettings& s) {
             s.Atm1s = s.Atm2s = s.Atm3s = s.Atm4s = s.Atm5s = s.Atm6s = 1;
             s.AtmZ1 = 3;
             s.AtmZ2 = 2;
         },
         77'000, 129'000},
        {"long phases with minutes",
         [](TSettings& s) {
             s.Atm1m = 1;
             s.Atm1s = 30;
             s.Atm2s = 7;
             s.Atm3m = 2;
             s.Atm3s = 0;
             s.Atm4m = 1;
             s.Atm4s = 0;
             s.Atm5m = 1;
             s.Atm5s = 5;
             s.Atm6s = 45;
             s.AtmZ1 = 1;
             s.AtmZ2 = 1;
         },
         431'000, 653'000},
        {"phases of no length",
         [](TSettings& s) {
             s.Atm2s = 0;
             s.Atm4s = 0;
             s.Atm3s = 3;
             s.Atm5s = 0;
             s.Atm6s = 2;
             s.AtmZ1 = 2;
             s.AtmZ2 = 3;
         },
         85'008, 138'016},
        {"no phase has a length",
         [](TSettings& s) {
             s.Atm1s = s.Atm2s = s.Atm3s = s.Atm4s = s.Atm5s = s.Atm6s = 0;
             s.AtmZ1 = 2;
             s.AtmZ2 = 2;
         },
         64'018, 111'028},
    };
    return cases;
}

} // namespace

TEST_F(Breathing, FullRunAtDefaultSettings) {
    start();
    run(400'000);
    ASSERT_FALSE(atm->TimerAtmen.enabled()) << "the sequence ended";
    // The journey in: introduction, then a word every two seconds.
    EXPECT_EQ(firstTime("atmen/indoc.wav"), 500);
    EXPECT_EQ(firstTime("atmen/eins.wav"), 16'000);
    EXPECT_EQ(firstTime("atmen/zehn.wav"), 34'000);
    EXPECT_EQ(firstTime("atmen/atmen0.wav"), 40'500);
    // Full breathing: 8 cycles of 5 + 1 + 4 + 1 s and a last exhalation, 93 s.
    EXPECT_EQ(firstTime("atmen/atmen1.wav"), 50'002);
    EXPECT_EQ(count("atmen/atmen1.wav"), 9);
    EXPECT_EQ(count("atmen/atmen24.wav"), 16);
    EXPECT_EQ(firstTime("atmen/wechs0.wav"), 50'000 + 93'000 + 2'000);
    // Alternate breathing: right, in, left, in ... ending with an exhalation, 111 s.
    EXPECT_EQ(firstTime("atmen/wechs2.wav"), 157'002);
    EXPECT_EQ(count("atmen/wechs2.wav"), 5);
    EXPECT_EQ(count("atmen/wechs1.wav"), 4);
    EXPECT_EQ(count("atmen/atmen3.wav"), 8 + 8);
    EXPECT_EQ(firstTime("mantra.wav"), 157'000 + 111'000 + 2'000);
    EXPECT_EQ(firstTime("atmen/outdoc.wav"), 278'500);
    EXPECT_EQ(firstTime("atmen/ende.wav"), 313'000);
    // The last count returns the board to idle: a stop, nothing after it.
    EXPECT_EQ(heard.back().name, QStringLiteral("stop"));
    EXPECT_EQ(heard.back().ms, 315'000);
    EXPECT_EQ(board->Form->caption(), QStringLiteral("Quillet   /   Version 01-03-2009"));
    EXPECT_TRUE(board->PKino->isHidden());
    EXPECT_TRUE(board->PAtmen->isHidden());
}

TEST_F(Breathing, WordsCountOneToTenForwardThenBackward) {
    start();
    QStringList lines;
    QList<int> shownKino;
    auto kinoShown = [this] {
        for (int n = 1; n <= 11; ++n)
            if (!board->IKino[n]->isHidden())
                return n;
        return 0;
    };
    for (int guard = 0; atm->TimerAtmen.enabled() && guard < 400'000; ++guard) {
        const QStringList before = board->MemoText->lines();
        const int kino = kinoShown();
        run(atm->TimerAtmen.interval());
        if (board->MemoText->lines() != before && atm->TimerAtmen.interval() == 500)
            lines << board->MemoText->lines().join('|');
        if (kinoShown() != kino && (atm->AtmStep == 2 || atm->AtmStep == 9))
            shownKino << kinoShown();
    }
    const QStringList words{"eins",  "zwei",   "drei", "vier", "fünf",
                            "sechs", "sieben", "acht", "neun", "zehn"};
    const int in = int(lines.indexOf("eins"));
    ASSERT_GE(in, 0);
    EXPECT_EQ(lines.mid(in, 10), words);
    const int back = int(lines.lastIndexOf("eins"));
    EXPECT_EQ(lines.mid(back, 11), words + QStringList{"Ende der Übung"});
    // Picture 1 is up from the introduction, picture 11 stays from the journey in.
    EXPECT_EQ(shownKino,
              (QList<int>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
}

TEST_F(Breathing, OnePassOfFullBreathingIsFivePhases) {
    start([](TSettings& s) {
        s.AtmZ1 = 1;
        s.AtmZ2 = 1;
    });
    runTo(7);
    EXPECT_EQ(count("atmen/atmen1.wav") + count("atmen/atmen24.wav"), 2 + 2);
    QStringList phases;
    for (const Heard& h : heard)
        if (h.ms >= 50'000 && h.name != "stop")
            phases << h.name;
    EXPECT_EQ(phases.mid(0, 5),
              (QStringList{"atmen/atmen1.wav", "atmen/atmen24.wav", "atmen/atmen3.wav",
                           "atmen/atmen24.wav", "atmen/atmen1.wav"}));
    // Alternate breathing with one pair: right, in, left.
    EXPECT_EQ(phases.mid(6, 3),
              (QStringList{"atmen/wechs2.wav", "atmen/atmen3.wav", "atmen/wechs1.wav"}));
}

TEST_F(Breathing, BlindStartsAtTheTopAndFollowsTheBreath) {
    start();
    runTo(4);
    EXPECT_EQ(atm->AtmBlind, 0);
    EXPECT_EQ(board->PBlende->height(), 0);
    const int h = board->WindowHeight();
    const int from = now();
    // The blind moves at most once per pace (two frames): up to 34 ms, 6 px here, behind.
    runUntil(from + 2'500); // half of the 5 s exhalation
    EXPECT_NEAR(atm->AtmBlind, h / 2, 6);
    runUntil(from + 5'000);
    EXPECT_NEAR(atm->AtmBlind, h, 6) << "the end of the exhalation, shown with the next move";
    runUntil(from + 5'000 + 500);
    EXPECT_EQ(atm->AtmBlind, h) << "clamped to the strip";
    runUntil(from + 5'000 + 1'000 + 2'000); // hold, then half the inhalation
    EXPECT_NEAR(atm->AtmBlind, h / 2, 2);
    runTo(5);
    EXPECT_EQ(atm->AtmBlind, h) << "the last exhalation leaves the strip covered";
    runTo(6);
    EXPECT_EQ(atm->AtmBlind, 0) << "alternate breathing begins with the strip open";
}

TEST_F(Breathing, StepsKeepTheirLengthWithEitherHoursPerDay) {
    for (int hours : {24, 12}) {
        SCOPED_TRACE(hours);
        heard.clear();
        start([hours](TSettings& s) { s.HoursPerDay = std::uint8_t(hours); });
        run(400'000);
        EXPECT_EQ(firstTime("atmen/wechs0.wav"), 145'000);
        EXPECT_EQ(heard.back().ms, 315'000);
        board.reset();
    }
}

TEST_F(Breathing, SoundOffKeepsEveryStepAndText) {
    start([](TSettings& s) { s.Sound = 0; });
    QStringList lines;
    for (int guard = 0; atm->TimerAtmen.enabled() && guard < 400'000; ++guard) {
        run(atm->TimerAtmen.interval());
        if (atm->AtmStep == 6 && lines.isEmpty())
            lines << QString::number(now());
    }
    EXPECT_TRUE(heard.empty());
    EXPECT_EQ(now(), 315'000);
    EXPECT_EQ(lines, QStringList{"157000"});
    EXPECT_EQ(board->MemoText->lines(), QStringList{"Ende der Übung"});
}

TEST_F(Breathing, TextOffKeepsThePanelHiddenButWritesEveryLine) {
    start([](TSettings& s) { s.Text = 0; });
    EXPECT_TRUE(board->PText->isHidden());
    runTo(3);
    run(500);
    EXPECT_TRUE(board->PText->isHidden());
    EXPECT_TRUE(board->MemoText->lines().first().startsWith("Bei der Vollatmung"));
}

TEST_F(Breathing, StartingAgainWhileRunningStartsAfresh) {
    start();
    runTo(4);
    run(3'000);
    board->SBAtmenClick();
    EXPECT_EQ(atm->AtmStep, 1);
    EXPECT_EQ(atm->TimerAtmen.interval(), 500);
    EXPECT_FALSE(board->PKino->isHidden());
    for (int n = 1; n <= 11; ++n)
        EXPECT_TRUE(board->IKino[n]->isHidden());
    heard.clear();
    elapsedMs = 0;
    run(13'000);
    EXPECT_EQ(firstTime("atmen/indoc.wav"), 500);
    EXPECT_EQ(atm->AtmStep, 2);
}

TEST_F(Breathing, PhaseOfNoLengthEndsAtOnce) {
    start([](TSettings& s) {
        s.Atm2m = 0;
        s.Atm2s = 0;
        s.Atm4s = 0;
    });
    runTo(6);
    // Each cycle is now 5 + 0 + 4 + 0 s; a phase of no length takes one tick of 2 ms.
    EXPECT_EQ(firstTime("atmen/wechs0.wav"), 50'000 + 8 * 9'000 + 5'000 + 16 * 2 + 2'000);
}

TEST_F(Breathing, MissingFilesNeitherStallNorShortenTheSequence) {
    QTemporaryDir empty;
    QDir(empty.path()).mkpath("Sound");
    QDir(empty.path()).mkpath("Pictures");
    files = rt::DataFiles(QStringList{empty.path()});
    start();
    run(400'000);
    EXPECT_FALSE(atm->TimerAtmen.enabled());
    EXPECT_EQ(now(), 315'000);
    EXPECT_FALSE(report.texts.filter("atmen11.jpg").isEmpty());
    EXPECT_FALSE(report.texts.filter("indoc.wav").isEmpty());
    EXPECT_TRUE(heard.empty()) << "nothing could be played";
}

TEST_F(Breathing, EndRestartsTheCountdownsWhenTheTimeSwitchIsOn) {
    start();
    board->TimeSwitchOn = 1;
    run(400'000);
    EXPECT_TRUE(board->TimerTrain.enabled());
    EXPECT_TRUE(board->TimerDog.enabled());
    EXPECT_EQ(board->SizeMode, Mini);
}

TEST_F(Breathing, FigureLayoutFollowsTheStep) {
    start();
    const int w = board->WindowWidth(), h = board->WindowHeight();
    EXPECT_EQ(board->IAtmen1->geometry(), QRect(RoundEven(0.37 * w), RoundEven(0.48 * h),
                                                RoundEven(0.12 * w), RoundEven(h / 2.0)));
    runTo(5);
    EXPECT_EQ(board->IAtmen1->geometry(), QRect(RoundEven(0.28 * w), h - RoundEven(h / 2.0),
                                                RoundEven(0.25 * w), RoundEven(h / 2.0)));
    EXPECT_EQ(board->PColors->geometry(), QRect(0, 0, 3, h));
}

// Every phase of both kinds of breathing ends, and the next one's narration comes, when it
// always did, at the default settings and at odd ones; and so does the rest of the sequence.
TEST_F(Breathing, PhaseTimingFollowsTheSettings) {
    for (const BreathCase& c : BreathCases()) {
        SCOPED_TRACE(c.name);
        timeline.clear();
        blindTicks.clear();
        start(c.change);
        runWhole();
        ASSERT_FALSE(atm->TimerAtmen.enabled()) << "the sequence ended";
        const TSettings& s = board->Settings();
        EXPECT_EQ(timeOfStep(4), 50'000);
        EXPECT_EQ(timelineOfSteps(4, 5).join('\n').toStdString(),
                  BreathTimeline(s, true, 50'000).join('\n').toStdString());
        EXPECT_EQ(timeOfStep(6), c.sixFrom);
        EXPECT_EQ(timelineOfSteps(6, 7).join('\n').toStdString(),
                  BreathTimeline(s, false, timeOfStep(6)).join('\n').toStdString());
        EXPECT_EQ(now(), c.endsAt);
        EXPECT_EQ(heard.back().ms, c.endsAt);
        board.reset();
    }
}

// Every tick of the breath phases comes on the 2 ms pace the phases are timed by, and wherever
// it moves the blind, it moves it to where it belongs at that moment; where it leaves the blind
// elsewhere, the blind has moved within its pace (two frames of the screen). On a full screen at
// the default settings, with phases shorter than a pixel step per frame, with phases so long that
// the blind moves a pixel now and then, and with phases of no length.
TEST_F(Breathing, BlindStandsWhereTheBreathHasBroughtIt) {
    for (const BreathCase& c : BreathCases()) {
        SCOPED_TRACE(c.name);
        const double paceMs = runWholeOnFullScreen(c.change);
        const TSettings& s = board->Settings();
        const int h = board->WindowHeight();
        ASSERT_GT(blindTicks.size(), 10u);
        for (const BlindTick& t : blindTicks) {
            SCOPED_TRACE(t.ms);
            const BreathRow& row = RowOf(t.full, t.phase);
            EXPECT_EQ(t.elapsed % 2, 0) << "on the 2 ms pace";
            const int due = BlindAfter(row.blind, t.elapsed, LengthMs(s, row), h);
            if (t.blind != t.before) {
                EXPECT_EQ(t.blind, due) << "moved elsewhere";
            } else if (t.blind != due) {
                EXPECT_LT(t.ms - t.movedAt, paceMs) << "held back for longer than the pace";
            }
            if (::testing::Test::HasFailure())
                return;
        }
        board.reset();
    }
}

// Besides the tick on which a breath phase speaks and the one on which it ends, the phases only
// tick where the blind moves; it moves at most once per pace (two frames), and never waits
// longer than that to stand where it belongs.
TEST_F(Breathing, BlindMovesAtMostOncePerPaceAndNeverLate) {
    for (const BreathCase& c : BreathCases()) {
        SCOPED_TRACE(c.name);
        const double paceMs = runWholeOnFullScreen(c.change);
        const TSettings& s = board->Settings();
        const int h = board->WindowHeight();
        for (size_t i = 0; i < blindTicks.size(); ++i) {
            const BlindTick& t = blindTicks[i];
            SCOPED_TRACE(t.ms);
            const bool moved = t.blind != t.before;
            if (!t.ends) {
                EXPECT_TRUE(moved || t.elapsed == 2) << "a tick for nothing";
                if (moved) {
                    EXPECT_GE(t.ms - t.movedAt, paceMs) << "twice within the pace";
                }
            }
            if (i == 0 || blindTicks[i - 1].ends)
                continue;
            // Where the blind belonged between the tick before and this one.
            const BreathRow& row = RowOf(t.full, t.phase);
            int late = -1;
            for (std::int32_t e = blindTicks[i - 1].elapsed + 2; e < t.elapsed && late < 0; e += 2)
                if (BlindAfter(row.blind, e, LengthMs(s, row), h) != t.before &&
                    t.ms - (t.elapsed - e) >= t.movedAt + paceMs)
                    late = e;
            EXPECT_EQ(late, -1) << "the blind was due to move this far into the phase";
            if (::testing::Test::HasFailure())
                return;
        }
        board.reset();
    }
}

// A window of another height in the middle of a breath phase (the screen changed) moves the blind
// in other pixel steps: it stands where the new height puts it within its pace, and does not wait
// for the next step the old height would have had.
TEST_F(Breathing, NewWindowHeightIsFollowedWithinThePace) {
    start(
        [](TSettings& s) {
            s.Atm1m = 1;
            s.Atm1s = 30;
        },
        1920, 1080);
    runTo(4);
    const int from = now();
    runUntil(from + 45'000);
    ASSERT_EQ(atm->AtmPhase, 0);
    EXPECT_NEAR(atm->AtmBlind, 540, 1);
    board->Form->setOuterSize(board->WindowWidth(), 540);
    board->SetSizes();
    const int resized = now();
    const int pace = atm->BlindPaceMs() + 2; // whole 2 ms steps
    const int before = atm->AtmBlind;
    while (atm->AtmBlind == before && now() < resized + 1'000)
        run(atm->TimerAtmen.interval()); // tick by tick
    EXPECT_LE(now(), resized + pace) << "moved within the blind's pace";
    EXPECT_EQ(atm->AtmBlind, BlindAfter(Move::Falls, atm->AtmElapsed, 90'000, 540));
    EXPECT_NEAR(atm->AtmBlind, 270, 1);
}
