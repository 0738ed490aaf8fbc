#pragma once

#include "runtime/SafeFile.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

namespace desk {

// What the user chose about reminders and the desktop: the window "Weitere Einstellungen" edits
// it, and the file quillet.conf keeps it. Never stored in User.dat, whose record stays as it is.
struct Preferences {
    // A time without any input this long counts as a break taken (a natural break).
    bool naturalBreak = true;
    int naturalBreakMinutes = 5;
    // Prompts wait while a window fills the screen, while the desktop's "do not disturb" is on,
    // and while another program keeps the screen awake (a video, a call).
    bool holdFullScreen = true;
    bool holdDoNotDisturb = true;
    bool holdInhibitors = true;
    // Prompts wait while another program records from a microphone or uses a camera (a call).
    bool holdCalls = true;
    // Prompts wait while a window of one of these programs is active (a presentation, a
    // recording): the window class or instance (WM_CLASS), as "libreoffice-impress" or "obs".
    QStringList heldPrograms;
    // "Später" on a prompt puts it off by this many minutes, at most this many times in a row
    // (0: without limit).
    int postponeMinutes = 5;
    int postponeLimit = 3;
    // With an icon in the desktop's panel, the board waits there instead of in its small window.
    bool waitInPanel = false;
    // Reminders are paused until then; invalid when they are not paused.
    QDateTime pausedUntil;

    bool operator==(const Preferences&) const = default;
};

constexpr int kNaturalBreakMinMinutes = 1;
constexpr int kNaturalBreakMaxMinutes = 60;
constexpr int kPostponeMinMinutes = 1;
constexpr int kPostponeMaxMinutes = 30;
constexpr int kPostponeMaxLimit = 10;

// The pauses the user can choose ("Erinnerungen pausieren").
enum class PauseChoice { HalfAnHour, OneHour, TwoHours, UntilTomorrow };

// When a pause chosen at `now` ends. "Until tomorrow" ends at the next 06:00 after `now`: the
// coming morning, so a pause chosen after midnight ends the same day at six.
QDateTime pauseEnd(PauseChoice pause, const QDateTime& now);

// Whether reminders are paused at `now`.
inline bool paused(const Preferences& p, const QDateTime& now) {
    return p.pausedUntil.isValid() && now < p.pausedUntil;
}

// The file quillet.conf: an INI file beside User.dat. A save changes only this program's keys in
// the text: comments, keys it does not know (of a later version or put there by hand) and the
// order of all stay as they were. A file that cannot be read is never written in that run; a
// damaged one (not UTF-8 text of INI lines, as a crash or another program may leave it) is kept
// under another name.
class PreferencesFile {
public:
    // $XDG_CONFIG_HOME/quillet/quillet.conf, or ~/.config/quillet/quillet.conf.
    static QString defaultPath();

    // Reads the file at `path` and remembers the path for saving. No file gives the defaults
    // silently; a problem is told through onProblem, and the defaults (or, for a value out of
    // its bounds, the nearest bound) are used. Meant once at start-up: the program holds the
    // preferences in memory afterwards.
    Preferences load(const QString& path = defaultPath());
    // Writes `prefs` whole or not at all, through a symbolic link to its target. Returns false
    // (after telling why) when nothing was saved; the earlier file is then as it was.
    bool save(const Preferences& prefs);

    const QString& path() const { return path_; }
    // The file could not be read in this run, so it must not be replaced.
    bool keepsFile() const { return keepFile_; }

    // Shows a German message about a problem with the file; the program goes on.
    std::function<void(const QString&)> onProblem;
    // The system calls the file is saved with; tests make single ones fail.
    rt::FileOps fileOps = rt::FileOps::system();
    // The wall clock, for pauses that end too late to be real.
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };

private:
    void problem(const QString& text);

    QString path_ = defaultPath();
    bool keepFile_ = false;
    QString keepReason_;
    QByteArray reportedContent_; // the last content whose values were brought into bounds
};

} // namespace desk
