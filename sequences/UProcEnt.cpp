#include "sequences/UProcEnt.h"

#include "app/Elapsed.h"
#include "app/UMainBoard.h"
#include "sequences/Countdown.h"

#include <algorithm>

namespace {

struct TimedStepRow {
    std::uint16_t step;
    int seconds;
    const char* narration;
    const char* text;
};
const std::array<TimedStepRow, 4> kTimedSteps{{
    {1, 13, "entsp\\indoc.wav",
     "Wir begeben uns auf eine Phantasiereise: In 10 Schritten wechseln wir von unserem "
     "Arbeitsplatz zu einer angenehm warmen und wunderschönen Abenddämmerung."},
    {3, 4, "entsp\\ents0.wav", "Wir schließen nun die Augen ..."},
    {14, 8, "mantra.wav", "Ich sitze aufrecht, atme tief und bin ganz entspannt !"},
    {15, 7, "entsp\\outdoc.wav",
     "In zehn Schritten kehren wir langsam in die Gegenwart und zu unserem Arbeitsplatz "
     "zurück ..."},
}};

// One batch of samples per tick: numerator/denominator × the region's length, in a rectangle.
struct Batch {
    int numerator, denominator;
    SampleRect rect;
};

struct RegionRow {
    const char* narration;
    const char* text;
    std::uint16_t TSettings::*minutes;
    std::uint16_t TSettings::*seconds;
    Batch first;
    std::optional<Batch> second;
};

const std::array<RegionRow, 10> kRegions{{
    {"entsp\\ents1.wav",
     "... atmen in den linken Fuß ... und Unterschenkel ... und entspannen diese Bereiche ...",
     &TSettings::Ent1m,
     &TSettings::Ent1s,
     {7, 2, {60, 97, 364, 484}},
     {}},
    {"entsp\\ents2.wav",
     "... wir atmen in den linken Oberschenkel ... und in das Gesäß ... und entspannen diese "
     "Bereiche ...",
     &TSettings::Ent2m,
     &TSettings::Ent2s,
     {5, 1, {44, 98, 240, 363}},
     {}},
    {"entsp\\ents3.wav",
     "... wir atmen in den rechten Fuß ... und Unterschenkel ... und entspannen diese Bereiche "
     "...",
     &TSettings::Ent3m,
     &TSettings::Ent3s,
     {7, 2, {97, 135, 364, 484}},
     {}},
    {"entsp\\ents4.wav",
     "... wir atmen in den rechten Oberschenkel ... und in das Gesäß ... und entspannen diese "
     "Bereiche ...",
     &TSettings::Ent4m,
     &TSettings::Ent4s,
     {5, 1, {99, 157, 240, 363}},
     {}},
    {"entsp\\ents5.wav",
     "... wir atmen in den unteren Rücken ... und in den Bauchraum ... unter besonderer "
     "Berücksichtigung der Lendenwirbel ... und entspannen diese Bereiche ...",
     &TSettings::Ent5m,
     &TSettings::Ent5s,
     {7, 4, {45, 158, 207, 239}},
     {}},
    {"entsp\\ents6.wav",
     "... wir atmen in den oberen Rücken ... und in den Brustraum ... beatmen ganz intensiv "
     "unser Herz ... und entspannen diese Bereiche ...",
     &TSettings::Ent6m,
     &TSettings::Ent6s,
     {29, 4, {50, 153, 95, 221}},
     {}},
    {"entsp\\ents7.wav",
     "... wir atmen in den Schultergürtel ... und in den linken Arm ... lassen die Luft vor bis "
     "zu den Fingerspitzen fließen ... und entspannen diese Bereiche ...",
     &TSettings::Ent7m,
     &TSettings::Ent7s,
     {1, 2, {20, 183, 80, 94}},
     Batch{5, 1, {8, 49, 82, 284}}},
    {"entsp\\ents8.wav",
     "... wir atmen in den Schultergürtel ... und in den rechten Arm ... lassen die Luft "
     "ebenfalls vor bis zu die Fingerspitzen fließen ... und entspannen diese Bereiche ...",
     &TSettings::Ent8m,
     &TSettings::Ent8s,
     {1, 2, {50, 153, 80, 94}},
     Batch{5, 1, {154, 195, 82, 284}}},
    {"entsp\\ents9.wav",
     "... wir atmen in den vorderen Hals ... und in den Nacken ... und entspannen diese "
     "Bereiche ...",
     &TSettings::Ent9m,
     &TSettings::Ent9s,
     {3, 4, {75, 134, 59, 79}},
     {}},
    {"entsp\\ents10.wav",
     "... wir atmen in den Kopfraum ... lassen die Luft durch alle Höhlungen fließen ... "
     "entspannen die Gesichtsmuskulatur ... die Augenmuskulatur ... nehmen  uns viel Zeit für "
     "diesen Bereich ... beatmen ganz intensiv unser Gehirn ... und entspannen diese Bereiche "
     "...",
     &TSettings::Ent10m,
     &TSettings::Ent10s,
     {57, 100, {66, 134, 6, 58}},
     {}},
}};

constexpr const char* kBackground = "Pictures\\Entsp\\entsp11.jpg";
constexpr const char* kBody = "Pictures\\Entsp\\body.bmp";
QString KinoPicture(int n) {
    return QStringLiteral("Pictures\\Entsp\\entsp%1.jpg").arg(n);
}

constexpr Journey kJourneyIn{true, 0, 13};
constexpr Journey kJourneyBack{false, 12, 13};

} // namespace

TFProcEnt::TFProcEnt(TFMainBoard& board) : board_(board) {
    TimerEntsp.onTimer = [this] { TimerEntspTimer(); };
}

void TFProcEnt::TimerEntspSetUp() {
    EntStep = 1;
    EntSaid = false;
    board_.PEntsp->hide();
    board_.PEntsp1->hide();
    board_.PKino->show();
    if (board_.Settings().Text == 1)
        board_.PText->show();
    board_.LoadPicture(board_.IEntsp, QString::fromLatin1(kBackground));
    // A fresh body picture: the colour of an earlier run is gone. Its pixels are read and set
    // directly, four bytes each.
    if (board_.LoadPicture(board_.IEntsp1, QString::fromLatin1(kBody)) &&
        board_.IEntsp1->bitmap().format() != QImage::Format_RGB32)
        board_.IEntsp1->setPicture(board_.IEntsp1->bitmap().convertToFormat(QImage::Format_RGB32));
    SetSizesEnt();
    EntStart = board_.Clock().nowSeconds();
    EntKinoPeriod = 2;
    EntSampleX = 104;
    EntSampleY = 40;
    random_.Seed(std::uint64_t(board_.Clock().nowMs()));
    KinoEntSetUp();
    TimerEntsp.setEnabled(true);
}

void TFProcEnt::KinoEntSetUp() {
    std::vector<std::pair<rt::Image*, QString>> pictures;
    for (int n = 1; n <= 11; ++n) {
        board_.IKino[size_t(n)]->hide();
        pictures.emplace_back(board_.IKino[size_t(n)], KinoPicture(n));
    }
    board_.LoadPictures(pictures);
}

void TFProcEnt::SetSizesEnt() {
    const int w = board_.WindowWidth();
    const int h = board_.WindowHeight();
    const QImage& body = board_.IEntsp1->bitmap();
    const int width = RoundEven(body.width() / 1024.0 * w);
    const int height = RoundEven(body.height() / 768.0 * h);
    rt::setBounds(board_.IEntsp1, 0, 0, width, height);
    rt::setBounds(board_.PEntsp1, RoundEven(w * 110 / 1024.0), RoundEven(h * 140 / 768.0), width,
                  height);
}

void TFProcEnt::Leave(std::uint16_t next) {
    EntSaid = false;
    EntStart = board_.Clock().nowSeconds();
    EntStep = next;
}

void TFProcEnt::TimerEntspTimer() {
    EntElapsed = Elapsed(board_.Clock().nowSeconds(), EntStart);
    if (EntStep == 1 || EntStep == 3 || EntStep == 14 || EntStep == 15)
        TimedStep();
    else if (EntStep == 2 || EntStep == 16)
        CountedStep();
    else if (EntStep >= 4 && EntStep <= 13)
        RegionStep();
}

void TFProcEnt::TimedStep() {
    const TimedStepRow& row =
        *std::find_if(kTimedSteps.begin(), kTimedSteps.end(),
                      [this](const TimedStepRow& r) { return r.step == EntStep; });
    if (!EntSaid) {
        EntSaid = true;
        if (EntStep == 1)
            board_.IKino[1]->show();
        if (EntStep == 14) {
            board_.PKino->show();
            board_.PEntsp->hide();
            board_.PEntsp1->hide();
        }
        board_.HandleSound(QString::fromLatin1(row.narration));
        SetInstruction(board_, QString::fromUtf8(row.text));
        if (EntStep == 3) {
            const QImage& body = board_.IEntsp1->bitmap();
            if (body.valid(EntSampleX, EntSampleY))
                EntBodyColour = body.pixel(EntSampleX, EntSampleY);
            else
                EntBodyColour.reset();
        }
    }
    if (EntElapsed >= row.seconds)
        Leave(EntStep + 1);
}

void TFProcEnt::CountedStep() {
    if (!CountTick(board_, EntStep == 2 ? kJourneyIn : kJourneyBack, {EntSaid, EntKino, EntStart},
                   EntElapsed, EntKinoPeriod, "entsp"))
        return;
    if (EntStep == 16) {
        FinishSequence(board_);
        return;
    }
    board_.PEntsp->show();
    board_.PEntsp1->show();
    board_.PKino->hide();
    Leave(3);
}

void TFProcEnt::RegionStep() {
    const RegionRow& region = kRegions[size_t(EntStep - 4)];
    const TSettings& settings = board_.Settings();
    const int d = settings.*region.minutes * 60 + settings.*region.seconds;
    if (!EntSaid) {
        EntSaid = true;
        board_.HandleSound(QString::fromLatin1(region.narration));
        SetInstruction(board_, QString::fromUtf8(region.text));
    }
    if (EntBodyColour) {
        int changed = 0;
        for (const std::optional<Batch>& batch :
             {std::optional<Batch>(region.first), region.second})
            if (batch)
                changed +=
                    ColourSamples(board_.IEntsp1->bitmap(), batch->rect,
                                  RoundedShare(batch->numerator, batch->denominator, d),
                                  *EntBodyColour, EntFillColour, random_, EntSampleX, EntSampleY);
        if (changed > 0)
            board_.IEntsp1->bitmapChanged();
    }
    if (EntElapsed >= d)
        Leave(EntStep + 1);
}

QStringList TFProcEnt::DataFilesUsed() {
    QStringList files{QString::fromLatin1(kBackground), QString::fromLatin1(kBody)};
    for (int n = 1; n <= 11; ++n)
        files << KinoPicture(n);
    for (const TimedStepRow& r : kTimedSteps)
        files << QStringLiteral("Sound\\") + QString::fromLatin1(r.narration);
    for (const RegionRow& r : kRegions)
        files << QStringLiteral("Sound\\") + QString::fromLatin1(r.narration);
    files << CountedNarrations("entsp");
    files.removeDuplicates();
    return files;
}

std::vector<SampleRect> TFProcEnt::SampleRects() {
    std::vector<SampleRect> rects;
    for (const RegionRow& r : kRegions) {
        rects.push_back(r.first.rect);
        if (r.second)
            rects.push_back(r.second->rect);
    }
    return rects;
}
