#pragma once

#include <cstdint>

// What the board tells the record of breaks as it happens: the sequences run, the prompts and
// what became of them, the natural breaks and the pauses of the reminders. The board knows the
// record only through this; without one it tells nobody.
class Record {
public:
    enum class Prompt { Training = 0, Watchdog = 1 };
    // How a prompt went: a sequence started while it was on the screen, it went away without
    // one (its time ran out, closed by hand), or the countdown behind it started afresh (a
    // natural break, a pause) before or while it showed, or the user put it off ("Später").
    // (4 is the record's own: a watchdog's time ran out.)
    enum class Outcome { Followed = 1, Ignored = 2, Dropped = 3, Postponed = 5 };

    virtual ~Record() = default;
    // `sequence`: 0 breathing, 1 yoga, 2 eyes, 3 relaxation (the order of the board's buttons).
    virtual void SequenceStarted(int sequence, bool fromPrompt) = 0;
    // The running sequence ended: to its end, or stopped before it.
    virtual void SequenceEnded(bool toTheEnd) = 0;
    // A prompt fell due but waits (a full-screen window, the user away, ...).
    virtual void PromptHeld(Prompt prompt) = 0;
    virtual void PromptShown(Prompt prompt) = 0;
    virtual void PromptClosed(Prompt prompt, Outcome outcome) = 0;
    // The user came back from a natural break that lasted `awayMs`.
    virtual void NaturalBreak(std::int64_t awayMs) = 0;
    // The reminders were paused (on) or resumed (off).
    virtual void Paused(bool on) = 0;
};
