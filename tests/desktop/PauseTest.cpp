#include "desktop/Pause.h"

#include <QMenu>
#include <gtest/gtest.h>

namespace {

// A pause with its clock, the board and the stored end stood in for.
struct PauseRig {
    PauseRig()
        : pause({[this](const QString& c) {
                     caption = c;
                     ++told;
                 },
                 [this] { ++resumed; }, [this](const QDateTime& e) { stored = e; },
                 [this] { return now; }}) {}
    QDateTime now{QDate(2026, 12, 8), QTime(23, 10)};
    QString caption;
    int told = 0; // captions handed to the board
    int resumed = 0;
    QDateTime stored{QDate(2000, 1, 1), QTime(0, 0)};
    desk::Pause pause;
};

TEST(Pause, CaptionSaysUntilWhenAndWhichDay) {
    const QDateTime late(QDate(2026, 12, 8), QTime(23, 10));
    EXPECT_EQ(desk::Pause::caption(QDateTime(QDate(2026, 12, 8), QTime(15, 30)), late),
              QStringLiteral("Pause bis 15:30"));
    EXPECT_EQ(desk::Pause::caption(QDateTime(QDate(2026, 12, 9), QTime(6, 0)), late),
              QStringLiteral("Pause bis morgen, 6:00"));
}

TEST(Pause, EndsByItselfIsStoredAndAStoredPastEndResumesAtOnce) {
    PauseRig r;
    r.pause.until(desk::Pause::choiceEnd(2, r.now));
    EXPECT_TRUE(r.pause.active());
    EXPECT_EQ(r.caption, QStringLiteral("Pause bis morgen, 1:10"));
    EXPECT_EQ(r.stored, QDateTime(QDate(2026, 12, 9), QTime(1, 10)));
    r.now = r.now.addSecs(2 * 3600 - 1);
    r.pause.check();
    EXPECT_EQ(r.resumed, 0);
    r.now = r.now.addSecs(1);
    r.pause.check();
    EXPECT_EQ(r.resumed, 1);
    EXPECT_FALSE(r.pause.active());
    EXPECT_FALSE(r.stored.isValid());

    // After a restart, a pause that ran out while the program was not running.
    PauseRig later;
    later.pause.until(later.now.addSecs(-60));
    EXPECT_FALSE(later.pause.active());
    EXPECT_EQ(later.resumed, 1);
}

// "bis morgen, 6:00" chosen before midnight says "bis 6:00" once the day has changed: at
// midnight by the timer, after a sleep past it, and "morgen" again after the clock went back.
TEST(Pause, CaptionFollowsTheTimeOfDayAcrossMidnightASleepAndAClockSetBack) {
    PauseRig r;
    r.now = QDateTime(QDate(2026, 12, 8), QTime(23, 50));
    r.pause.until(desk::Pause::choiceEnd(3, r.now));
    EXPECT_EQ(r.caption, QStringLiteral("Pause bis morgen, 6:00"));
    EXPECT_EQ(r.pause.nextCheckMs(), 60'000 + 50) << "a minute at most";
    r.now = QDateTime(QDate(2026, 12, 8), QTime(23, 59, 30));
    r.pause.check();
    EXPECT_EQ(r.told, 1) << "the same words are not handed again";
    EXPECT_EQ(r.pause.nextCheckMs(), 30'000 + 50) << "the timer waits for midnight";
    r.now = QDateTime(QDate(2026, 12, 9), QTime(0, 0, 0, 50));
    r.pause.check();
    EXPECT_EQ(r.caption, QStringLiteral("Pause bis 6:00"));
    EXPECT_EQ(r.told, 2);

    r.now = QDateTime(QDate(2026, 12, 8), QTime(23, 58)); // the clock set back
    r.pause.check();
    EXPECT_EQ(r.caption, QStringLiteral("Pause bis morgen, 6:00"));
    r.now = QDateTime(QDate(2026, 12, 9), QTime(2, 17)); // a sleep past midnight
    r.pause.check();
    EXPECT_EQ(r.caption, QStringLiteral("Pause bis 6:00"));
    EXPECT_EQ(r.resumed, 0);
    EXPECT_EQ(r.pause.nextCheckMs(), 60'000 + 50);
    r.now = QDateTime(QDate(2026, 12, 9), QTime(5, 59, 40));
    r.pause.check();
    EXPECT_EQ(r.pause.nextCheckMs(), 20'000 + 50) << "the end comes on time";
    EXPECT_EQ(r.told, 4);
}

TEST(Pause, TheMenuOffersTheChoicesOrTheResumption) {
    PauseRig r;
    QMenu menu;
    r.pause.addTo(&menu);
    ASSERT_EQ(menu.actions().size(), 1);
    QMenu* sub = menu.actions()[0]->menu();
    ASSERT_NE(sub, nullptr);
    ASSERT_EQ(sub->actions().size(), desk::Pause::kChoices);
    sub->actions()[1]->trigger();
    EXPECT_EQ(r.caption, QStringLiteral("Pause bis morgen, 0:10")); // an hour after 23:10
    QMenu again;
    r.pause.addTo(&again);
    ASSERT_EQ(again.actions().size(), 1);
    EXPECT_EQ(again.actions()[0]->text(), QStringLiteral("Erinnerungen &fortsetzen"));
    again.actions()[0]->trigger();
    EXPECT_EQ(r.resumed, 1);
}

} // namespace

// Opened by a key, the board's menu starts on its first entry (a screen reader says it at once);
// opened by the mouse, on none.
TEST(Pause, TheMenuOpenedByAKeyStartsOnItsFirstEntry) {
    PauseRig rig;
    QWidget board;
    desk::BoardMenu menu(&board, rig.pause);
    menu.addEntry(QStringLiteral("Verlauf …"), [] {});
    QMenu* byKey = menu.popup(QPoint(10, 10), true);
    EXPECT_EQ(byKey->activeAction(), byKey->actions().constFirst());
    EXPECT_FALSE(byKey->actions().constFirst()->menu()->isVisible()); // the pause's choices wait
    byKey->close();
    QMenu* byMouse = menu.popup(QPoint(10, 10), false);
    EXPECT_EQ(byMouse->activeAction(), nullptr);
    byMouse->close();
}
