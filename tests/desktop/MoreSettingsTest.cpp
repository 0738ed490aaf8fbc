#include "desktop/MoreSettings.h"
#include "support/KeyLetters.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QStyleOption>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using desk::MoreSettings;
using desk::Preferences;

namespace {

void press(int key) {
    QWidget* target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr);
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(target, &down);
    QApplication::sendEvent(target, &up);
}

void showActive(QWidget& w) {
    w.show();
    w.activateWindow();
    QApplication::processEvents();
}

const QList<QPair<QString, QString>> kDetected{
    {QStringLiteral("Ruhezeit"), QStringLiteral("GNOME")},
    {QStringLiteral("Ruhezustand"), QString()}};

} // namespace

TEST(MoreSettingsWindow, ControlsShowThePreferencesAndChangesAreSavedOnClose) {
    QTemporaryDir dir;
    desk::PreferencesFile file;
    file.load(dir.filePath(QStringLiteral("quillet.conf")));
    Preferences given;
    given.naturalBreak = false;
    given.naturalBreakMinutes = 12;
    given.holdDoNotDisturb = false;
    given.pausedUntil = QDateTime::currentDateTime().addSecs(600);
    MoreSettings w(given, {}, kDetected);
    w.file = &file;
    std::optional<Preferences> told;
    w.changed = [&](const Preferences& p) { told = p; };

    EXPECT_FALSE(w.naturalBreakBox()->isChecked());
    EXPECT_FALSE(w.minutesField()->isEnabled()) << "no length without natural breaks";
    EXPECT_EQ(w.minutesField()->value(), 12);
    EXPECT_TRUE(w.fullScreenBox()->isChecked());
    EXPECT_FALSE(w.doNotDisturbBox()->isChecked());
    EXPECT_EQ(w.detectedLines(), (QStringList{"Ruhezeit: GNOME", "Ruhezustand: nicht verfügbar"}));
    EXPECT_EQ(w.windowFlags() & Qt::WindowMinimizeButtonHint, 0);

    showActive(w);
    const QSize fits = w.frameGeometry().size();
    EXPECT_LE(fits.width(), 1024);
    EXPECT_LE(fits.height(), 700);
    press(Qt::Key_Space); // the first control has the focus
    EXPECT_TRUE(w.minutesField()->isEnabled());
    press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), w.minutesField());
    press(Qt::Key_Up);
    press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), w.fullScreenBox());
    press(Qt::Key_Space);
    for (QWidget* next : std::initializer_list<QWidget*>{
             w.doNotDisturbBox(), w.inhibitorsBox(), w.callsBox(), w.programList(),
             w.postponeMinutesField(), w.postponeLimitField(), w.panelBox(), w.closeButton()}) {
        press(Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next);
    }
    EXPECT_FALSE(w.panelBox()->isChecked());
    w.panelBox()->setFocus();
    press(Qt::Key_Space);
    EXPECT_FALSE(told) << "nothing is told before the window closes";
    w.minutesField()->setFocus();
    press(Qt::Key_Return); // Enter closes, from any field
    EXPECT_FALSE(w.isVisible());

    Preferences expected = given;
    expected.naturalBreak = true;
    expected.naturalBreakMinutes = 13;
    expected.holdFullScreen = false;
    expected.waitInPanel = true;
    ASSERT_TRUE(told);
    EXPECT_EQ(*told, expected);
    desk::PreferencesFile again;
    EXPECT_EQ(again.load(file.path()).naturalBreakMinutes, 13);
    EXPECT_TRUE(again.load(file.path()).waitInPanel);
    EXPECT_EQ(again.load(file.path()).pausedUntil,
              given.pausedUntil.addMSecs(-given.pausedUntil.time().msec()));
}

TEST(MoreSettingsWindow, WhatTheDesktopCannotServeIsOffAndSaysSoAndEscapeClosesUnchanged) {
    Preferences given; // everything on
    desk::DesktopOffers offers;
    offers.idleTime = false;
    offers.doNotDisturb = false;
    offers.panel = false; // no panel that shows icons
    given.waitInPanel = true;
    MoreSettings w(given, offers, {});
    bool told = false;
    w.changed = [&](const Preferences&) { told = true; };
    EXPECT_FALSE(w.naturalBreakBox()->isEnabled());
    EXPECT_FALSE(w.naturalBreakBox()->isChecked());
    EXPECT_FALSE(w.minutesField()->isEnabled());
    EXPECT_FALSE(w.doNotDisturbBox()->isEnabled());
    EXPECT_EQ(w.doNotDisturbBox()->accessibleDescription(),
              QStringLiteral("nicht verfügbar auf diesem Desktop"));
    EXPECT_TRUE(w.inhibitorsBox()->isEnabled());
    EXPECT_FALSE(w.panelBox()->isEnabled());
    EXPECT_FALSE(w.panelBox()->isChecked());

    showActive(w);
    w.fullScreenBox()->setFocus();
    press(Qt::Key_Escape);
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(told) << "the stored choices stay as they were";
    EXPECT_EQ(w.preferences(), given);
}

// Messages Qt prints while a test runs, kept for the test to read.
QStringList* gMessages = nullptr;
void keepMessage(QtMsgType, const QMessageLogContext&, const QString& text) {
    if (gMessages)
        gMessages->append(text);
}

TEST(MoreSettingsWindow, OpensWithItsFocusShownAndSmallerNotesInThePixelFontWithoutWarnings) {
    // The program's font is set in pixels (rt::Application); a point size is then -1.
    const QFont before = QApplication::font();
    QFont pixels(before);
    pixels.setPixelSize(12);
    QApplication::setFont(pixels);
    QStringList messages;
    gMessages = &messages;
    const QtMessageHandler previous = qInstallMessageHandler(keepMessage);
    {
        MoreSettings w(Preferences{}, {}, kDetected);
        showActive(w);
        EXPECT_EQ(messages.filter(QStringLiteral("Point size")), QStringList());
        EXPECT_TRUE(w.naturalBreakBox()->hasFocus());
        QStyleOptionButton option;
        option.initFrom(w.naturalBreakBox());
        EXPECT_TRUE(option.state & QStyle::State_HasFocus);
        EXPECT_TRUE(option.state & QStyle::State_KeyboardFocusChange)
            << "the style draws the focus frame";
        const auto notes = w.findChildren<QLabel*>();
        const auto note = std::find_if(notes.begin(), notes.end(), [](QLabel* l) {
            return l->text().startsWith(QStringLiteral("Diese Zeit ohne"));
        });
        ASSERT_NE(note, notes.end());
        EXPECT_EQ((*note)->font().pixelSize(), 11);
        EXPECT_EQ(w.doNotDisturbBox()->text(),
                  QStringLiteral("Nicht stören, solange „Nicht stören“ &eingeschaltet ist"));
        EXPECT_EQ(keys::sharedLetters(keys::textsOf(w)), "");
    }
    qInstallMessageHandler(previous);
    gMessages = nullptr;
    QApplication::setFont(before);
}

TEST(MoreSettingsWindow, FollowsServicesThatComeAndLeaveWhileOpenAndKeepsTheChoices) {
    Preferences given; // everything on
    desk::DesktopOffers none;
    none.idleTime = none.doNotDisturb = none.panel = false;
    MoreSettings w(given, none, {{QStringLiteral("Ruhezeit"), QString()}});
    showActive(w);
    EXPECT_TRUE(w.fullScreenBox()->hasFocus()) << "the first control that can take it";
    EXPECT_FALSE(w.naturalBreakBox()->isEnabled());

    // GNOME's shell comes: natural breaks as chosen, and the line says so.
    desk::DesktopOffers shell = none;
    shell.idleTime = true;
    w.setDesktop(shell, {{QStringLiteral("Ruhezeit"), QStringLiteral("GNOME")},
                         {QStringLiteral("Nicht stören"), QString()}});
    EXPECT_TRUE(w.naturalBreakBox()->isEnabled());
    EXPECT_TRUE(w.naturalBreakBox()->isChecked());
    EXPECT_TRUE(w.minutesField()->isEnabled());
    EXPECT_EQ(w.detectedLines(), (QStringList{"Ruhezeit: GNOME", "Nicht stören: nicht verfügbar"}));

    // And leaves again, as does the inhibitors' service: shown off, the choices kept.
    desk::DesktopOffers gone = none;
    gone.inhibitors = false;
    w.setDesktop(gone, {{QStringLiteral("Ruhezeit"), QString()}});
    EXPECT_FALSE(w.naturalBreakBox()->isChecked());
    EXPECT_FALSE(w.minutesField()->isEnabled());
    EXPECT_FALSE(w.inhibitorsBox()->isEnabled());
    EXPECT_FALSE(w.inhibitorsBox()->isChecked());
    EXPECT_EQ(w.detectedLines().value(0), QStringLiteral("Ruhezeit: nicht verfügbar"));
    w.accept();
    EXPECT_EQ(w.preferences(), given);
}

TEST(MoreSettingsWindow, ProgramsAreAddedFromTheLastActiveWindowAndRemovedByKeysAlone) {
    const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");
    Preferences given;
    given.heldPrograms = {QStringLiteral("obs")};
    MoreSettings w(given, {}, {});
    QString last = QStringLiteral("libreoffice-impress");
    w.lastProgram = [&last] { return last; };
    std::optional<Preferences> told;
    w.changed = [&](const Preferences& p) { told = p; };
    showActive(w);
    EXPECT_TRUE(w.callsBox()->isChecked());
    EXPECT_EQ(w.programList()->accessibleName(),
              QStringLiteral("Programme, bei denen Erinnerungen warten"));
    EXPECT_EQ(w.postponeMinutesField()->accessibleName(),
              QStringLiteral("„Später“ verschiebt um, Minuten"));
    EXPECT_FALSE(w.removeProgramButton()->isEnabled()) << "nothing chosen to remove";
    EXPECT_EQ(w.addProgramButton()->text(), QStringLiteral("„libreoffice-impress“ &hinzufügen"));
    const auto labels = w.findChildren<QLabel*>();
    EXPECT_TRUE(std::none_of(labels.begin(), labels.end(), [](QLabel* l) {
        return l->text().startsWith(QStringLiteral("Unter Wayland"));
    }));

    w.addProgramButton()->setFocus();
    press(Qt::Key_Space);
    EXPECT_EQ(w.preferences().heldPrograms,
              (QStringList{QStringLiteral("obs"), QStringLiteral("libreoffice-impress")}));
    EXPECT_FALSE(w.addProgramButton()->isEnabled()) << "a listed program is not offered again";
    EXPECT_EQ(QApplication::focusWidget(), w.programList()) << "the keys go on in the list";
    press(Qt::Key_Up);
    press(Qt::Key_Delete);
    EXPECT_EQ(w.preferences().heldPrograms, QStringList{QStringLiteral("libreoffice-impress")});
    press(Qt::Key_Tab); // past the add button, which offers nothing now
    EXPECT_EQ(QApplication::focusWidget(), w.removeProgramButton());
    press(Qt::Key_Space);
    EXPECT_TRUE(w.preferences().heldPrograms.isEmpty());
    EXPECT_EQ(w.programList()->count(), 0);
    EXPECT_EQ(QApplication::focusWidget(), w.programList()) << "the focus stays on a control";

    // Another program in front meanwhile: the button offers it when the window is back.
    last = QStringLiteral("obs");
    QEvent back(QEvent::ActivationChange);
    QApplication::sendEvent(&w, &back);
    EXPECT_EQ(w.addProgramButton()->text(), QStringLiteral("„obs“ &hinzufügen"));
    w.postponeMinutesField()->setFocus();
    press(Qt::Key_Up);
    w.postponeLimitField()->setFocus();
    for (int i = 0; i < 3; ++i)
        press(Qt::Key_Down);
    EXPECT_EQ(w.postponeLimitField()->text(), QStringLiteral("ohne Grenze"));
    w.accept();
    ASSERT_TRUE(told);
    Preferences expected = given;
    expected.heldPrograms.clear();
    expected.postponeMinutes = 6;
    expected.postponeLimit = 0;
    EXPECT_EQ(*told, expected);

    // Under Wayland one line says which programs can be seen at all.
    qputenv("WAYLAND_DISPLAY", "wayland-0");
    MoreSettings underWayland(given, {}, {});
    const auto notes = underWayland.findChildren<QLabel*>();
    EXPECT_TRUE(std::any_of(notes.begin(), notes.end(), [](QLabel* l) {
        return l->text() ==
               QStringLiteral(
                   "Unter Wayland erkennt Quillet nur Programme, die über XWayland laufen.");
    }));
    if (wayland.isNull())
        qunsetenv("WAYLAND_DISPLAY");
    else
        qputenv("WAYLAND_DISPLAY", wayland);
}

// The session box shows the autostart entry as it is and writes or removes it when clicked;
// merely opening and closing the window writes nothing.
TEST(MoreSettingsWindow, TheSessionBoxWritesTheAutostartEntryOnlyWhenClicked) {
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    const QString entry = config.path() + QStringLiteral("/autostart/org.quillet.Quillet.desktop");
    {
        MoreSettings window(Preferences{}, desk::DesktopOffers{}, {});
        EXPECT_FALSE(window.sessionBox()->isChecked());
        window.done(QDialog::Rejected);
    }
    EXPECT_FALSE(QFile::exists(entry));
    MoreSettings window(Preferences{}, desk::DesktopOffers{}, {});
    window.sessionBox()->click();
    EXPECT_TRUE(QFile::exists(entry));
    EXPECT_TRUE(MoreSettings(Preferences{}, desk::DesktopOffers{}, {}).sessionBox()->isChecked());
    window.sessionBox()->click();
    EXPECT_FALSE(QFile::exists(entry));
    qunsetenv("XDG_CONFIG_HOME");
}
