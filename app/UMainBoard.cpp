#include "app/UMainBoard.h"

#include "app/BoardAccess.h"
#include "app/Elapsed.h"
#include "app/LaterStrip.h"
#include "app/PromptArrow.h"
#include "runtime/Accessibility.h"
#include "runtime/Pictures.h"
#include "runtime/ProgramTexts.h"

#include <QPixmap>

#include <vector>

namespace {

const QColor kSilver(0xc0, 0xc0, 0xc0);

// The hover hints of the button bar: text, width and where the box goes relative to the bar's
// left edge L. A box that would leave the board on the left gets a fixed place instead.
struct HintRow {
    const char* text;
    int width;
    int offset;      // left edge = L + offset
    int guardOffset; // when L + guardOffset < 0 ...
    int fixedLeft;   // ... the left edge is this; guardOffset 1 means "no guard"
};
constexpr int kNoGuard = 1;
const std::array<HintRow, 11> kHints{{
    {"", 0, 0, kNoGuard, 0}, // kind 0: not a button
    {" Atemübungen ", 106, -72, -74, 5},
    {" Körperübungen ", 116, -50, -54, 35},
    {" Augenübungen ", 114, -16, -24, 65},
    {" Entspannungsübungen ", 168, -36, -50, 95},
    {" Größe: Maxi/Midi/Mini ", 162, 2, kNoGuard, 0},
    {" Zeitschaltuhr ", 100, 98, kNoGuard, 0},
    {" Hilfe ", 44, 188, kNoGuard, 0},
    {" Menü für Einstellungen ", 166, 96, kNoGuard, 0},
    {" Impressum ", 86, 210, kNoGuard, 0},
    {" Zurück/Beenden ", 125, 204, kNoGuard, 0},
}};

// Every file the board itself loads.
constexpr const char* kSunset = "Pictures\\Start\\sunset.jpg";
constexpr const char* kCloseIcon = "Pictures\\Icons\\close.bmp";
constexpr const char* kBackIcon = "Pictures\\Icons\\zuruck.bmp";
constexpr const char* kClockIcon = "Pictures\\Icons\\uhr.bmp";
constexpr const char* kClockOnIcon = "Pictures\\Icons\\uhr2.bmp";
constexpr const char* kNoiseSound = "start\\noise.wav";
constexpr const char* kWaveSound = "start\\wave.wav";
constexpr const char* kGongSound = "gong.wav";
constexpr const char* kMantraSound = "mantra.wav";
QString StartPicture(int n) {
    return QStringLiteral("Pictures\\Start\\start%1.jpg").arg(n);
}

const std::array<const char*, 4> kNormalIcons{
    "Pictures\\Icons\\lunge.bmp", "Pictures\\Icons\\yoga.bmp", "Pictures\\Icons\\augen.bmp",
    "Pictures\\Icons\\entsp.bmp"};
const std::array<const char*, 4> kSuggestedIcons{
    "Pictures\\Icons\\lunge2.bmp", "Pictures\\Icons\\yoga2.bmp", "Pictures\\Icons\\augen2.bmp",
    "Pictures\\Icons\\entsp2.bmp"};

} // namespace

TFMainBoard::TFMainBoard(BoardContext context)
    : ctx_(context), ahead_(ctx_.files, ctx_.pictureWorker) {
    Q_INIT_RESOURCE(design); // the window's own pictures, linked in from a static library
    ahead_.onReady = [this](const QString& programPath) { PictureReady(programPath); };
    CreateControls();
    if (ctx_.screens)
        ctx_.screens->Changed = [this] { MonitorsChanged(); };
    TimerStart.onTimer = [this] { TimerStartTimer(); };
    TimerTrain.onTimer = [this] { TimerTrainTimer(); };
    TimerDog.onTimer = [this] { TimerDogTimer(); };
}

TFMainBoard::~TFMainBoard() {
    if (ctx_.screens)
        ctx_.screens->Changed = nullptr;
    delete Form;
}

QString TFMainBoard::Caption(const char* title) const {
    return QString::fromUtf8(title) + QLatin1String(rt::kCaptionSuffix);
}

void TFMainBoard::AttachSequencer(SequencerIndex index, Sequencer* sequencer) {
    sequencers_[index] = sequencer;
    SequencerReady[index] = sequencer != nullptr;
}

// ---------------------------------------------------------------- controls

void TFMainBoard::CreateControls() {
    Form = new rt::Form;
    Form->setColor(Qt::black);
    Form->setCaption(Caption("Quillet"));
    Form->onGeometry = [this] { PlaceBar(); };
    // A frame taller than the thin one the small window's size is reckoned with grows the window:
    // its client area always holds the whole bar.
    Form->setMinimumClientSize(QSize(kBarWidth, kBarHeight));
    // The prompt comes without the keyboard; whoever turns to it finds the suggestion there.
    Form->onActivated = [this] {
        if (TrainPromptShown() && SuggestionShown == 1 && LastSequence >= 1 && LastSequence <= 4)
            rt::showFocus(std::array{SBAtmen, SBYoga, SBAugen, SBEntsp}[LastSequence - 1u]);
    };

    auto image = [](QWidget* parent) {
        auto* i = new rt::Image(parent);
        i->hide();
        return i;
    };
    auto panel = [](QWidget* parent, const QColor& color) {
        auto* p = new rt::Panel(parent, color);
        p->hide();
        return p;
    };

    // Created bottom to top: later controls lie above earlier ones.
    for (int n = 1; n <= 12; ++n)
        IStart[n] = image(Form);

    PAtmen = panel(Form, Qt::black);
    IAtmen = image(PAtmen);
    IAtmen->show();
    IAtmen->onMousePress = [] {}; // a press on the breathing picture does nothing
    IAtmen1 = image(PAtmen);
    IAtmen1->setTransparent(true);
    PColors = panel(PAtmen, kSilver);
    IColors = image(PColors);
    IColors->show();
    PBlende = panel(PColors, Qt::red);
    PBlende->show();

    PYoga = panel(Form, Qt::black);
    IYoga = image(PYoga);
    IYoga->show();
    PAugen = panel(Form, Qt::black);
    IAugen = image(PAugen);
    IAugen->show();
    PEntsp = panel(Form, Qt::black);
    IEntsp = image(PEntsp);
    IEntsp->show();
    PEntsp1 = panel(PEntsp, Qt::black);
    IEntsp1 = image(PEntsp1);
    IEntsp1->show();

    PKino = panel(Form, Qt::black);
    PKino->setCaption(QStringLiteral("Loading ..."), Qt::red, rt::pixelFont(32, true));
    for (int n = 1; n <= 11; ++n)
        IKino[n] = image(PKino);

    // Pictures that belong to the window itself.
    // The prompts' pictures are decoded when a prompt first comes, not on every start.
    ImageTrain = image(Form);
    TrainArrow = new PromptArrow(ImageTrain);
    TrainArrow->pointAt(nullptr);
    ImageDog = image(Form);
    PLater = new LaterStrip(Form);
    PLater->onLater = [this] { SBLaterClick(); };

    PText = panel(Form, kSilver);
    PText->resize(334, 87);
    MemoText = new rt::TextArea(PText);
    MemoText->setAnnounced(true);
    rt::setBounds(MemoText, 2, 2, 329, 82);
    MemoText->setFont(rt::pixelFont(11));
    rt::setColors(MemoText, {{QPalette::Base, kSilver}, {QPalette::Text, Qt::black}});

    Memo0 = new rt::HintBox(Form);
    Memo0->hide();
    Memo0->setFont(rt::pixelFont(13, true));
    rt::setColors(Memo0, {{QPalette::Window, Qt::yellow}, {QPalette::WindowText, Qt::black}});
    Memo0->resize(100, 20);
    Memo0->setCursor(Qt::ForbiddenCursor);

    CreateButtonBar();

    LStart = new QLabel(QStringLiteral("Loading ..."), Form);
    LStart->setFont(rt::pixelFont(32, true));
    rt::setColors(LStart, {{QPalette::WindowText, Qt::red}});
    LStart->adjustSize();

    // Moving the pointer over a large picture hides the hint.
    for (rt::Image* i : {IStart[11], IAtmen, IYoga, IAugen, IEntsp})
        i->onMouseMove = [this] { HideHint(); };

    SBAtmen->onClick = [this] { SBAtmenClick(); };
    SBYoga->onClick = [this] { SBYogaClick(); };
    SBAugen->onClick = [this] { SBAugenClick(); };
    SBEntsp->onClick = [this] { SBEntspClick(); };
    SBSize->onClick = [this] { SBSizeClick(); };
    SBWecker->onClick = [this] { SBWeckerClick(); };
    SBHilfe->onClick = [this] { SBHilfeClick(); };
    SBMenue->onClick = [this] { SBMenueClick(); };
    SBImpres->onClick = [this] { SBImpresClick(); };
    SBClose->onClick = [this] { SBCloseClick(); };
    DescribeBoard(*this);
    Form->onKey = [this](int key) { return BoardKey(*this, key); };
}

void TFMainBoard::CreateButtonBar() {
    PSButtons = new rt::Panel(Form, kSilver);
    PSButtons->resize(kBarWidth, kBarHeight);
    PSButtons->setCursor(Qt::PointingHandCursor);
    PSButtons->onMouseMove = [this] { HideHint(); };
    PSButtons->hide();

    struct ButtonPlace {
        rt::SpeedButton** button;
        int left;
        const char* designIcon; // glyph of the window design, or null
    };
    const std::array<ButtonPlace, 10> places{{
        {&SBAtmen, 4, nullptr},
        {&SBYoga, 37, nullptr},
        {&SBAugen, 70, nullptr},
        {&SBEntsp, 103, nullptr},
        {&SBSize, 136, ":/design/size.png"},
        {&SBWecker, 169, ":/design/uhr_design.png"},
        {&SBHilfe, 202, ":/design/hilfe.png"},
        {&SBMenue, 235, ":/design/menue.png"},
        {&SBImpres, 268, ":/design/impres.png"},
        {&SBClose, 301, nullptr},
    }};
    std::uint8_t kind = 1;
    for (const ButtonPlace& p : places) {
        auto* b = new rt::SpeedButton(PSButtons);
        rt::setBounds(b, p.left, 5, 30, 30);
        if (p.designIcon)
            b->setGlyphPixmap(rt::designGlyph(QString::fromLatin1(p.designIcon)));
        b->onMouseMove = [this, kind] { HandleMemo(kind); };
        *p.button = b;
        ++kind;
    }
}

// The bar keeps to the bottom right corner of the board's client area, two pixels from the
// right edge; a window no wider than the bar shows the bar from its left end.
void TFMainBoard::PlaceBar() {
    if (!PSButtons)
        return;
    const int cw = Form->clientWidth();
    const int ch = Form->clientHeight();
    int left = cw - kBarWidth - 2;
    if (left < 0)
        left = std::min(0, cw - kBarWidth);
    const bool strip = !PLater->isHidden() && (TrainPromptShown() || DogPromptShown());
    PSButtons->move(left, ch - kBarHeight - (strip ? LaterStrip::kHeight : 0));
}

// ---------------------------------------------------------------- start-up

void TFMainBoard::FormCreate() {
    ctx_.daten.WindowsDir = UDaten::userConfigDir();

    ScreenWidth = std::uint16_t(ctx_.screenWidth);
    ScreenHeight = std::uint16_t(ctx_.screenHeight + 1);
    FollowMonitor(QRect()); // the primary monitor

    ToFullScreen();
    SizeMode = Maxi;

    LStart->move(RoundEven((WindowWidth() - LStart->width()) / 2.0),
                 RoundEven((WindowHeight() - LStart->height()) / 2.0));

    MiniTop = ScreenTop + RoundEven((WindowHeight() - kBarHeight) / 2.0);
    MiniLeft = ScreenLeft + RoundEven((WindowWidth() - kBarWidth) / 2.0);

    ImageDog->move(0, 0);
    ImageTrain->move(0, 0);

    TimeSwitchOn = 0;
    LastSequence = 0;
    StartStep = 0;
    SuggestionShown = 0;
    SoundPlaying = 0;
    CloseQuits = 1;

    SetSizes();

    ctx_.daten.LocateSettingsFile();
    Starten(13);
}

void TFMainBoard::Starten(std::uint8_t code) {
    if (code == 13) {
        Starten(14);
        return;
    }
    if (code != 14)
        return;

    ctx_.daten.LoadSettings();
    HandlePanels(Panel::Idle);

    if (Settings().DSTimer || ctx_.quickStart) {
        // Quick start: no intro, the time switch is on.
        IStart[1]->hide();
        LStart->hide();
        // Three rows of the sunset show in the small window: they come a moment after its
        // first frame, decoded meanwhile.
        Form->afterFirstFrame([this] {
            if (IStart[11]->isEmpty())
                ShowAhead(IStart[11], QString::fromLatin1(kSunset));
        });
        IStart[11]->show();
        CentreOnScreen();
        TimeSwitchOn = 1;
        HandleButtons(Buttons::ClockOn);
        CentreOnScreen();
        T1SetUp();
        T2SetUp();
        return;
    }

    ToFullScreen();
    PSButtons->hide();
    Form->setFrame(rt::Form::Border::None, true);
    StartStepBegin = NowSeconds();
    StartStepSeconds = 2;
    // The first frame shows "Loading ...". The sound starts right after it, and the first
    // picture, needed two seconds later, is decoded then: neither keeps the window from showing.
    Form->afterFirstFrame([this] {
        if (StartStep < 2)
            HandleSound(QString::fromLatin1(kNoiseSound));
        if (StartStep < 1)
            ahead_.request(StartPicture(1));
    });
    TimerStart.setEnabled(true);
}

void TFMainBoard::TimerStartTimer() {
    const std::int32_t elapsed = Elapsed(NowSeconds(), StartStepBegin);
    if (elapsed < StartStepSeconds)
        return;

    // Each frame is shown from the pictures decoded ahead, and the next one is asked for; a
    // frame that can never be shown again is let go at once.
    ++StartStep;
    if (StartStep >= 1 && StartStep <= 11) {
        const int n = StartStep;
        ShowAhead(IStart[n], StartPicture(n));
        IStart[n]->show();
        if (n == 1) {
            LStart->hide();
        } else {
            IStart[n - 1]->hide();
            DropAhead(StartPicture(n - 1));
            IStart[n - 1]->clear();
        }
        if (n == 10)
            HandleSound(QString::fromLatin1(kWaveSound));
        if (n < 11) {
            ahead_.request(StartPicture(n + 1));
        } else {
            ahead_.request(QString::fromLatin1(kSunset));
            if (Settings().HelpFirst == 1)
                ahead_.request(StartPicture(12));
        }
    }

    if (StartStep > 13) {
        TimerStart.setEnabled(false);
        SetSizes();
        // The last frame stays until the sunset is there to replace it.
        DropAhead(StartPicture(11));
        ShowAhead(IStart[11], QString::fromLatin1(kSunset));
        PSButtons->show();
        if (Settings().HelpFirst == 1) {
            ShowAhead(IStart[12], StartPicture(12));
            IStart[12]->show();
        }
    }
    StartStepBegin = NowSeconds();
}

// Puts a picture decoded ahead into its control, or, while it is still being decoded, as soon as
// it is ready. The clock never waits for it.
void TFMainBoard::ShowAhead(rt::Image* image, const QString& programPath) {
    aheadFor_.insert(programPath, image);
    ahead_.request(programPath); // in case it was not asked for in time
    PictureReady(programPath);
}

// A picture no control waits for any more.
void TFMainBoard::DropAhead(const QString& programPath) {
    aheadFor_.remove(programPath);
    ahead_.drop(programPath);
}

void TFMainBoard::PictureReady(const QString& programPath) {
    const auto it = aheadFor_.find(programPath);
    if (it == aheadFor_.end())
        return; // ready ahead of its step; the step takes it
    std::optional<rt::Picture> picture = ahead_.take(programPath);
    if (!picture)
        return; // still being decoded
    rt::Image* image = it.value();
    aheadFor_.erase(it);
    if (picture->ok())
        image->setPicture(std::move(picture->image), programPath);
    else
        ctx_.report.report(picture->error);
    if (image == IStart[11])
        FitSunset();
}

// ---------------------------------------------------------------- layout

// ScreenHeight is one pixel more than the screen; the window itself keeps to the screen, so that
// nothing of the full-screen board or of a prompt in a corner hangs below its edge.
int TFMainBoard::ScreenBottom() const {
    return ScreenHeight - 1;
}

void TFMainBoard::CentreOnScreen() {
    Form->centreOn(QRect(ScreenLeft, ScreenTop, ScreenWidth, ScreenBottom()));
}

void TFMainBoard::ToFullScreen() {
    Form->setBounds(ScreenLeft, ScreenTop, ScreenWidth, ScreenBottom());
}

// On a desk with several monitors the board grows, shrinks and prompts on the monitor it is on
// (where the user dragged it); a single screen lies at 0,0.
void TFMainBoard::FollowMonitor(const QRect& window) {
    if (!ctx_.screens)
        return;
    const QRect m = ctx_.screens->MonitorOf(window);
    if (m.isEmpty())
        return;
    ScreenLeft = m.x();
    ScreenTop = m.y();
    ScreenWidth = std::uint16_t(m.width());
    ScreenHeight = std::uint16_t(m.height() + 1);
}

QRect TFMainBoard::WindowRect() const {
    return {Form->left(), Form->top(), WindowWidth(), WindowHeight()};
}

QRect TFMainBoard::Monitor() {
    FollowMonitor(WindowRect());
    return {ScreenLeft, ScreenTop, ScreenWidth, ScreenBottom()};
}

void TFMainBoard::MonitorsChanged() {
    FollowMonitor(WindowRect());
    if (SizeMode == Maxi && Form->border() == rt::Form::Border::None) {
        ToFullScreen();
        SetSizes();
        return;
    }
    KeepOnScreen(Form->left(), Form->top());
    // The next prompt comes where the small window is now.
    if (SizeMode == Mini)
        RememberSmallWindowPlace();
}

void TFMainBoard::HandleSize() {
    FollowMonitor(WindowRect());
    switch (SizeMode) {
    case Maxi:
        Form->setFrame(rt::Form::Border::Dialog, false);
        Form->setOuterSize(RoundEven(ScreenWidth * 0.85), RoundEven(ScreenHeight * 0.85));
        CentreOnScreen();
        SizeMode = Midi;
        break;
    case Midi:
        Form->setFrame(rt::Form::Border::Dialog, false);
        Form->setOuterSize(kBarWidth + 2, kBarHeight + 24);
        TopHeightMini();
        SizeMode = Mini;
        break;
    case Mini:
        Form->setFrame(rt::Form::Border::None, true);
        ToFullScreen();
        SizeMode = Maxi;
        break;
    default:
        break;
    }
    SetSizes();
}

void TFMainBoard::TopHeightMini() {
    int top, left;
    if (TimeSwitchOn == 1) {
        top = MiniTop;
        left = MiniLeft;
        FollowMonitor(QRect(left, top, WindowWidth(), WindowHeight()));
    } else {
        FollowMonitor(WindowRect());
        CentreOnScreen();
        top = Form->top();
        left = Form->left();
    }
    KeepOnScreen(left, top);
}

// Bottom and right edges first, then top and left: a window larger than the monitor ends at its
// top left corner.
void TFMainBoard::KeepOnScreen(int left, int top) {
    const int bottom = ScreenTop + ScreenBottom();
    const int right = ScreenLeft + ScreenWidth;
    if (bottom - WindowHeight() < top)
        top = bottom - WindowHeight();
    if (top < ScreenTop)
        top = ScreenTop;
    if (right - WindowWidth() < left)
        left = right - WindowWidth();
    if (left < ScreenLeft)
        left = ScreenLeft;
    Form->setBounds(left, top, WindowWidth(), WindowHeight());
}

void TFMainBoard::SetSizes() {
    const int w = WindowWidth();
    const int h = WindowHeight();
    PText->move(PSButtons->x(), PSButtons->y() - PText->height());
    for (int n = 1; n <= 11; ++n)
        rt::setBounds(IStart[n], 0, 0, w, h);
    rt::setBounds(IStart[12], 0, RoundEven(h * 0.4765625), w, RoundEven(h * 139.0 / 768.0));
    rt::setBounds(PKino, 0, 0, w, h);
    for (int n = 1; n <= 11; ++n)
        rt::setBounds(IKino[n], 0, 0, w, h);
    for (QWidget* c : std::initializer_list<QWidget*>{PAtmen, IAtmen, PAugen, IAugen, PYoga, IYoga,
                                                      PEntsp, IEntsp})
        rt::setBounds(c, 0, 0, w, h);
    for (int i = SeqAtm; i <= SeqEnt; ++i)
        if (SequencerReady[size_t(i)])
            sequencers_[size_t(i)]->SetSizes();
    FitSunset();
}

// A window less than half the sunset's size (the small window, a prompt) holds the sunset only
// at the size it shows it: the small window waits for hours with three rows of it on screen. The
// whole picture is decoded again, ahead, when the board grows.
void TFMainBoard::FitSunset() {
    rt::Image* sunset = IStart[11];
    if (sunset->isEmpty() || sunset->pictureName() != QLatin1String(kSunset))
        return;
    const QSize held = sunset->bitmap().size();
    const QSize shown = sunset->shownSize(); // in the screen's pixels
    if (!sunset->reduced()) {
        if (shown.width() * 2 <= held.width() && shown.height() * 2 <= held.height())
            sunset->keepAtShownSize();
    } else if (shown.width() > held.width() || shown.height() > held.height()) {
        ShowAhead(sunset, QString::fromLatin1(kSunset));
    }
}

void TFMainBoard::HandlePanels(std::uint8_t kind) {
    Form->setCaption(Caption("Quillet"));
    for (QWidget* c : std::initializer_list<QWidget*>{PAtmen, PYoga, PAugen, PEntsp, PKino, PText,
                                                      Memo0, PLater})
        c->hide();
    PSButtons->show();
    HandleButtons(Buttons::Normal);
    ImageDog->hide();
    ImageTrain->hide();
    EndRun(false);
    ClosePrompts(Record::Outcome::Ignored, false);
    TimerTrain.setEnabled(false);
    TimerDog.setEnabled(false);
    for (int i = SeqAtm; i <= SeqEnt; ++i)
        if (SequencerReady[size_t(i)])
            sequencers_[size_t(i)]->StopTimer();
    HandleSound(QStringLiteral("stop"));

    if (kind >= Panel::Breathing && kind <= Panel::Relaxation) {
        // The sequences' display states lie in the order of the sequencers.
        const auto sequencer = SequencerIndex(kind - Panel::Breathing);
        Form->setCaption(Caption(rt::kSequenceNames[sequencer]));
        rt::Panel* panels[] = {PAtmen, PYoga, PAugen, nullptr}; // relaxation shows its own
        if (panels[kind - Panel::Breathing])
            panels[kind - Panel::Breathing]->show();
        HandleButtons(Buttons::CloseGoesBack);
        LastSequence = std::uint8_t(kind - 1);
        runSequence_ = sequencer;
        if (record_)
            record_->SequenceStarted(sequencer, runFromPrompt_);
        runFromPrompt_ = false;
        if (SequencerReady[sequencer])
            sequencers_[sequencer]->SetUp();
    } else if (kind == Panel::TrainPrompt) {
        const int w = kBarWidth - 2;
        const int h = RoundEven(kBarWidth / 2.0);
        Form->setFrame(rt::Form::Border::None, true);
        Form->setOuterSize(w, h + LaterStrip::kHeight);
        rt::setBounds(ImageTrain, 0, 0, w, h - 36);
        TopHeightMini();
        ShowPrompt(Record::Prompt::Training);
        ShowLater(Record::Prompt::Training, h);
        if (ImageTrain->isEmpty())
            ImageTrain->setPicture(rt::designPicture(QStringLiteral(":/design/train.png")));
        ImageTrain->show();
        HandleButtons(Buttons::CloseGoesBack);
        HandleSound(QString::fromLatin1(kGongSound));
    } else if (kind == Panel::DogPrompt) {
        const int w = kBarWidth;
        const int h = RoundEven(kBarWidth / 2.0);
        Form->setFrame(rt::Form::Border::None, true);
        Form->setOuterSize(w, h + LaterStrip::kHeight);
        rt::setBounds(ImageDog, 0, 0, w, h);
        TopHeightMini();
        ShowPrompt(Record::Prompt::Watchdog);
        // The bar goes first: the keys leave its buttons for no control, not for "Später".
        PSButtons->hide();
        ShowLater(Record::Prompt::Watchdog, h);
        if (ImageDog->isEmpty())
            ImageDog->setPicture(rt::designPicture(QStringLiteral(":/design/dog.png")));
        ImageDog->show();
        rt::announce(Form, ImageDog->accessibleName() + QStringLiteral(". ") +
                               ImageDog->accessibleDescription());
        HandleSound(QString::fromLatin1(kMantraSound));
    }
    // The keys stay with a button that shows (none while the watchdog's picture is up).
    Form->keepFocus();
}

void TFMainBoard::SetGlyph(rt::SpeedButton* button, const QString& programPath) {
    if (const QString name = GlyphAccessibleName(programPath); !name.isEmpty())
        button->setAccessibleName(name);
    auto it = icons_.constFind(programPath);
    if (it == icons_.constEnd()) {
        rt::Picture p = rt::loadPicture(ctx_.files, programPath);
        if (!p.ok()) {
            ctx_.report.report(p.error);
            return;
        }
        it = icons_.insert(programPath, p.image);
    }
    // On a scaled screen the same glyph, drawn at twice the resolution (the file's name, say
    // "lunge2" of "Pictures\Icons\lunge2.bmp").
    const QString name = programPath.section(QLatin1Char('\\'), -1).section(QLatin1Char('.'), 0, 0);
    if (QPixmap sharp = rt::sharpGlyph(name); !sharp.isNull())
        button->setGlyphPixmap(sharp);
    else
        button->setGlyph(*it);
    button->setGlyphName(programPath);
}

void TFMainBoard::HandleButtons(std::uint8_t code) {
    if (StateChanged)
        StateChanged();
    rt::SpeedButton* sequenceButtons[] = {SBAtmen, SBYoga, SBAugen, SBEntsp};
    switch (code) {
    case Buttons::Normal:
        for (int i = 0; i < 4; ++i)
            SetGlyph(sequenceButtons[i], QString::fromLatin1(kNormalIcons[size_t(i)]));
        SBSize->setFlat(false);
        SBSize->setEnabled(true);
        SetGlyph(SBClose, QString::fromLatin1(kCloseIcon));
        CloseQuits = 1;
        break;
    case 1:
    case 2:
    case 3:
    case 4:
        if (SuggestionShown == 1) {
            SetGlyph(sequenceButtons[code - 1], QString::fromLatin1(kSuggestedIcons[code - 1]));
            TrainArrow->pointAt(TrainPromptShown() ? sequenceButtons[code - 1] : nullptr);
        }
        break;
    case Buttons::SizeLocked:
        SBSize->setFlat(true);
        SBSize->setEnabled(false);
        break;
    case Buttons::CloseGoesBack:
        SetGlyph(SBClose, QString::fromLatin1(kBackIcon));
        CloseQuits = 0;
        break;
    case Buttons::CloseEnds:
        SetGlyph(SBClose, QString::fromLatin1(kCloseIcon));
        CloseQuits = 1;
        break;
    case Buttons::ClockOn:
        SetGlyph(SBWecker, QString::fromLatin1(kClockOnIcon));
        SBWecker->setFlat(true);
        break;
    case Buttons::ClockOff:
        SetGlyph(SBWecker, QString::fromLatin1(kClockIcon));
        SBWecker->setFlat(false);
        break;
    default:
        break;
    }
}

bool TFMainBoard::LoadPicture(rt::Image* image, const QString& programPath) {
    rt::Picture p = rt::loadPicture(ctx_.files, programPath);
    if (!p.ok()) {
        image->clear();
        ctx_.report.report(p.error);
        return false;
    }
    image->setPicture(std::move(p.image), programPath);
    return true;
}

bool TFMainBoard::LoadPicture(rt::Image* image, const QString& programPath,
                              rt::PictureCache& cache) {
    bool decoded = false;
    const rt::Picture& p = cache.get(ctx_.files, programPath, &decoded);
    if (!p.ok()) {
        image->clear();
        if (decoded) // told when it was found missing, not on every tick that shows it
            ctx_.report.report(p.error);
        return false;
    }
    image->setPicture(p.image, programPath);
    return true;
}

void TFMainBoard::LoadPictures(const std::vector<std::pair<rt::Image*, QString>>& pictures) {
    std::vector<QString> paths;
    paths.reserve(pictures.size());
    for (const auto& p : pictures)
        paths.push_back(p.second);
    std::vector<rt::Picture> loaded = rt::loadPictures(ctx_.files, paths);
    for (size_t i = 0; i < pictures.size(); ++i) {
        if (loaded[i].ok()) {
            pictures[i].first->setPicture(std::move(loaded[i].image), pictures[i].second);
        } else {
            pictures[i].first->clear();
            ctx_.report.report(loaded[i].error);
        }
    }
}

// ---------------------------------------------------------------- narration and text

void TFMainBoard::HandleSound(const QString& name) {
    if (Settings().Sound == 0)
        return;
    if (name == QLatin1String("stop")) {
        if (SoundPlaying == 1)
            ctx_.player.stop();
        SoundPlaying = 0;
        return;
    }
    const QString programPath = QStringLiteral("Sound\\") + name;
    const QString path = ctx_.files.resolve(programPath);
    if (path.isEmpty()) {
        // Counts as played: the caller goes on, silent. Like any new narration it cuts off the
        // one still playing, which belongs to an earlier step.
        if (SoundPlaying == 1)
            ctx_.player.stop();
        SoundPlaying = 0;
        ctx_.report.report(QStringLiteral("Die Tondatei „%1“ wurde nicht gefunden.")
                               .arg(ctx_.files.describe(programPath)));
        return;
    }
    // A narration that cannot be started has cut off the one before it all the same.
    SoundPlaying = ctx_.player.play(path) ? 1 : 0;
}

void TFMainBoard::HandleMemo(std::uint8_t kind) {
    Memo0->move(Memo0->x(), PSButtons->y() - 35);
    if (Memo0->isHidden() && kind >= 1 && kind < kHints.size()) {
        const HintRow& row = kHints[kind];
        const int l = PSButtons->x();
        int left = l + row.offset;
        if (row.guardOffset != kNoGuard && l + row.guardOffset < 0)
            left = row.fixedLeft;
        rt::setBounds(Memo0, left, PSButtons->y() - 35, row.width, 20);
        Memo0->setFont(rt::pixelFont(13, true));
        Memo0->setFittingText(QString::fromUtf8(row.text));
    }
    Memo0->show();
    Memo0->raise();
    Memo0->setCursor(Qt::ForbiddenCursor);
}

void TFMainBoard::HideHint() {
    Memo0->hide();
}

// ---------------------------------------------------------------- training reminder and watchdog

void TFMainBoard::T1SetUp() {
    if (StateChanged)
        StateChanged();
    const TSettings& s = Settings();
    TrainLabel = QStringLiteral("Training: Inaktiv");
    TrainBegin = NowSeconds();
    TrainSpan = TrainPromptShown() ? s.mSTr * 60 + s.sSTr : s.h1 * 3600 + s.m1 * 60 + s.s1;
    if (!TrainPromptShown())
        postponed_[0] = 0;         // the countdown starts afresh: no prompt put off any more
    if (promptState_[0] == Held) { // the countdown starts afresh before the prompt came
        promptState_[0] = None;
        if (record_)
            record_->PromptClosed(Record::Prompt::Training, Record::Outcome::Dropped);
    }
    if (s.T1On != 1)
        return;
    if (!TrainPromptShown()) {
        SizeMode = Midi;
        HandleSize();
    }
    HandleButtons(Buttons::SizeLocked);
    if (RemindersPaused()) {
        Form->setCaption(PauseCaption);
        return;
    }
    TimerTrain.setEnabled(true);
}

void TFMainBoard::T2SetUp() {
    if (StateChanged)
        StateChanged();
    const TSettings& s = Settings();
    DogLabel = QStringLiteral("     Wachhund: Inaktiv");
    DogBegin = NowSeconds();
    DogSpan = DogPromptShown() ? s.mS * 60 + s.sS : s.h2 * 3600 + s.m2 * 60 + s.s2;
    if (!DogPromptShown())
        postponed_[1] = 0;
    if (promptState_[1] == Held) {
        promptState_[1] = None;
        if (record_)
            record_->PromptClosed(Record::Prompt::Watchdog, Record::Outcome::Dropped);
    }
    if (s.T2On != 1)
        return;
    if (!DogPromptShown()) {
        SizeMode = Midi;
        HandleSize();
    }
    HandleButtons(Buttons::SizeLocked);
    if (RemindersPaused()) {
        Form->setCaption(PauseCaption);
        return;
    }
    TimerDog.setEnabled(true);
}

void TFMainBoard::RememberSmallWindowPlace() {
    MiniTop = Form->top();
    MiniLeft = Form->left();
}

// Hours, minutes and seconds, truncated toward zero, without leading zeros: "0:9:5", and a
// negative last field when a tick came late ("0:0:-1").
QString TFMainBoard::CountdownText(std::int32_t r) const {
    const std::int32_t hours = r / 3600;
    const std::int32_t minutes = (r - hours * 3600) / 60;
    const std::int32_t seconds = r - hours * 3600 - minutes * 60;
    return QStringLiteral("%1:%2:%3").arg(hours).arg(minutes).arg(seconds);
}

// Whether the board waits between prompts (counting down or showing one): not in a sequence, the
// intro or the settings.
bool TFMainBoard::Waiting() const {
    return TimerTrain.enabled() || TimerDog.enabled();
}

// A prompt that falls due waits while the user is away on a natural break or the desktop asks
// not to be interrupted; the countdown's tick asks again each second. Whether the user is on a
// break is asked on every tick, due or not, so that a sleep is noticed when the machine wakes.
bool TFMainBoard::PromptWaits(bool due) {
    if (!presence_)
        return false;
    const bool onBreak = presence_->OnBreak();
    return due && (onBreak || presence_->HoldsPrompts());
}

void TFMainBoard::AttachPresence(Presence* presence) {
    if (presence_)
        presence_->BreakEnded = nullptr;
    presence_ = presence;
    if (presence_)
        presence_->BreakEnded = [this] { BreakEnded(); };
}

void TFMainBoard::BreakEnded() {
    if (record_)
        record_->NaturalBreak(presence_ ? presence_->LastBreakMs() : 0);
    if (TimeSwitchOn != 1 || RemindersPaused() || !Waiting())
        return;
    ClosePrompts(Record::Outcome::Dropped, true);
    HandlePanels(Panel::Idle);
    SizeMode = Midi;
    HandleSize();
    T1SetUp();
    T2SetUp();
}

void TFMainBoard::PauseReminders(const QString& caption) {
    if (record_ && !RemindersPaused())
        record_->Paused(true);
    PauseCaption = caption;
    if (TimeSwitchOn != 1)
        return;
    if (Waiting()) {
        ClosePrompts(Record::Outcome::Dropped, true);
        HandlePanels(Panel::Idle);
        SizeMode = Midi;
        HandleSize();
        T1SetUp();
        T2SetUp();
    } else if (SizeMode == Mini) {
        Form->setCaption(PauseCaption);
    }
}

void TFMainBoard::ResumeReminders() {
    if (!RemindersPaused())
        return;
    PauseCaption.clear();
    if (record_)
        record_->Paused(false);
    // Waiting in the small window: the countdowns start afresh. A sequence still running starts
    // them when it ends.
    if (TimeSwitchOn == 1 && SizeMode == Mini && !Waiting()) {
        Form->setCaption(Caption("Quillet"));
        T1SetUp();
        T2SetUp();
    }
}

void TFMainBoard::TimerTrainTimer() {
    RememberSmallWindowPlace();
    TrainElapsed = Elapsed(NowSeconds(), TrainBegin);
    const bool due = TrainElapsed >= TrainSpan;
    const bool waits = PromptWaits(due && !TrainPromptShown());
    if (waits)
        NotePromptHeld(Record::Prompt::Training);
    TrainLabel = QStringLiteral("Training: ") +
                 (waits ? QStringLiteral("wartet") : CountdownText(TrainSpan - TrainElapsed));
    Form->setCaption(TrainLabel + DogLabel);
    if (!due || waits)
        return;

    TimerDog.setEnabled(false);
    if (TrainPromptShown()) {
        // The prompt's time is over: back to the small window, both countdowns from zero.
        ClosePrompts(Record::Outcome::Ignored, false);
        SizeMode = Midi;
        HandleSize();
        HandleButtons(Buttons::CloseEnds);
        T1SetUp();
        T2SetUp();
    } else {
        HandlePanels(Panel::TrainPrompt);
        LastSequence = LastSequence + 1 > 4 ? 1 : std::uint8_t(LastSequence + 1);
        SuggestionShown = 1;
        HandleButtons(LastSequence);
        // Enter starts the suggested sequence once the user turns to the prompt.
        rt::SpeedButton* suggested =
            std::array{SBAtmen, SBYoga, SBAugen, SBEntsp}[LastSequence - 1u];
        rt::showFocus(suggested);
        rt::announce(Form, QStringLiteral("Zeit für eine Übung. Vorgeschlagen: %1.")
                               .arg(QString::fromUtf8(rt::kSequenceNames[LastSequence - 1u])));
        T1SetUp();
    }
}

void TFMainBoard::TimerDogTimer() {
    RememberSmallWindowPlace();
    DogElapsed = Elapsed(NowSeconds(), DogBegin);
    const bool due = DogElapsed >= DogSpan;
    const bool waits = PromptWaits(due && !DogPromptShown());
    if (waits)
        NotePromptHeld(Record::Prompt::Watchdog);
    DogLabel = QStringLiteral("     Wachhund: ") +
               (waits ? QStringLiteral("wartet") : CountdownText(DogSpan - DogElapsed));
    Form->setCaption(TrainLabel + DogLabel);
    if (!due || waits)
        return;
    // Both came due at once, after the machine slept, say: only the training prompt comes, and it
    // starts the watchdog afresh; a pause now would only put the training prompt right after it.
    if (!DogPromptShown() && TimerTrain.enabled() &&
        Elapsed(NowSeconds(), TrainBegin) >= TrainSpan) {
        TimerTrainTimer();
        return;
    }

    TimerTrain.setEnabled(false);
    if (DogPromptShown()) {
        // The pause is over; the training countdown goes on from where it was.
        SizeMode = Midi;
        HandlePanels(Panel::Idle);
        HandleSize();
        HandleButtons(Buttons::CloseEnds);
        if (Settings().T1On == 1) {
            HandleButtons(LastSequence);
            TimerTrain.setEnabled(true);
        }
    } else {
        HideHint();
        HandlePanels(Panel::DogPrompt);
    }
    T2SetUp();
}

// ---------------------------------------------------------------- commands

void TFMainBoard::SequenceButtonClick(std::uint8_t kind) {
    if (SizeMode == Mini)
        HandleSize();
    SuggestionShown = 0;
    // A sequence started while a prompt is on the screen follows it.
    runFromPrompt_ = TrainPromptShown() || DogPromptShown();
    ClosePrompts(Record::Outcome::Followed, false);
    HandlePanels(kind);
}

void TFMainBoard::EndRun(bool toTheEnd) {
    if (runSequence_ < 0)
        return;
    runSequence_ = -1;
    if (record_)
        record_->SequenceEnded(toTheEnd);
    if (presence_)
        presence_->GuidedUntilNow();
}

void TFMainBoard::ShowPrompt(Record::Prompt prompt) {
    promptState_[size_t(prompt)] = Shown;
    if (record_)
        record_->PromptShown(prompt);
}

// The strip below the picture (and bar) at `top`, offering "Später" while the prompt may still
// be put off.
void TFMainBoard::ShowLater(Record::Prompt prompt, int top) {
    PLater->offer(postponeMinutes_, postponed_[size_t(prompt)], postponeLimit_);
    rt::setBounds(PLater, 0, top, Form->clientWidth(), LaterStrip::kHeight);
    PLater->show();
    PlaceBar();
}

void TFMainBoard::SetPostpone(int minutes, int limit) {
    postponeMinutes_ = std::max(1, minutes);
    postponeLimit_ = std::max(0, limit);
    if (StateChanged)
        StateChanged();
}

// "Später": the prompt goes, the board waits in its small window again, and its countdown falls
// due after the postponement; the other countdown runs on from where it stood.
void TFMainBoard::SBLaterClick() {
    if (!Status().canPostpone)
        return;
    const bool train = TrainPromptShown();
    ++postponed_[train ? 0 : 1];
    ClosePrompts(Record::Outcome::Postponed, false);
    if (train) // the prompt comes again with the same suggestion
        LastSequence = LastSequence <= 1 ? 4 : std::uint8_t(LastSequence - 1);
    HandlePanels(Panel::Idle);
    SizeMode = Midi;
    HandleSize();
    HandleButtons(Buttons::SizeLocked);
    (train ? TrainBegin : DogBegin) = NowSeconds();
    (train ? TrainSpan : DogSpan) = postponeMinutes_ * 60;
    TimerTrain.setEnabled(Settings().T1On == 1);
    TimerDog.setEnabled(Settings().T2On == 1);
    if (TimerTrain.enabled())
        TimerTrainTimer();
    if (TimerDog.enabled())
        TimerDogTimer();
    if (StateChanged)
        StateChanged();
}

BoardStatus TFMainBoard::Status() const {
    using C = BoardStatus::Countdown;
    BoardStatus s;
    s.size = BoardStatus::Size(SizeMode);
    s.timeSwitchOn = TimeSwitchOn == 1;
    s.sequence = runSequence_;
    s.pauseCaption = PauseCaption;
    const TSettings& settings = ctx_.daten.Settings;
    const auto reminder = [&](bool on, PromptState prompt, bool counting, std::int64_t begin,
                              std::int32_t span) {
        BoardStatus::Reminder r;
        r.startMs = begin * 1000;
        r.dueMs = (begin + span) * 1000;
        if (prompt == Shown)
            r.state = C::Shown;
        else if (!on || !s.timeSwitchOn)
            r.state = C::Off;
        else if (prompt == Held)
            r.state = C::Held;
        else
            r.state = counting ? C::Counting : C::Stopped;
        return r;
    };
    s.train =
        reminder(settings.T1On == 1, promptState_[0], TimerTrain.enabled(), TrainBegin, TrainSpan);
    s.watchdog =
        reminder(settings.T2On == 1, promptState_[1], TimerDog.enabled(), DogBegin, DogSpan);
    s.canPostpone = PLater->offered() && !PLater->isHidden();
    s.postponeMinutes = postponeMinutes_;
    return s;
}

void TFMainBoard::NotePromptHeld(Record::Prompt prompt) {
    PromptState& state = promptState_[size_t(prompt)];
    if (state != None)
        return; // told once per prompt, not on every tick it waits
    state = Held;
    if (record_)
        record_->PromptHeld(prompt);
}

// Shown prompts (and with `heldToo` those still waiting) go, as `outcome`.
void TFMainBoard::ClosePrompts(Record::Outcome outcome, bool heldToo) {
    for (size_t i = 0; i < promptState_.size(); ++i) {
        PromptState& state = promptState_[i];
        if (state == Shown || (heldToo && state == Held)) {
            if (state == Shown)
                PLater->hide();
            state = None;
            if (record_)
                record_->PromptClosed(Record::Prompt(i), outcome);
        }
    }
}

void TFMainBoard::SBCloseClick() {
    SuggestionShown = 0;
    if (CloseQuits == 1) {
        Form->close();
        return;
    }
    HandlePanels(Panel::Idle);
    if (TimeSwitchOn == 1) {
        SizeMode = Midi;
        HandleSize();
        T1SetUp();
        T2SetUp();
    }
    HandleSound(QStringLiteral("stop"));
}

void TFMainBoard::SBWeckerClick() {
    if (Settings().T1On != 1 && Settings().T2On != 1) {
        HandleButtons(Buttons::ClockOff);
        TimeSwitchOn = 0;
        return;
    }
    LastSequence = 0;
    HandleSound(QStringLiteral("stop"));
    HandlePanels(Panel::Idle);
    if (TimeSwitchOn == 1) {
        HandleButtons(Buttons::ClockOff);
        TimeSwitchOn = 0;
        HandleSize();
    } else {
        HandleButtons(Buttons::ClockOn);
        TimeSwitchOn = 1;
        T1SetUp();
        T2SetUp();
    }
    // Its new state is told: a screen reader does not read the changed name of a button.
    rt::announce(Form, SBWecker->accessibleName());
}

void TFMainBoard::SBHilfeClick() {
    IStart[12]->hide();
    Settings().HelpFirst = 0;
    ctx_.daten.SaveSettings();
    HideHint();
    if (windows_)
        windows_->ShowHilfe();
}

void TFMainBoard::SBMenueClick() {
    if (Settings().HelpFirst == 1) {
        if (windows_)
            windows_->Inform(QStringLiteral("Bitte lesen Sie zuerst die Hinweise unter HILFE"));
    } else {
        HandlePanels(Panel::Idle);
        HideHint();
        if (windows_)
            windows_->ShowMenue();
        ctx_.daten.LoadSettings();
        if (Settings().T1On != 1 && Settings().T2On != 1) {
            HandleButtons(Buttons::ClockOff);
            TimeSwitchOn = 0;
        }
        if (TimeSwitchOn == 1) {
            LastSequence = 0;
            T1SetUp();
            T2SetUp();
        }
    }
    if (windows_ && windows_->ResetDone())
        windows_->ShowMenue();
}

void TFMainBoard::SBImpresClick() {
    HideHint();
    if (windows_)
        windows_->ShowImpressum();
}

QStringList TFMainBoard::DataFilesUsed() {
    QStringList files;
    for (int n = 1; n <= 12; ++n)
        files << StartPicture(n);
    for (const char* f : {kSunset, kCloseIcon, kBackIcon, kClockIcon, kClockOnIcon})
        files << QString::fromLatin1(f);
    for (size_t i = 0; i < kNormalIcons.size(); ++i)
        files << QString::fromLatin1(kNormalIcons[i]) << QString::fromLatin1(kSuggestedIcons[i]);
    for (const char* f : {kNoiseSound, kWaveSound, kGongSound, kMantraSound})
        files << QStringLiteral("Sound\\") + QLatin1String(f);
    return files;
}
