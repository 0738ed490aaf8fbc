#include "desktop/MoreSettings.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
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
    w.naturalBreakBox()->setFocus();
    press(Qt::Key_Space);
    EXPECT_TRUE(w.minutesField()->isEnabled());
    press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), w.minutesField());
    press(Qt::Key_Up);
    press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), w.fullScreenBox());
    press(Qt::Key_Space);
    for (QWidget* next : std::initializer_list<QWidget*>{w.doNotDisturbBox(), w.inhibitorsBox(),
                                                         w.panelBox(), w.closeButton()}) {
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
