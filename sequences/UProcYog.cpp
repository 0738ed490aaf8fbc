#include "sequences/UProcYog.h"

#include "app/Elapsed.h"
#include "app/UMainBoard.h"
#include "sequences/Countdown.h"

#include <algorithm>
#include <array>
#include <span>

namespace {

// Steps that speak once, show their picture (or keep the last one) and wait.
struct IntroRow {
    std::uint16_t step;
    int seconds;
    const char* picture; // none: the picture of the step before stays
    const char* narration;
    const char* text;
    std::uint16_t next;
};
const std::array<IntroRow, 17> kIntros{{
    {110, 6, "Pictures\\yoga\\p1\\yoga112.jpg", "yoga\\yoga11.wav",
     "Wir öffnen und schließen abwechselnd unsere Hände ...", 11},
    {120, 10, "Pictures\\yoga\\p1\\yoga121.jpg", "yoga\\yoga120.wav",
     "Wir halten die Hände ganz locker, drehen sie zunächst einige Male nach außen und "
     "anschließend einige Male nach innen ...",
     12},
    {130, 8, "Pictures\\yoga\\p1\\yoga131.jpg", "yoga\\yoga130.wav",
     "Wir rollen die Schultern zunächst einige Male nach vorne und anschließend einige Male "
     "nach hinten ...",
     13},
    {140, 18, "Pictures\\yoga\\p1\\yoga1421.jpg", "yoga\\yoga140.wav",
     "Wir drehen mit langsamen, sanften Bewegungen den Kopf nach links und nach rechts, und "
     "zwar zunächst mit gesenktem Kopf, anschließend mit aufrechtem Kopf und abschließend mit "
     "dem Kopf im Nacken ...",
     1410},
    {1410, 2, "Pictures\\yoga\\p1\\yoga1411.jpg", "yoga\\yoga14Ks.wav", "... Kopf senken ...", 141},
    {1420, 3, "Pictures\\yoga\\p1\\yoga1421.jpg", "yoga\\yoga14Ka.wav", "... Kopf aufrichten ...",
     142},
    {1430, 2, "Pictures\\yoga\\p1\\yoga1431.jpg", "yoga\\yoga14Kn.wav",
     "... Kopf in den Nacken ...", 143},
    {20, 15, "Pictures\\yoga\\p2\\yoga21.jpg", "yoga\\yoga20.wav",
     "Wir atmen aus, richten uns aus einer Gebetshaltung in fünf Stufen einatmend langsam auf "
     "und kehren dann ausatmend wieder langsam in die Ausgangsposition zurück ...",
     201},
    {201, 3, nullptr, "yoga\\yoga2_30.wav", "... ausatmen ...", 2},
    {30, 21, "Pictures\\yoga\\p3\\yoga31.jpg", "yoga\\yoga30.wav",
     "Wir beugen uns weit vor, wenn möglich bis die Hände den Boden berühren, atmen aus, "
     "richten uns einatmend in fünf Stufen langsam vollständig auf und kehren ausatmend ebenso "
     "langsam in die Ausgangsposition zurück ...",
     301},
    {301, 3, nullptr, "yoga\\yoga2_30.wav", "... ausatmen ...", 3},
    {40, 18, "Pictures\\yoga\\p4\\yoga41.jpg", "yoga\\yoga40.wav",
     "Wir nehmen die Hände an die Hüften, drehen den Oberkörper nach links, federn nach, kehren "
     "zur Mitte zurück, drehen den Oberkörper nach rechts, federn nach, kehren zur Mitte zurück, "
     "und so weiter ...",
     4},
    {50, 16, "Pictures\\yoga\\p5\\yoga511.jpg", "yoga\\yoga50.wav",
     "Wir ziehen zunächst das linke Knie einatmend einige Male an den Oberkörper heran, beim "
     "Lösen des Knies atmen wir aus, dann wiederholen wir diese Übung mit dem rechten Knie ... "
     "... ",
     51},
    {502, 3, "Pictures\\yoga\\p5\\yoga521.jpg", "yoga\\yoga502.wav",
     "... Wechsel zum rechten Knie ... ", 52},
    {60, 15, "Pictures\\yoga\\p6\\yoga61.jpg", "yoga\\yoga60.wav",
     "Wir sitzen leicht gebeugt, atmen aus und spannen dabei die Bauchmuskulatur bewußt an, "
     "richten uns auf, atmen ein und lösen dabei die Bauchmuskulatur ...",
     6},
    {70, 13, "Pictures\\yoga\\p7\\yoga711.jpg", "yoga\\yoga70.wav",
     "Wir winkeln einige Male den linken Fuß an und ab, wiederholen diese Übung mit dem rechten "
     "Fuß und schütteln anschließend beide Beine aus ...",
     71},
    {8, 10, "Pictures\\Yoga\\p8\\mantra.jpg", "mantra.wav",
     "Ich sitze aufrecht, atme tief und bin ganz entspannt !", 9},
}};

// One movement of an exercise: its picture, and what is said when it begins (none: nothing is
// said and the text stays). A springing movement shows its far pose on its first tick only.
struct Move {
    const char* picture;
    const char* narration;
    const char* text;
    const char* flash = nullptr;
};

// How a looping step differs from the plain one, which shows its movement's picture on every
// tick and speaks when each movement begins.
enum class Loop {
    Plain,
    PictureWithWords, // the picture comes with the words, once per movement
    Turn,             // three poses a turn, spoken once a turn; the second half turns back
    Head,             // the closing movement returns to the middle and says so
    Shake,            // one movement a tick, no waiting
};

// Movement k (from 1) of a step is moves[(k - 1) % moves.size()].
const std::array<Move, 2> kHands{{
    {"Pictures\\yoga\\p1\\yoga111.jpg", "yoga\\yoga111.wav", "... öffnen ..."},
    {"Pictures\\yoga\\p1\\yoga112.jpg", "yoga\\yoga112.wav", "... schließen ..."},
}};
const std::array<Move, 3> kTurnOut{{
    {"Pictures\\Yoga\\p1\\yoga121.jpg", "yoga\\yoga121.wav", "... nach außen drehen ..."},
    {"Pictures\\yoga\\p1\\yoga123.jpg", nullptr, nullptr},
    {"Pictures\\yoga\\p1\\yoga122.jpg", nullptr, nullptr},
}};
const std::array<Move, 3> kTurnIn{{
    {"Pictures\\Yoga\\p1\\yoga121.jpg", "yoga\\yoga122.wav", "... nach innen drehen ..."},
    {"Pictures\\yoga\\p1\\yoga122.jpg", nullptr, nullptr},
    {"Pictures\\yoga\\p1\\yoga123.jpg", nullptr, nullptr},
}};
const std::array<Move, 3> kRollForward{{
    {"Pictures\\Yoga\\p1\\yoga131.jpg", "yoga\\yoga131.wav", "... nach vorne rollen ..."},
    {"Pictures\\yoga\\p1\\yoga133.jpg", nullptr, nullptr},
    {"Pictures\\yoga\\p1\\yoga132.jpg", nullptr, nullptr},
}};
const std::array<Move, 3> kRollBack{{
    {"Pictures\\Yoga\\p1\\yoga131.jpg", "yoga\\yoga132.wav", "... nach hinten rollen ..."},
    {"Pictures\\yoga\\p1\\yoga132.jpg", nullptr, nullptr},
    {"Pictures\\yoga\\p1\\yoga133.jpg", nullptr, nullptr},
}};

// The head: middle (announce left), left, middle (announce right), right.
const std::array<Move, 4> kHeadDown{{
    {"Pictures\\yoga\\p1\\yoga1411.jpg", "yoga\\yoga14L.wav", "... nach links ..."},
    {"Pictures\\yoga\\p1\\yoga1412.jpg", nullptr, nullptr},
    {"Pictures\\Yoga\\p1\\yoga1411.jpg", "yoga\\yoga14R.wav", "... nach rechts ..."},
    {"Pictures\\Yoga\\p1\\yoga1413.jpg", nullptr, nullptr},
}};
const std::array<Move, 4> kHeadUpright{{
    {"Pictures\\yoga\\p1\\yoga1421.jpg", "yoga\\yoga14L.wav", "... nach links ..."},
    {"Pictures\\yoga\\p1\\yoga1422.jpg", nullptr, nullptr},
    {"Pictures\\Yoga\\p1\\yoga1421.jpg", "yoga\\yoga14R.wav", "... nach rechts ..."},
    {"Pictures\\Yoga\\p1\\yoga1423.jpg", nullptr, nullptr},
}};
const std::array<Move, 4> kHeadBack{{
    {"Pictures\\yoga\\p1\\yoga1431.jpg", "yoga\\yoga14L.wav", "... nach links ..."},
    {"Pictures\\yoga\\p1\\yoga1432.jpg", nullptr, nullptr},
    {"Pictures\\Yoga\\p1\\yoga1431.jpg", "yoga\\yoga14R.wav", "... nach rechts ..."},
    {"Pictures\\Yoga\\p1\\yoga1433.jpg", nullptr, nullptr},
}};
// The closing movement of each head row: back to the middle.
const std::array<Move, 3> kHeadMiddle{{
    {"Pictures\\yoga\\p1\\yoga1411.jpg", "yoga\\yoga14M.wav", "... zur Mitte ..."},
    {"Pictures\\yoga\\p1\\yoga1421.jpg", "yoga\\yoga14M.wav", "... zur Mitte ..."},
    {"Pictures\\yoga\\p1\\yoga1431.jpg", "yoga\\yoga14M.wav", "... zur Mitte ..."},
}};

// Five stages up, three back down.
const std::array<Move, 8> kStraighten1{{
    {"Pictures\\yoga\\p2\\yoga21.jpg", "yoga\\yoga21.wav", "... eins ..."},
    {"Pictures\\Yoga\\p2\\yoga22.jpg", "yoga\\yoga22.wav", "... zwei ..."},
    {"Pictures\\Yoga\\p2\\yoga23.jpg", "yoga\\yoga23.wav", "... drei ..."},
    {"Pictures\\Yoga\\p2\\yoga24.jpg", "yoga\\yoga24.wav", "... vier ..."},
    {"Pictures\\yoga\\p2\\yoga25.jpg", "yoga\\yoga25.wav", "... fünf ..."},
    {"Pictures\\yoga\\p2\\yoga24.jpg", "yoga\\yoga24.wav", "... vier ..."},
    {"Pictures\\yoga\\p2\\yoga23.jpg", "yoga\\yoga23.wav", "... drei ..."},
    {"Pictures\\yoga\\p2\\yoga22.jpg", "yoga\\yoga22.wav", "... zwei ..."},
}};
const std::array<Move, 8> kStraighten2{{
    {"Pictures\\yoga\\p3\\yoga31.jpg", "yoga\\yoga21.wav", "... eins ..."},
    {"Pictures\\Yoga\\p3\\yoga32.jpg", "yoga\\yoga22.wav", "... zwei ..."},
    {"Pictures\\Yoga\\p3\\yoga33.jpg", "yoga\\yoga23.wav", "... drei ..."},
    {"Pictures\\Yoga\\p3\\yoga34.jpg", "yoga\\yoga24.wav", "... vier ..."},
    {"Pictures\\yoga\\p3\\yoga35.jpg", "yoga\\yoga25.wav", "... fünf ..."},
    {"Pictures\\yoga\\p3\\yoga34.jpg", "yoga\\yoga24.wav", "... vier ..."},
    {"Pictures\\yoga\\p3\\yoga33.jpg", "yoga\\yoga23.wav", "... drei ..."},
    {"Pictures\\yoga\\p3\\yoga32.jpg", "yoga\\yoga22.wav", "... zwei ..."},
}};

const std::array<Move, 6> kTwist{{
    {"Pictures\\yoga\\p4\\yoga41.jpg", "yoga\\yoga4M.wav", "... zur Mitte  ..."},
    {"Pictures\\Yoga\\p4\\yoga42.jpg", "yoga\\yoga4L.wav", "... nach links ..."},
    {"Pictures\\Yoga\\p4\\yoga42.jpg", "yoga\\yoga4F.wav", "... federn ...",
     "Pictures\\Yoga\\p4\\yoga43.jpg"},
    {"Pictures\\yoga\\p4\\yoga41.jpg", "yoga\\yoga4M.wav", "... zur Mitte ..."},
    {"Pictures\\yoga\\p4\\yoga44.jpg", "yoga\\yoga4R.wav", "... nach rechts ..."},
    {"Pictures\\yoga\\p4\\yoga44.jpg", "yoga\\yoga4F.wav", "... federn ...",
     "Pictures\\yoga\\p4\\yoga45.jpg"},
}};
const std::array<Move, 2> kLeftKnee{{
    {"Pictures\\yoga\\p5\\yoga512.jpg", "yoga\\yoga51.wav", "... links an ..."},
    {"Pictures\\Yoga\\p5\\yoga511.jpg", "yoga\\yoga53.wav", "... lösen ..."},
}};
const std::array<Move, 2> kRightKnee{{
    {"Pictures\\yoga\\p5\\yoga522.jpg", "yoga\\yoga52.wav", "... rechts an ..."},
    {"Pictures\\Yoga\\p5\\yoga521.jpg", "yoga\\yoga53.wav", "... lösen ..."},
}};
const std::array<Move, 2> kAbdomen{{
    {"Pictures\\yoga\\p6\\yoga61.jpg", "yoga\\yoga61.wav", "... ausatmen und anspannen  ..."},
    {"Pictures\\Yoga\\p6\\yoga62.jpg", "yoga\\yoga62.wav", "... einatmen und lösen ..."},
}};
const std::array<Move, 2> kLeftFoot{{
    {"Pictures\\yoga\\p7\\yoga712.jpg", "yoga\\yoga7La.wav", "... links an  ..."},
    {"Pictures\\Yoga\\p7\\yoga711.jpg", "yoga\\yoga7ab.wav", "... ab ..."},
}};
const std::array<Move, 2> kRightFoot{{
    {"Pictures\\yoga\\p7\\yoga722.jpg", "yoga\\yoga7Ra.wav", "... rechts an  ..."},
    {"Pictures\\Yoga\\p7\\yoga721.jpg", "yoga\\yoga7ab.wav", "... ab ..."},
}};
const std::array<Move, 2> kShake{{
    {"Pictures\\yoga\\p7\\yoga731.jpg", nullptr, "... Beine ausschütteln  ..."},
    {"Pictures\\Yoga\\p7\\yoga732.jpg", nullptr, "... Beine ausschütteln  ..."},
}};

constexpr const char* kShakeNarration = "yoga\\yoga7Sch.wav";
constexpr const char* kEndNarration = "yoga\\ende.wav";
constexpr std::uint16_t kEndStep = 9;
constexpr int kEndSeconds = 3;

// The passes and the seconds per movement of exercises 1 to 10.
const std::array<std::uint16_t TSettings::*, 10> kPasses{
    &TSettings::Yog1D, &TSettings::Yog2D, &TSettings::Yog3D, &TSettings::Yog4D, &TSettings::Yog5D,
    &TSettings::Yog6D, &TSettings::Yog7D, &TSettings::Yog8D, &TSettings::Yog9D, &TSettings::Yog10D};
const std::array<std::uint16_t TSettings::*, 10> kSeconds{
    &TSettings::Yog1s, &TSettings::Yog2s, &TSettings::Yog3s, &TSettings::Yog4s, &TSettings::Yog5s,
    &TSettings::Yog6s, &TSettings::Yog7s, &TSettings::Yog8s, &TSettings::Yog9s, &TSettings::Yog10s};

// A step of counted movements: it ends when the count exceeds perPass × passes + extra.
struct LoopRow {
    std::uint16_t step;
    int exercise; // 1 .. 10
    Loop kind;
    int perPass;
    int extra;
    std::span<const Move> moves;
    std::span<const Move> backMoves = {}; // the second half of a turning exercise
    const Move* closing = nullptr;        // the last movement, when it differs
    const char* onLeave = nullptr;        // said on the tick the step ends
    std::uint16_t next = 0;
};
const std::array<LoopRow, 15> kLoops{{
    {11, 1, Loop::PictureWithWords, 2, 0, kHands, {}, nullptr, nullptr, 120},
    {12, 2, Loop::Turn, 6, 0, kTurnOut, kTurnIn, nullptr, nullptr, 130},
    {13, 3, Loop::Turn, 6, 0, kRollForward, kRollBack, nullptr, nullptr, 140},
    {141, 4, Loop::Head, 4, 1, kHeadDown, {}, &kHeadMiddle[0], nullptr, 1420},
    {142, 4, Loop::Head, 4, 1, kHeadUpright, {}, &kHeadMiddle[1], nullptr, 1430},
    {143, 4, Loop::Head, 4, 1, kHeadBack, {}, &kHeadMiddle[2], nullptr, 20},
    {2, 5, Loop::Plain, 8, 1, kStraighten1, {}, nullptr, nullptr, 30},
    {3, 6, Loop::Plain, 8, 1, kStraighten2, {}, nullptr, nullptr, 40},
    {4, 7, Loop::Plain, 6, 1, kTwist, {}, nullptr, nullptr, 50},
    {51, 8, Loop::Plain, 2, 0, kLeftKnee, {}, nullptr, nullptr, 502},
    {52, 8, Loop::Plain, 2, 0, kRightKnee, {}, nullptr, nullptr, 60},
    {6, 9, Loop::Plain, 2, 0, kAbdomen, {}, nullptr, nullptr, 70},
    {71, 10, Loop::Plain, 2, 0, kLeftFoot, {}, nullptr, nullptr, 72},
    {72, 10, Loop::Plain, 2, 0, kRightFoot, {}, nullptr, kShakeNarration, 73},
    {73, 10, Loop::Shake, 2, 0, kShake, {}, nullptr, nullptr, 8},
}};

template <typename Table>
auto FindStep(const Table& table, std::uint16_t step) -> decltype(&*table.begin()) {
    auto it =
        std::find_if(table.begin(), table.end(), [&](const auto& r) { return r.step == step; });
    return it == table.end() ? nullptr : &*it;
}

const Move& Movement(const LoopRow& row, std::uint16_t count, bool back, int limit) {
    if (row.closing && count == limit)
        return *row.closing;
    const std::span<const Move> moves = back && !row.backMoves.empty() ? row.backMoves : row.moves;
    return moves[size_t((count - 1) % moves.size())];
}

QString Narration(const char* name) {
    return QString::fromLatin1(name);
}

} // namespace

TFProcYog::TFProcYog(TFMainBoard& board) : board_(board) {
    TimerYoga.onTimer = [this] { TimerYogaTimer(); };
}

void TFProcYog::TimerYogaSetUp() {
    YogStep = 110;
    YogCount = 1;
    YogBack = false;
    YogSaid = false;
    if (board_.Settings().Text == 1)
        board_.PText->show();
    Show(kIntros[0].picture);
    SetSizesYog();
    YogStart = board_.Clock().nowSeconds();
    TimerYoga.setInterval(500);
    TimerYoga.setEnabled(true);
}

void TFProcYog::StopTimer() {
    TimerYoga.setEnabled(false);
    // Between sequences the pictures are let go (the panel is hidden by now); the next run
    // decodes what it shows.
    pictures_.clear();
    board_.IYoga->clear();
}

// The sequencer has no window of its own to lay out: the board places the picture.
void TFProcYog::SetSizesYog() {}

void TFProcYog::Show(const char* picture) {
    board_.LoadPicture(board_.IYoga, QString::fromLatin1(picture), pictures_);
}

void TFProcYog::Enter(std::uint16_t step) {
    YogStep = step;
    YogCount = 1;
    YogBack = false;
    YogSaid = false;
    YogStart = board_.Clock().nowSeconds();
}

void TFProcYog::TimerYogaTimer() {
    YogElapsed = Elapsed(board_.Clock().nowSeconds(), YogStart);

    if (const IntroRow* intro = FindStep(kIntros, YogStep)) {
        if (!YogSaid) {
            SetInstruction(board_, QString::fromUtf8(intro->text));
            board_.HandleSound(Narration(intro->narration));
            YogSaid = true;
            if (intro->picture)
                Show(intro->picture);
        }
        if (YogElapsed >= intro->seconds)
            Enter(intro->next);
        return;
    }

    if (YogStep == kEndStep) {
        if (!YogSaid) {
            board_.HandleSound(Narration(kEndNarration));
            YogSaid = true;
        }
        if (YogElapsed >= kEndSeconds)
            FinishSequence(board_);
        return;
    }

    const LoopRow* row = FindStep(kLoops, YogStep);
    if (!row)
        return; // no sequence runs
    const TSettings& settings = board_.Settings();
    const int passes = settings.*kPasses[size_t(row->exercise - 1)];
    const int seconds = settings.*kSeconds[size_t(row->exercise - 1)];
    const int limit = row->perPass * passes + row->extra;

    if (row->kind == Loop::Shake) {
        const Move& m = Movement(*row, YogCount, false, limit);
        Show(m.picture);
        SetInstruction(board_, QString::fromUtf8(m.text));
        ++YogCount;
        YogSaid = false;
        YogStart = board_.Clock().nowSeconds();
        if (YogCount > limit)
            Enter(row->next);
        return;
    }

    if (row->kind == Loop::Turn) {
        if (YogCount > 3 * passes)
            YogBack = true;
        // Spoken once a turn: the words come back with the turn's first movement.
        if (YogCount % 3 == 0)
            YogSaid = false;
    }
    const Move& m = Movement(*row, YogCount, YogBack, limit);
    if (row->kind != Loop::PictureWithWords)
        Show(!YogSaid && m.flash ? m.flash : m.picture);
    if (!YogSaid && m.narration) {
        SetInstruction(board_, QString::fromUtf8(m.text));
        board_.HandleSound(Narration(m.narration));
        YogSaid = true;
        if (row->kind == Loop::PictureWithWords)
            Show(m.picture);
    }
    if (YogElapsed >= seconds) {
        ++YogCount;
        if (row->kind != Loop::Turn)
            YogSaid = false;
        YogStart = board_.Clock().nowSeconds();
        if (YogCount > limit) {
            if (row->onLeave)
                board_.HandleSound(Narration(row->onLeave));
            Enter(row->next);
        }
    }
}

QStringList TFProcYog::DataFilesUsed() {
    QStringList files;
    auto sound = [&](const char* name) {
        if (name)
            files << QStringLiteral("Sound\\") + QString::fromLatin1(name);
    };
    auto picture = [&](const char* name) {
        if (name)
            files << QString::fromLatin1(name);
    };
    for (const IntroRow& r : kIntros) {
        picture(r.picture);
        sound(r.narration);
    }
    for (const LoopRow& r : kLoops) {
        for (std::span<const Move> moves : {r.moves, r.backMoves})
            for (const Move& m : moves) {
                picture(m.picture);
                picture(m.flash);
                sound(m.narration);
            }
        if (r.closing) {
            picture(r.closing->picture);
            sound(r.closing->narration);
        }
        sound(r.onLeave);
    }
    sound(kEndNarration);
    files.removeDuplicates();
    return files;
}
