#include "desktop/StatusIcon.h"

#include "desktop/Pause.h"
#include "support/BoardFixture.h"
#include "support/KeyLetters.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <gtest/gtest.h>

using desk::CountdownView;
using desk::StatusPicture;
using desk::StatusView;
using S = desk::CountdownView::State;

namespace {

constexpr std::int64_t kNow = 12 * 3600 * 1000;
constexpr std::int64_t kMin = 60'000;

CountdownView counting(std::int64_t inMs) {
    return {S::Counting, kNow + inMs};
}

// The board waiting in its small window: training in 44 minutes, the watchdog in 9.
StatusView waiting() {
    StatusView v;
    v.timeSwitchOn = true;
    v.train = counting(44 * kMin);
    v.dog = counting(9 * kMin);
    v.waitsSmall = true;
    return v;
}

QStringList texts(const QMenu* menu) {
    QStringList out;
    for (const QAction* a : menu->actions())
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

// The entry that reads `text`, with or without its accelerator's "&".
QAction* entry(const QMenu* menu, QString text) {
    text.remove(QLatin1Char('&'));
    for (QAction* a : menu->actions())
        if (a->text().remove(QLatin1Char('&')) == text)
            return a;
    return nullptr;
}

} // namespace

TEST(StatusIcon, ToolTipTellsBothCountdownsInWholeMinutesRoundedUp) {
    StatusView v = waiting();
    EXPECT_EQ(desk::toolTipOf(v, kNow), QStringLiteral("Training in 44 min · Wachhund in 9 min"));
    EXPECT_EQ(desk::toolTipOf(v, kNow + 1),
              QStringLiteral("Training in 44 min · Wachhund in 9 min"))
        << "43:59 left still reads 44 minutes";
    v.train = counting(65 * kMin);
    v.dog = counting(120 * kMin);
    EXPECT_EQ(desk::toolTipOf(v, kNow), QStringLiteral("Training in 1 h 5 min · Wachhund in 2 h"));

    v.train.state = S::Off; // switched off in the settings
    v.dog = counting(0);    // due, but held back
    EXPECT_EQ(desk::toolTipOf(v, kNow), QStringLiteral("Training: aus · Wachhund: wartet"));
    v.train.state = S::Prompt;
    v.dog.state = S::Stopped;
    EXPECT_EQ(desk::toolTipOf(v, kNow), QStringLiteral("Training: jetzt · Wachhund: angehalten"));

    StatusView off = waiting();
    off.timeSwitchOn = false;
    EXPECT_EQ(desk::toolTipOf(off, kNow), QStringLiteral("Training: aus · Wachhund: aus"));
    StatusView paused = waiting();
    paused.pauseCaption = QStringLiteral("Pause bis 15:30");
    EXPECT_EQ(desk::toolTipOf(paused, kNow), QStringLiteral("Erinnerungen: Pause bis 15:30"));
    StatusView running = paused;
    running.sequence = 2;
    EXPECT_EQ(desk::toolTipOf(running, kNow), QStringLiteral("Augenübungen laufen"));
}

TEST(StatusIcon, PictureShowsTheMostPressingState) {
    StatusView v = waiting();
    EXPECT_EQ(desk::pictureOf(v, kNow), StatusPicture::Waiting);
    EXPECT_EQ(desk::pictureOf(v, kNow + 9 * kMin), StatusPicture::Due) << "held back";
    v.pauseCaption = QStringLiteral("Pause bis 15:30");
    EXPECT_EQ(desk::pictureOf(v, kNow), StatusPicture::Paused);
    v.dog.state = S::Prompt;
    EXPECT_EQ(desk::pictureOf(v, kNow), StatusPicture::Due);
    v.sequence = 0;
    EXPECT_EQ(desk::pictureOf(v, kNow), StatusPicture::Running);
    StatusView off = waiting();
    off.timeSwitchOn = false;
    off.train.state = off.dog.state = S::Off;
    EXPECT_EQ(desk::pictureOf(off, kNow), StatusPicture::Off);

    // Every picture is there in every size a panel asks for.
    for (StatusPicture p : {StatusPicture::Off, StatusPicture::Waiting, StatusPicture::Due,
                            StatusPicture::Paused, StatusPicture::Running}) {
        const QIcon icon = desk::StatusIcon::icon(p);
        for (int size : {16, 22, 24, 32, 48})
            EXPECT_EQ(icon.pixmap(size).size(), QSize(size, size)) << int(p) << " " << size;
        EXPECT_FALSE(icon.pixmap(16).toImage().pixelColor(8, 8).alpha() == 0);
    }
}

TEST(StatusIcon, WaitsForTheNextWholeMinuteOnlyAndReadsTheBoardOncePerChange) {
    EXPECT_EQ(desk::nextChangeMs(waiting(), kNow - 30'000), 30'000);
    EXPECT_EQ(desk::nextChangeMs(waiting(), kNow), kMin) << "9:00 left: 8 minutes a minute later";
    StatusView due = waiting();
    due.dog = counting(-1);
    EXPECT_EQ(desk::nextChangeMs(due, kNow), kMin) << "the held watchdog changes nothing more";
    StatusView paused = waiting();
    paused.pauseCaption = QStringLiteral("Pause bis 15:30");
    EXPECT_EQ(desk::nextChangeMs(paused, kNow), -1);

    rt::ManualClock clock(12, 0, 0);
    StatusView board = waiting();
    board.dog = counting(9 * kMin + 12'345);
    int reads = 0;
    desk::Pause pause({});
    desk::StatusIcon icon(
        clock,
        [&] {
            ++reads;
            return board;
        },
        {}, pause);
    icon.changed();
    QCoreApplication::processEvents();
    EXPECT_EQ(reads, 0) << "nothing is followed before the icon is shown";
    icon.follow();
    icon.changed();
    icon.changed();
    icon.changed();
    QCoreApplication::processEvents();
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(icon.toolTip(), QStringLiteral("Training in 44 min · Wachhund in 10 min"));
    EXPECT_EQ(icon.nextUpdateMs(), 12'345 + 20) << "just after the minute has turned";
    board.pauseCaption = QStringLiteral("Pause bis 15:30");
    icon.update();
    EXPECT_EQ(icon.picture(), StatusPicture::Paused);
    EXPECT_EQ(icon.nextUpdateMs(), -1) << "no timer while nothing counts";
}

TEST(StatusIcon, MenuOffersTheBoardsCommandsAndFollowsTimeSwitchAndPause) {
    rt::ManualClock clock(12, 0, 0);
    StatusView board = waiting();
    std::vector<QString> done;
    desk::StatusActions actions;
    for (int i = 0; i < 4; ++i)
        actions.sequence[size_t(i)] = [&, i] { done.push_back(QStringLiteral("seq%1").arg(i)); };
    actions.timeSwitch = [&] { done.push_back(QStringLiteral("clock")); };
    actions.postpone = [&] { done.push_back(QStringLiteral("later")); };
    actions.show = [&] { done.push_back(QStringLiteral("show")); };
    actions.settings = [&] { done.push_back(QStringLiteral("settings")); };
    actions.history = [&] { done.push_back(QStringLiteral("history")); };
    actions.help = [&] { done.push_back(QStringLiteral("help")); };
    actions.quit = [&] { done.push_back(QStringLiteral("quit")); };
    QString pausedCaption;
    desk::Pause pause({[&](const QString& c) { pausedCaption = c; }, [] {}, {}});
    desk::StatusIcon icon(
        clock, [&] { return board; }, actions, pause);
    icon.follow();
    icon.update();
    QMenu* menu = icon.menu();
    EXPECT_EQ(texts(menu),
              (QStringList{"Atemübungen", "Körperübungen", "Augenübungen", "Entspannungsübungen",
                           "-", "&Zeitschaltuhr", "Erinnerungen &pausieren", "-", "&Quillet zeigen",
                           "&Einstellungen …", "&Verlauf …", "&Hilfe", "-", "&Beenden"}));
    QAction* clockEntry = entry(menu, QStringLiteral("&Zeitschaltuhr"));
    ASSERT_NE(clockEntry, nullptr);
    EXPECT_TRUE(clockEntry->isChecked());
    for (const char* text : {"Augenübungen", "&Zeitschaltuhr", "&Quillet zeigen",
                             "&Einstellungen …", "&Verlauf …", "&Hilfe", "&Beenden"})
        entry(menu, QString::fromUtf8(text))->trigger();
    EXPECT_EQ(done, (std::vector<QString>{"seq2", "clock", "show", "settings", "history", "help",
                                          "quit"}));

    // A tooltip's change leaves the menu as a panel has read it; the time switch changes it.
    board.dog = counting(5 * kMin);
    icon.update();
    EXPECT_EQ(entry(menu, QStringLiteral("&Zeitschaltuhr")), clockEntry);
    board.timeSwitchOn = false;
    icon.update();
    EXPECT_FALSE(entry(menu, QStringLiteral("&Zeitschaltuhr"))->isChecked());

    // The pause chosen from the icon; then the menu offers to resume.
    entry(menu, QStringLiteral("Erinnerungen &pausieren"))->menu()->actions()[0]->trigger();
    EXPECT_TRUE(pause.active());
    EXPECT_TRUE(pausedCaption.startsWith(QStringLiteral("Pause bis")));
    icon.update();
    EXPECT_EQ(entry(menu, QStringLiteral("Erinnerungen &pausieren")), nullptr);
    entry(menu, QStringLiteral("Erinnerungen fortsetzen"))->trigger(); // "&fortsetzen"
    EXPECT_FALSE(pause.active());
    icon.update();
    EXPECT_EQ(menu->findChildren<QMenu*>().size(), 1) << "no submenu of an earlier menu is kept";
    // "Später" first while a prompt on the screen may be put off.
    board.postponeMinutes = 5;
    icon.update();
    EXPECT_EQ(texts(menu).mid(0, 2), (QStringList{"&Später (5 Min.)", "-"}));
    EXPECT_EQ(keys::sharedLetters(keys::textsOf(*menu)), "");
    entry(menu, QStringLiteral("&Später (5 Min.)"))->trigger();
    EXPECT_EQ(done.back(), QStringLiteral("later"));
}

TEST(PanelWait, HidesTheBoardOnlyOnAChangeIntoTheWaitWithSettingAndPanel) {
    desk::PanelWait w;
    EXPECT_TRUE(w.hideNow(true, true, true)) << "the first wait after the icon came";
    EXPECT_FALSE(w.hideNow(true, true, true)) << "a board brought back stays";
    EXPECT_FALSE(w.hideNow(true, true, false)) << "a prompt";
    EXPECT_TRUE(w.hideNow(true, true, true)) << "waiting again after the prompt";
    w.hideNow(true, true, false);
    EXPECT_FALSE(w.hideNow(false, true, true)) << "the setting off";
    w.hideNow(true, true, false);
    EXPECT_FALSE(w.hideNow(true, false, true)) << "no panel";
    EXPECT_TRUE(w.hideNow(true, true, true)) << "a panel came during the wait";
    EXPECT_FALSE(w.hideNow(true, false, true)) << "the panel went: the board stays out";
    EXPECT_TRUE(w.hideNow(true, true, true)) << "and back";
}

// Qt chooses once per program, at the first icon, between the watcher and the XEmbed tray.
TEST(PanelTracker, NoIconBeforeTheBusAnswersThenTheFirstPanelDecidesTheWay) {
    using K = desk::PanelTracker::Kind;
    using N = desk::PanelTracker::Notifier;
    {
        desk::PanelTracker t; // an XEmbed tray (trayer) started after the program
        t.setXEmbed(true);
        EXPECT_EQ(t.wanted(), K::None) << "the watcher's answer is awaited";
        t.setXEmbed(false);
        t.setNotifier(N::Absent);
        EXPECT_EQ(t.wanted(), K::None);
        t.setXEmbed(true);
        ASSERT_EQ(t.wanted(), K::XEmbed);
        EXPECT_FALSE(t.inPanel(false)) << "not before the icon is made";
        t.made(K::XEmbed);
        EXPECT_TRUE(t.inPanel(true));
        t.setXEmbed(false); // the tray ended
        EXPECT_EQ(t.wanted(), K::None);
        EXPECT_FALSE(t.inPanel(true));
        t.setNotifier(N::Ready);
        EXPECT_EQ(t.wanted(), K::None) << "Qt keeps to the XEmbed tray";
        t.setXEmbed(true);
        EXPECT_EQ(t.wanted(), K::XEmbed);
        EXPECT_TRUE(t.inPanel(true));
    }
    {
        desk::PanelTracker t; // a watcher with its host, an XEmbed tray beside it
        t.setXEmbed(true);
        t.setNotifier(N::Ready);
        ASSERT_EQ(t.wanted(), K::StatusNotifier);
        t.made(K::StatusNotifier);
        t.made(K::XEmbed); // the way stays
        EXPECT_EQ(t.kind(), K::StatusNotifier);
        EXPECT_TRUE(t.inPanel(true));
        t.setNotifier(N::Absent); // the panel restarts
        EXPECT_EQ(t.wanted(), K::StatusNotifier) << "Qt registers the item with the next one";
        EXPECT_FALSE(t.inPanel(true));
        t.setNotifier(N::NoHost);
        EXPECT_TRUE(t.inPanel(true));
    }
    {
        desk::PanelTracker t; // a watcher without a host goes the way Qt would: XEmbed
        t.setNotifier(N::NoHost);
        EXPECT_EQ(t.wanted(), K::None);
        t.setXEmbed(true);
        EXPECT_EQ(t.wanted(), K::XEmbed);
        t.setNotifier(N::Ready);
        EXPECT_EQ(t.wanted(), K::StatusNotifier) << "a host registered before the icon was made";
    }
}

// The icon reads the board only through its status: each state of the board in turn.
class IconOfTheBoard : public BoardFixture {
protected:
    struct Holds final : Presence {
        bool OnBreak() override { return false; }
        bool HoldsPrompts() override { return holds; }
        bool holds = false;
    };
    StatusView view() const { return desk::viewOf(board->Status()); }
    Holds holds;
};

TEST_F(IconOfTheBoard, FollowsTheBoardThroughWaitPromptsHoldSequenceAndPause) {
    TSettings s;
    s.DSTimer = 1; // quick start: the small window, training in 45 min, the watchdog in 10
    writeSettings(s);
    create();
    board->AttachPresence(&holds);
    const std::int64_t start = clock.nowMs();
    StatusView v = view();
    EXPECT_TRUE(v.timeSwitchOn && v.waitsSmall);
    EXPECT_EQ(v.sequence, -1);
    EXPECT_EQ(v.train.state, S::Counting);
    EXPECT_EQ(v.train.dueMs, start + 45 * kMin);
    EXPECT_EQ(v.dog.dueMs, start + 10 * kMin);

    seconds(600); // the watchdog's prompt: the training countdown held still beside it
    v = view();
    EXPECT_EQ(v.dog.state, S::Prompt);
    EXPECT_EQ(v.train.state, S::Stopped);
    EXPECT_FALSE(v.waitsSmall);

    seconds(7);
    holds.holds = true;
    seconds(600); // the next one falls due and waits: due in the icon, still the small window
    v = view();
    EXPECT_EQ(v.dog.state, S::Counting);
    EXPECT_EQ(desk::pictureOf(v, clock.nowMs()), StatusPicture::Due);
    EXPECT_TRUE(v.waitsSmall);

    board->SBYogaClick();
    v = view();
    EXPECT_EQ(v.sequence, 1);
    EXPECT_EQ(v.train.state, S::Off) << "a sequence stops the countdowns without a prompt";
    EXPECT_FALSE(v.waitsSmall);

    board->SBCloseClick();
    board->PauseReminders(QStringLiteral("Pause bis 15:30"));
    v = view();
    EXPECT_EQ(v.sequence, -1);
    EXPECT_EQ(v.pauseCaption, QStringLiteral("Pause bis 15:30"));
    EXPECT_EQ(desk::pictureOf(v, clock.nowMs()), StatusPicture::Paused);
    board->AttachPresence(nullptr);
}
