#pragma once

#include "desktop/Preferences.h"

#include <QDialog>
#include <QList>
#include <QPair>
#include <QString>

#include <functional>
#include <vector>

class QCheckBox;
class QFormLayout;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace desk {

class Awareness;

// Which of the window's settings this desktop can serve at all. A setting it cannot serve is
// shown switched off and disabled, with the reason; its stored value stays as it was.
struct DesktopOffers {
    bool idleTime = true;     // natural breaks need the time since the last input
    bool fullScreen = true;   // the active window's full-screen state
    bool doNotDisturb = true; // the desktop's "do not disturb"
    bool inhibitors = true;   // programs that keep the screen awake
    bool calls = true;        // a microphone or camera in use
    bool programs = true;     // the active window's program
    bool panel = true;        // a panel that shows the program's icon
};

// A line of "Auf diesem Desktop erkannt": "Ruhezeit" → "GNOME"; an empty second part reads
// "nicht verfügbar".
using DetectedLines = QList<QPair<QString, QString>>;

// What the window shows of this desktop as `awareness` finds it now; `panel` names the panel
// that shows the icon (empty: none). Natural breaks are offered only with a source of idle time.
struct DesktopFindings {
    DesktopOffers offers;
    DetectedLines detected;
};
DesktopFindings findings(const Awareness& awareness, const QString& panel);

// The window "Weitere Einstellungen": natural breaks and their length, the reasons for holding a
// prompt, the programs that must not be interrupted, what "Später" on a prompt does, the wait in
// the panel, and what the program found on this desktop. Modal,
// operable by keyboard alone (Enter and Escape close it). Every change goes into preferences() at
// once; when the window closes, however it is closed, changed preferences are saved and handed to
// `changed`.
class MoreSettings : public QDialog {
public:
    // `detected` lists what was found, a line each.
    MoreSettings(const Preferences& prefs, const DesktopOffers& offers,
                 const DetectedLines& detected, QWidget* parent = nullptr);

    // The desktop changed while the window is open (a service came or left): the controls and
    // the lines follow. A setting no longer offered is shown off; its value is kept.
    void setDesktop(const DesktopOffers& offers, const DetectedLines& detected);

    const Preferences& preferences() const { return prefs_; }

    // Where the preferences are saved when the window closes; none: not saved.
    PreferencesFile* file = nullptr;
    // The program (window class) whose window was active before the program's own, for the
    // button that adds it to the programs; empty or none: no such program is known.
    std::function<QString()> lastProgram;
    // After a close that changed something (also when the save failed: the new preferences hold
    // until the program ends). Fields the window does not show (the pause) are as given.
    std::function<void(const Preferences&)> changed;

    QCheckBox* naturalBreakBox() const { return naturalBreak_; }
    QSpinBox* minutesField() const { return minutes_; }
    QCheckBox* fullScreenBox() const { return fullScreen_; }
    QCheckBox* doNotDisturbBox() const { return doNotDisturb_; }
    QCheckBox* inhibitorsBox() const { return inhibitors_; }
    QCheckBox* callsBox() const { return calls_; }
    QListWidget* programList() const { return programs_; }
    QPushButton* addProgramButton() const { return addProgram_; }
    QPushButton* removeProgramButton() const { return removeProgram_; }
    QSpinBox* postponeMinutesField() const { return postponeMinutes_; }
    QSpinBox* postponeLimitField() const { return postponeLimit_; }
    QCheckBox* panelBox() const { return panel_; }
    QCheckBox* sessionBox() const { return session_; }
    QPushButton* closeButton() const { return close_; }
    // The lines of "Auf diesem Desktop erkannt", as shown: "Ruhezeit: GNOME".
    QStringList detectedLines() const;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A switch that the desktop may not offer, with the note that says so.
    struct Offered {
        QCheckBox* box;
        QLabel* note;
        bool Preferences::*value;
        bool DesktopOffers::*offered;
    };
    QCheckBox* holdBox(QWidget* parent, const QString& text, bool Preferences::*value,
                       bool DesktopOffers::*offered);
    void showOffers();
    void showDetected(const DetectedLines& detected);
    void updateEnabled();
    QWidget* programsGroup();
    QWidget* postponeGroup();
    void showLastProgram();
    void addProgram();
    void removeProgram();

    Preferences prefs_;
    Preferences given_; // as the window last saved them
    DesktopOffers offers_;
    std::vector<Offered> offered_;
    QLabel* breaksNote_ = nullptr;
    QLabel* panelNote_ = nullptr;
    QFormLayout* found_ = nullptr;
    QLabel* nothingFound_ = nullptr;
    QCheckBox* naturalBreak_ = nullptr;
    QSpinBox* minutes_ = nullptr;
    QLabel* minutesBefore_ = nullptr;
    QLabel* minutesAfter_ = nullptr;
    QCheckBox* fullScreen_ = nullptr;
    QCheckBox* doNotDisturb_ = nullptr;
    QCheckBox* inhibitors_ = nullptr;
    QCheckBox* calls_ = nullptr;
    QListWidget* programs_ = nullptr;
    QPushButton* addProgram_ = nullptr;
    QPushButton* removeProgram_ = nullptr;
    QLabel* programsNote_ = nullptr;
    QString lastProgram_; // as the add button offers it now
    QSpinBox* postponeMinutes_ = nullptr;
    QSpinBox* postponeLimit_ = nullptr;
    QCheckBox* panel_ = nullptr;
    QCheckBox* session_ = nullptr;
    QLabel* sessionNote_ = nullptr; // why the session's entry could not be written
    QPushButton* close_ = nullptr;
    QList<QPair<QString, QLabel*>> detected_;
};

} // namespace desk
