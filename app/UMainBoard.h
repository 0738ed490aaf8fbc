#pragma once

#include "app/BoardStatus.h"
#include "app/BoardWindows.h"
#include "app/Presence.h"
#include "app/Record.h"
#include "app/Screens.h"
#include "app/Sequencer.h"
#include "runtime/Clock.h"
#include "runtime/Controls.h"
#include "runtime/DataFiles.h"
#include "runtime/ErrorReport.h"
#include "runtime/Form.h"
#include "runtime/PictureAhead.h"
#include "runtime/PictureCache.h"
#include "runtime/Timer.h"
#include "runtime/audio/NarrationPlayer.h"
#include "settings/UDaten.h"

#include <QHash>
#include <QLabel>

#include <array>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

class LaterStrip;
class PromptArrow;

// Size modes of the board.
enum : std::uint8_t { Maxi = 1, Midi = 2, Mini = 3 };

// The board's display states: the kinds of HandlePanels. Any other kind only ends what ran.
namespace Panel {
enum : std::uint8_t {
    Idle = 0,
    Breathing = 2,
    Yoga = 3,
    Eyes = 4,
    Relaxation = 5,
    TrainPrompt = 6,
    DogPrompt = 7,
};
} // namespace Panel

// The codes of HandleButtons; 1 to 4 mark the suggested sequence (the numbers of LastSequence).
namespace Buttons {
enum : std::uint8_t {
    Normal = 0,
    SizeLocked = 5,
    CloseGoesBack = 6,
    CloseEnds = 7,
    ClockOn = 8,
    ClockOff = 9,
};
} // namespace Buttons

// Which sequencer: the order of the board's buttons and of every loop over the sequencers.
enum SequencerIndex { SeqAtm = 0, SeqYog = 1, SeqAug = 2, SeqEnt = 3 };

// What the board is given: the clock, the narration player, the error report, where the data
// lives, the settings and the screen: the primary monitor's size, and the monitors to ask which
// one the board is on (without them, the board keeps to a single screen at 0,0 of that size).
struct BoardContext {
    rt::Clock& clock;
    rt::NarrationPlayer& player;
    rt::ErrorReport& report;
    const rt::DataFiles& files;
    UDaten& daten;
    int screenWidth;
    int screenHeight;
    // Tests decode the intro's pictures by hand; the program on a worker thread.
    rt::PictureAhead::Worker pictureWorker = rt::PictureAhead::Worker::Thread;
    Screens* screens = nullptr;
    // Started with the session: the quick start, whatever the settings say.
    bool quickStart = false;
};

// The main window: the start animation, the picture areas the sequences fill, the instruction
// text, the narration, the hint box, the button bar and the board's timers.
class TFMainBoard {
public:
    static constexpr int kBarWidth = 335;
    static constexpr int kBarHeight = 39;

    explicit TFMainBoard(BoardContext context);
    ~TFMainBoard();
    TFMainBoard(const TFMainBoard&) = delete;
    TFMainBoard& operator=(const TFMainBoard&) = delete;

    // Every picture and sound the board loads, as program paths (below "Pictures" and "Sound").
    static QStringList DataFilesUsed();

    // A sequencer window exists: from now on the board reaches into it.
    void AttachSequencer(SequencerIndex index, Sequencer* sequencer);

    // The help, settings and imprint windows exist.
    void AttachWindows(BoardWindows* windows) { windows_ = windows; }

    // What the desktop tells of its user; without it every prompt comes when it falls due.
    void AttachPresence(Presence* presence);
    // Told whenever the buttons, a countdown or a prompt may have changed (several times in one
    // change); whoever listens reads the state afresh.
    std::function<void()> StateChanged;

    // Where the board tells what happens (sequences, prompts, breaks); none: nobody is told.
    void AttachRecord(Record* record) { record_ = record; }
    // The running sequence has come to its end (its last step, before it returns to idle).
    void SequenceCompleted() { EndRun(true); }

    // ---- start-up
    void FormCreate();
    void Starten(std::uint8_t code);
    void TimerStartTimer();

    // ---- layout and display states
    void HandleSize();
    void TopHeightMini();
    void SetSizes();
    void HandlePanels(std::uint8_t kind);
    void HandleButtons(std::uint8_t code);
    // A monitor came, went or changed: the board stays on the monitor that holds most of it, or
    // goes to the primary monitor where none holds any of it.
    void MonitorsChanged();
    // The monitor the board is on now, without the extra pixel of ScreenHeight: the windows
    // opened over the board are centred on it.
    QRect Monitor();

    // ---- training reminder and watchdog
    void T1SetUp();
    void T2SetUp();
    void TimerTrainTimer();
    void TimerDogTimer();
    // The user came back from a natural break: both countdowns start afresh.
    void BreakEnded();
    // No reminder until ResumeReminders; `caption` says until when ("Pause bis 15:30").
    void PauseReminders(const QString& caption);
    void ResumeReminders();
    bool RemindersPaused() const { return !PauseCaption.isEmpty(); }

    // A prompt may be put off ("Später") by `minutes`, at most `limit` times in a row (0: no
    // limit).
    void SetPostpone(int minutes, int limit);
    void SBLaterClick();

    // What the board is doing now: its size, the sequence running, both countdowns and prompts,
    // the pause. Whoever shows the board reads it here.
    BoardStatus Status() const;

    // ---- commands of the button bar
    void SBAtmenClick() { SequenceButtonClick(Panel::Breathing); }
    void SBYogaClick() { SequenceButtonClick(Panel::Yoga); }
    void SBAugenClick() { SequenceButtonClick(Panel::Eyes); }
    void SBEntspClick() { SequenceButtonClick(Panel::Relaxation); }
    void SBSizeClick() { HandleSize(); }
    void SBWeckerClick();
    void SBHilfeClick();
    void SBMenueClick();
    void SBImpresClick();
    void SBCloseClick();

    // ---- narration and text
    void HandleSound(const QString& name);
    void HandleMemo(std::uint8_t kind);

    // ---- helpers for the sequencers
    // Loads a picture into an image control; on failure the control is left empty and the
    // problem is reported once.
    bool LoadPicture(rt::Image* image, const QString& programPath);
    // The same from a sequence's cache of decoded pictures: a picture shown again is not decoded
    // again, and showing the picture already there changes nothing.
    bool LoadPicture(rt::Image* image, const QString& programPath, rt::PictureCache& cache);
    // Loads several pictures at once, on all cores; each failure is reported.
    void LoadPictures(const std::vector<std::pair<rt::Image*, QString>>& pictures);
    TSettings& Settings() { return ctx_.daten.Settings; }
    rt::Clock& Clock() { return ctx_.clock; }
    rt::ErrorReport& Report() { return ctx_.report; }
    const rt::DataFiles& Files() { return ctx_.files; }
    UDaten& Daten() { return ctx_.daten; }
    // The intro's pictures, decoded ahead of their steps.
    rt::PictureAhead& Ahead() { return ahead_; }
    int WindowWidth() const { return Form->outerWidth(); }
    int WindowHeight() const { return Form->outerHeight(); }
    QString Caption(const char* title) const;

    // ---- the window and its controls
    rt::Form* Form = nullptr;
    QLabel* LStart = nullptr;
    std::array<rt::Image*, 13> IStart{}; // IStart[1] .. IStart[12]
    rt::Image* ImageTrain = nullptr;
    PromptArrow* TrainArrow = nullptr; // over ImageTrain, down to the suggested button
    rt::Image* ImageDog = nullptr;
    LaterStrip* PLater = nullptr; // below a prompt's picture and bar: "Später"
    rt::Panel* PAtmen = nullptr;
    rt::Image* IAtmen = nullptr;
    rt::Image* IAtmen1 = nullptr;
    rt::Panel* PColors = nullptr;
    rt::Image* IColors = nullptr;
    rt::Panel* PBlende = nullptr;
    rt::Panel* PYoga = nullptr;
    rt::Image* IYoga = nullptr;
    rt::Panel* PAugen = nullptr;
    rt::Image* IAugen = nullptr;
    rt::Panel* PEntsp = nullptr;
    rt::Image* IEntsp = nullptr;
    rt::Panel* PEntsp1 = nullptr;
    rt::Image* IEntsp1 = nullptr;
    rt::Panel* PKino = nullptr;
    std::array<rt::Image*, 12> IKino{}; // IKino[1] .. IKino[11]
    rt::Panel* PText = nullptr;
    rt::TextArea* MemoText = nullptr;
    rt::HintBox* Memo0 = nullptr;
    rt::Panel* PSButtons = nullptr;
    rt::SpeedButton* SBAtmen = nullptr;
    rt::SpeedButton* SBYoga = nullptr;
    rt::SpeedButton* SBAugen = nullptr;
    rt::SpeedButton* SBEntsp = nullptr;
    rt::SpeedButton* SBSize = nullptr;
    rt::SpeedButton* SBWecker = nullptr;
    rt::SpeedButton* SBHilfe = nullptr;
    rt::SpeedButton* SBMenue = nullptr;
    rt::SpeedButton* SBImpres = nullptr;
    rt::SpeedButton* SBClose = nullptr;
    rt::Timer TimerStart{1000};
    rt::Timer TimerTrain{1000};
    rt::Timer TimerDog{1000};

    // ---- board state
    // The state the tests set up and look at; whoever else reads the board asks Status().
    std::uint16_t ScreenWidth = 0;
    std::uint16_t ScreenHeight = 0; // the screen height plus one
    std::uint8_t SizeMode = Maxi;
    std::uint8_t TimeSwitchOn = 0;
    std::uint8_t LastSequence = 0;
    std::uint8_t SuggestionShown = 0;
    std::uint8_t CloseQuits = 1;
    std::uint8_t SoundPlaying = 0;
    std::uint8_t StartStep = 0;
    std::int32_t MiniTop = 0;
    std::int32_t MiniLeft = 0;

private:
    // The monitor the board is on: its top left corner (its size above).
    std::int32_t ScreenLeft = 0;
    std::int32_t ScreenTop = 0;
    std::int64_t StartStepBegin = 0;
    std::int32_t StartStepSeconds = 2;
    std::array<std::uint8_t, 4> SequencerReady{};
    // The countdowns, as the status query tells them.
    std::int64_t TrainBegin = 0;
    std::int32_t TrainSpan = 0;
    std::int32_t TrainElapsed = 0;
    QString TrainLabel = QStringLiteral("Training: Inaktiv");
    std::int64_t DogBegin = 0;
    std::int32_t DogSpan = 0;
    std::int32_t DogElapsed = 0;
    QString DogLabel = QStringLiteral("     Wachhund: Inaktiv");
    QString PauseCaption; // empty unless the reminders are paused

    void CreateControls();
    void CreateButtonBar();
    void PlaceBar();
    void SetGlyph(rt::SpeedButton* button, const QString& programPath);
    int ScreenBottom() const;
    void CentreOnScreen();
    void ToFullScreen();
    // Takes the size and place of the monitor that holds most of `window` (in screen coordinates).
    void FollowMonitor(const QRect& window);
    QRect WindowRect() const;
    // Places the window at left, top, moved back inside the monitor where it would stick out.
    void KeepOnScreen(int left, int top);
    void HideHint();
    void SequenceButtonClick(std::uint8_t kind);
    void RememberSmallWindowPlace();
    QString CountdownText(std::int32_t remaining) const;
    bool Waiting() const;
    bool PromptWaits(bool due);
    std::int64_t NowSeconds() const { return ctx_.clock.nowSeconds(); }
    void ShowAhead(rt::Image* image, const QString& programPath);
    void DropAhead(const QString& programPath);
    void PictureReady(const QString& programPath);
    void FitSunset();
    // What the record is told: a run ends, a prompt is held or goes.
    void EndRun(bool toTheEnd);
    void ShowPrompt(Record::Prompt prompt);
    void NotePromptHeld(Record::Prompt prompt);
    void ClosePrompts(Record::Outcome outcome, bool heldToo);
    bool TrainPromptShown() const { return promptState_[0] == Shown; }
    bool DogPromptShown() const { return promptState_[1] == Shown; }

    BoardContext ctx_;
    rt::PictureAhead ahead_;
    QHash<QString, rt::Image*> aheadFor_; // pictures a step shows as soon as they are ready
    std::array<Sequencer*, 4> sequencers_{};
    BoardWindows* windows_ = nullptr;
    Presence* presence_ = nullptr;
    QHash<QString, QImage> icons_; // button glyphs, read once
    Record* record_ = nullptr;
    int runSequence_ = -1;       // the sequence running, -1 none
    bool runFromPrompt_ = false; // the next start follows a prompt
    // Each prompt (training, watchdog): not due, due but held, or on the screen.
    enum PromptState : std::uint8_t { None, Held, Shown };
    std::array<PromptState, 2> promptState_{None, None};
    // How often each prompt was put off in a row, by how much, and how often it may be.
    std::array<int, 2> postponed_{};
    int postponeMinutes_ = 5;
    int postponeLimit_ = 3;
    void ShowLater(Record::Prompt prompt, int top);
};
