#include "sequences/UProcAtm.h"

#include "app/Elapsed.h"
#include "app/UMainBoard.h"
#include "sequences/Countdown.h"

#include <algorithm>
#include <cmath>

namespace {

// The steps that speak once and then wait: length, when they speak, what they say.
struct TimedStepRow {
    std::uint16_t step;
    int seconds;    // the step is left once this much time has passed
    int speakAfter; // the narration comes this many seconds into the step
    const char* narration;
    const char* text;
};
const std::array<TimedStepRow, 5> kTimedSteps{{
    {1, 12, 0, "atmen\\indoc.wav",
     "Wir begeben uns auf eine Phantasiereise: In 10 Schritten wechseln wir von unserem "
     "Arbeitsplatz in die angenehm frische Luft eines Wasserfalls."},
    {3, 10, 0, "atmen\\atmen0.wav",
     "Bei der Vollatmung atmen wir ruhig und tief unter Beachtung von Zwerchfell-, Brust- und "
     "Schulteratmung ..."},
    {5, 14, 2, "atmen\\wechs0.wav",
     "Bei der Wechselatmung wird abwechselnd das rechte bzw. linke Nasenloch durch einen "
     "sanften Fingerdruck verschlossen ..."},
    {7, 10, 2, "mantra.wav", "Ich sitze aufrecht, atme tief und bin ganz entspannt !"},
    {8, 9, 0, "atmen\\outdoc.wav",
     "In zehn Schritten kehren wir langsam in die Gegenwart und zu unserem Arbeitsplatz "
     "zurück ..."},
}};

enum class Blind { Falls, Holds, Rises };

struct PhaseRow {
    const char* narration;
    const char* text;
    const char* picture; // into the figure, or none
    std::uint16_t TSettings::*minutes;
    std::uint16_t TSettings::*seconds;
    Blind blind;
};
const std::array<PhaseRow, 4> kFullBreathing{{
    {"atmen\\atmen1.wav", "... ausatmen ...", nullptr, &TSettings::Atm1m, &TSettings::Atm1s,
     Blind::Falls},
    {"atmen\\atmen24.wav", "... anhalten ...", nullptr, &TSettings::Atm2m, &TSettings::Atm2s,
     Blind::Holds},
    {"atmen\\atmen3.wav", "... einatmen ...", nullptr, &TSettings::Atm3m, &TSettings::Atm3s,
     Blind::Rises},
    {"atmen\\atmen24.wav", "... anhalten ...", nullptr, &TSettings::Atm4m, &TSettings::Atm4s,
     Blind::Holds},
}};
const std::array<PhaseRow, 4> kAlternateBreathing{{
    {"atmen\\wechs2.wav", "... rechts schließen und ausatmen  ...", "Pictures\\Atmen\\wr.bmp",
     &TSettings::Atm5m, &TSettings::Atm5s, Blind::Falls},
    {"atmen\\atmen3.wav", "... einatmen  ...", nullptr, &TSettings::Atm6m, &TSettings::Atm6s,
     Blind::Rises},
    {"atmen\\wechs1.wav", "... links schließen und ausatmen  ...", "Pictures\\Atmen\\wl.bmp",
     &TSettings::Atm5m, &TSettings::Atm5s, Blind::Falls},
    {"atmen\\atmen3.wav", "... einatmen  ...", nullptr, &TSettings::Atm6m, &TSettings::Atm6s,
     Blind::Rises},
}};

constexpr const char* kBackground = "Pictures\\Atmen\\atmen11.jpg";
constexpr const char* kFigure = "Pictures\\Atmen\\figur.bmp";
constexpr const char* kColours = "Pictures\\Atmen\\colors.jpg";
constexpr const char* kLeftNostril = "Pictures\\Atmen\\wl.bmp";
QString KinoPicture(int n) {
    return QStringLiteral("Pictures\\Atmen\\atmen%1.jpg").arg(n);
}

constexpr Journey kJourneyIn{true, 0, 14};
constexpr Journey kJourneyBack{false, 13, 14};
constexpr int kBreathPeriodMs = 2;
constexpr int kStepPeriodMs = 500;

// How far the blind has come `elapsed` ms into a breath phase of `length` ms over a strip `h`
// pixels high: the share of the phase gone by, in whole pixels. A phase of no length (only a
// damaged settings file has one) is over at once.
int BlindCovers(std::int64_t elapsed, std::int64_t length, int h) {
    return length > 0 ? std::clamp(RoundEven(double(h) * double(elapsed) / double(length)), 0, h)
                      : h;
}

// The blind moves at most every other frame of the screen (30 times a second at 60 Hz): a
// breath's blind crosses the strip in seconds, and each move costs a repaint and a round trip to
// the display, which at every frame came to more than one per cent of a core.
constexpr int kFramesPerBlindMove = 2;

// The breath phases are timed, and the blind's heights worked out, on a pace of 2 ms from the
// phase's start; a tick is only needed where something changes on it. Returns it as ms into the
// phase: the phase's end at the latest; before that, the first step of the pace at which the
// blind belongs elsewhere than it stands, but none before the screen's next frame after the blind
// last moved (`sinceMoved` ago). `due` is where the blind belongs now.
std::int64_t NextBreathTick(Blind blind, std::int64_t elapsed, std::int64_t length, int h,
                            int stands, int due, std::int64_t sinceMoved, int frameMs) {
    const auto dueAt = [&](std::int64_t t) {
        if (blind == Blind::Falls)
            return BlindCovers(t, length, h);
        if (blind == Blind::Rises)
            return h - BlindCovers(t, length, h);
        return due;
    };
    const std::int64_t waitSteps =
        std::max<std::int64_t>(1, (frameMs - sinceMoved + kBreathPeriodMs - 1) / kBreathPeriodMs);
    const std::int64_t first = elapsed + waitSteps * kBreathPeriodMs;
    if (first >= length)
        return length;
    const int then = dueAt(first);
    if (then != stands)
        return first;
    // The blind only ever moves on through a phase: find the first step at which it has, between
    // the step after `first` (lo + 1) and the first at or past the phase's end (hi).
    std::int64_t lo = 0;
    std::int64_t hi = (length - first + kBreathPeriodMs - 1) / kBreathPeriodMs;
    if (dueAt(first + hi * kBreathPeriodMs) == then)
        return length;
    while (hi - lo > 1) {
        const std::int64_t mid = lo + (hi - lo) / 2;
        if (dueAt(first + mid * kBreathPeriodMs) == then)
            lo = mid;
        else
            hi = mid;
    }
    return std::min(first + hi * kBreathPeriodMs, length);
}

} // namespace

TFProcAtm::TFProcAtm(TFMainBoard& board) : board_(board) {
    TimerAtmen.onTimer = [this] { TimerAtmenTimer(); };
}

std::int32_t TFProcAtm::ElapsedSeconds() const {
    return Elapsed(board_.Clock().nowSeconds(), AtmStart);
}

void TFProcAtm::TimerAtmenSetUp() {
    AtmStep = 1;
    AtmSaid = false;
    board_.PAtmen->hide();
    board_.IAtmen1->hide();
    board_.PColors->hide();
    board_.PColors->setColor(Qt::black);
    board_.PBlende->setColor(Qt::black);
    board_.PKino->show();
    if (board_.Settings().Text == 1)
        board_.PText->show();
    board_.LoadPicture(board_.IAtmen, QString::fromLatin1(kBackground));
    board_.LoadPicture(board_.IAtmen1, QString::fromLatin1(kFigure));
    board_.LoadPicture(board_.IColors, QString::fromLatin1(kColours));
    SetSizesAtm();
    AtmStart = board_.Clock().nowSeconds();
    AtmKinoPeriod = 2;
    KinoAtmSetUp();
    StepPace();
}

// The half-second pace of the counted and spoken steps, started afresh in step with the
// program's other timers.
void TFProcAtm::StepPace() {
    TimerAtmen.setEnabled(false);
    TimerAtmen.setInterval(kStepPeriodMs);
    TimerAtmen.setEnabled(true);
}

void TFProcAtm::KinoAtmSetUp() {
    std::vector<std::pair<rt::Image*, QString>> pictures;
    for (int n = 1; n <= 11; ++n) {
        board_.IKino[size_t(n)]->hide();
        pictures.emplace_back(board_.IKino[size_t(n)], KinoPicture(n));
    }
    board_.LoadPictures(pictures);
}

void TFProcAtm::SetSizesAtm() {
    const int w = board_.WindowWidth();
    const int h = board_.WindowHeight();
    // A strip of another height moves the blind in other steps: a breath phase works out its
    // next tick afresh.
    if ((AtmStep == 4 || AtmStep == 6) && board_.PColors->height() != h)
        TimerAtmen.setIntervalFromNow(kBreathPeriodMs);
    const int figureHeight = RoundEven(h / 2.0);
    if (AtmStep < 5)
        rt::setBounds(board_.IAtmen1, RoundEven(0.37 * w), RoundEven(0.48 * h), RoundEven(0.12 * w),
                      figureHeight);
    else
        rt::setBounds(board_.IAtmen1, RoundEven(0.28 * w), h - figureHeight, RoundEven(0.25 * w),
                      figureHeight);
    rt::setBounds(board_.PColors, 0, 0, 3, h);
    rt::setBounds(board_.IColors, 0, 0, 3, h);
    rt::setBounds(board_.PBlende, 0, 0, 3, board_.PBlende->height());
}

void TFProcAtm::SetBlind(int height, bool paced, std::int64_t nowMs) {
    if (height != AtmBlind)
        blindMovedAt_ = nowMs;
    AtmBlind = height;
    if (paced)
        board_.PBlende->setHeightPaced(height);
    else
        board_.PBlende->setHeightNow(height);
}

void TFProcAtm::Leave(std::uint16_t next) {
    AtmSaid = false;
    AtmStart = board_.Clock().nowSeconds();
    AtmStep = next;
}

void TFProcAtm::TimerAtmenTimer() {
    switch (AtmStep) {
    case 1:
    case 3:
    case 5:
    case 7:
    case 8:
        TimedStep();
        break;
    case 2:
    case 9:
        CountedStep();
        break;
    case 4:
    case 6:
        BreathPhase();
        break;
    default:
        break;
    }
}

void TFProcAtm::TimedStep() {
    const TimedStepRow& row =
        *std::find_if(kTimedSteps.begin(), kTimedSteps.end(),
                      [this](const TimedStepRow& r) { return r.step == AtmStep; });
    AtmElapsed = ElapsedSeconds();
    if (!AtmSaid && AtmElapsed >= row.speakAfter) {
        AtmSaid = true;
        if (AtmStep == 1)
            board_.IKino[1]->show();
        board_.HandleSound(QString::fromLatin1(row.narration));
        if (AtmStep == 3) {
            board_.IAtmen1->show();
            SetBlind(0, false, board_.Clock().nowMs());
            board_.PColors->show();
        }
        SetInstruction(board_, QString::fromUtf8(row.text));
    }
    if (AtmElapsed < row.seconds)
        return;

    switch (AtmStep) {
    case 3:
    case 5:
        // Into the breath phases: millisecond clock, fast ticks, the blind from the top.
        AtmPhase = 0;
        if (AtmStep == 5)
            SetBlind(0, false, board_.Clock().nowMs());
        blindDue_ = AtmBlind;
        TimerAtmen.setInterval(kBreathPeriodMs);
        Leave(AtmStep + 1);
        AtmStart = board_.Clock().nowMs();
        break;
    default:
        Leave(AtmStep + 1);
        break;
    }
}

void TFProcAtm::CountedStep() {
    AtmElapsed = ElapsedSeconds();
    if (!CountTick(board_, AtmStep == 2 ? kJourneyIn : kJourneyBack, {AtmSaid, AtmKino, AtmStart},
                   AtmElapsed, AtmKinoPeriod, "atmen"))
        return;
    if (AtmStep == 9) {
        FinishSequence(board_);
        return;
    }
    board_.PAtmen->show();
    board_.PKino->hide();
    Leave(3);
}

void TFProcAtm::BreathPhase() {
    const bool full = AtmStep == 4;
    const PhaseRow& phase = (full ? kFullBreathing : kAlternateBreathing)[AtmPhase % 4];
    const TSettings& settings = board_.Settings();
    const std::int64_t now = board_.Clock().nowMs();
    AtmElapsed = Elapsed(now, AtmStart);

    if (!AtmSaid) {
        AtmSaid = true;
        frameMs_ = kFramesPerBlindMove * board_.Form->frameMs();
        board_.MemoText->clearLines();
        board_.HandleSound(QString::fromLatin1(phase.narration));
        board_.MemoText->addLine(QString::fromUtf8(phase.text));
        if (phase.picture)
            board_.LoadPicture(board_.IAtmen1, QString::fromLatin1(phase.picture));
        AtmPhaseLength = std::uint16_t(settings.*phase.minutes * 60 + settings.*phase.seconds);
    }

    const std::int64_t e = AtmElapsed;
    const std::int64_t length = std::int64_t(AtmPhaseLength) * 1000;
    const int h = board_.WindowHeight();
    const int r = BlindCovers(e, length, h);
    if (phase.blind == Blind::Falls)
        blindDue_ = r;
    else if (phase.blind == Blind::Rises)
        blindDue_ = h - r;
    // The screen shows the blind at most once a frame: a move due sooner waits for the next one.
    std::int64_t sinceBlindMoved = Elapsed(now, blindMovedAt_);
    if (blindDue_ != AtmBlind && sinceBlindMoved >= frameMs_) {
        SetBlind(blindDue_, true, now);
        sinceBlindMoved = 0;
    }

    if (e < length) {
        TimerAtmen.setIntervalFromNow(int(NextBreathTick(phase.blind, e, length, h, AtmBlind,
                                                         blindDue_, sinceBlindMoved, frameMs_) -
                                          e));
        return;
    }
    AtmStart = board_.Clock().nowMs();
    AtmSaid = false;
    ++AtmPhase;
    const int limit = full ? 4 * settings.AtmZ1 : 2 * settings.AtmZ2;
    if (AtmPhase <= limit) {
        // The next phase speaks on its first tick.
        TimerAtmen.setIntervalFromNow(kBreathPeriodMs);
        return;
    }

    AtmPhase = 0;
    // The blind stands still from here on: where the last phase left it, with the next frame.
    SetBlind(blindDue_, true, now);
    StepPace();
    if (full) {
        Leave(5);
        board_.LoadPicture(board_.IAtmen1, QString::fromLatin1(kLeftNostril));
        SetSizesAtm();
    } else {
        board_.PKino->show();
        board_.PAtmen->hide();
        Leave(7);
    }
}

QStringList TFProcAtm::DataFilesUsed() {
    QStringList files;
    for (const char* f : {kBackground, kFigure, kColours, kLeftNostril})
        files << QString::fromLatin1(f);
    for (int n = 1; n <= 11; ++n)
        files << KinoPicture(n);
    const auto sound = [&files](const char* name) {
        files << QStringLiteral("Sound\\") + QString::fromLatin1(name);
    };
    for (const TimedStepRow& r : kTimedSteps)
        sound(r.narration);
    for (const auto* table : {&kFullBreathing, &kAlternateBreathing})
        for (const PhaseRow& p : *table) {
            sound(p.narration);
            if (p.picture)
                files << QString::fromLatin1(p.picture);
        }
    files << CountedNarrations("atmen");
    files.removeDuplicates();
    return files;
}
