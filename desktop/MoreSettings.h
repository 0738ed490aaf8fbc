#pragma once

#include "desktop/Preferences.h"

#include <QDialog>
#include <QList>
#include <QPair>
#include <QString>

#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace desk {

// Which of the window's settings this desktop can serve at all. A setting it cannot serve is
// shown switched off and disabled, with the reason; its stored value stays as it was.
struct DesktopOffers {
    bool idleTime = true;     // natural breaks need the time since the last input
    bool fullScreen = true;   // the active window's full-screen state
    bool doNotDisturb = true; // the desktop's "do not disturb"
    bool inhibitors = true;   // programs that keep the screen awake
    bool panel = true;        // a panel that shows the program's icon
};

// The window "Weitere Einstellungen": natural breaks and their length, the three reasons for
// holding a prompt, the wait in the panel, and what the program found on this desktop. Modal,
// operable by keyboard alone (Enter and Escape close it). Every change goes into preferences() at
// once; when the window closes, however it is closed, changed preferences are saved and handed to
// `changed`.
class MoreSettings : public QDialog {
public:
    // `detected` lists what was found, a line each: "Ruhezeit" → "GNOME"; an empty second part
    // reads "nicht verfügbar".
    MoreSettings(const Preferences& prefs, const DesktopOffers& offers,
                 const QList<QPair<QString, QString>>& detected, QWidget* parent = nullptr);

    const Preferences& preferences() const { return prefs_; }

    // Where the preferences are saved when the window closes; none: not saved.
    PreferencesFile* file = nullptr;
    // After a close that changed something (also when the save failed: the new preferences hold
    // until the program ends). Fields the window does not show (the pause) are as given.
    std::function<void(const Preferences&)> changed;

    QCheckBox* naturalBreakBox() const { return naturalBreak_; }
    QSpinBox* minutesField() const { return minutes_; }
    QCheckBox* fullScreenBox() const { return fullScreen_; }
    QCheckBox* doNotDisturbBox() const { return doNotDisturb_; }
    QCheckBox* inhibitorsBox() const { return inhibitors_; }
    QCheckBox* panelBox() const { return panel_; }
    QPushButton* closeButton() const { return close_; }
    // The lines of "Auf diesem Desktop erkannt", as shown: "Ruhezeit: GNOME".
    QStringList detectedLines() const;

    void done(int result) override;

private:
    QCheckBox* holdBox(QWidget* parent, const QString& text, bool Preferences::*member,
                       bool offered);
    void updateEnabled();

    Preferences prefs_;
    Preferences given_; // as the window last saved them
    const DesktopOffers offers_;
    QCheckBox* naturalBreak_ = nullptr;
    QSpinBox* minutes_ = nullptr;
    QLabel* minutesBefore_ = nullptr;
    QLabel* minutesAfter_ = nullptr;
    QCheckBox* fullScreen_ = nullptr;
    QCheckBox* doNotDisturb_ = nullptr;
    QCheckBox* inhibitors_ = nullptr;
    QCheckBox* panel_ = nullptr;
    QPushButton* close_ = nullptr;
    QList<QLabel*> detected_;
};

} // namespace desk
