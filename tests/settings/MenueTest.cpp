// The settings window with real widgets: filling on opening, the lower-bound rule, totals,
// column buttons, the stopwatch, the closing checks, the reset and what reaches the file.
#include "runtime/Clock.h"
#include "runtime/Controls.h"
#include "runtime/SpinField.h"
#include "settings/SettingsBounds.h"
#include "settings/UDaten.h"
#include "settings/UMenue.h"
#include "support/KeyLetters.h"

#include <QApplication>
#include <QFile>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTabWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <random>

class Menue : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        daten.WindowsDir = dir.path();
        daten.LocateSettingsFile();
    }
    // The window opened on a file holding `s`.
    void open(const TSettings& s = TSettings{}) {
        QFile f(daten.SettingsPath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        const SettingsBytes b = encodeSettings(s);
        f.write(reinterpret_cast<const char*>(b.data()), kSettingsSize);
        f.close();
        menue = std::make_unique<TFMenue>(daten, clock);
        menue->Warn = [this](const QString& text) { warnings << text; };
        menue->Confirm = [this](const QString&) { return confirm; };
        menue->FormActivate();
    }
    rt::SpinField& field(const char* name) {
        rt::SpinField* f = menue->Field(QString::fromLatin1(name));
        EXPECT_NE(f, nullptr) << name;
        return *f;
    }
    void click(const char* name) {
        auto* b = qobject_cast<QAbstractButton*>(menue->Button(QString::fromLatin1(name)));
        ASSERT_NE(b, nullptr) << name;
        b->click();
    }
    QString total(int page) const {
        return menue->TotalMinutes(page) + ':' + menue->TotalSeconds(page);
    }
    TSettings fileContents() const {
        QFile f(daten.SettingsPath);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        EXPECT_EQ(bytes.size(), kSettingsSize);
        SettingsBytes b{};
        std::copy_n(bytes.begin(), std::min<qsizetype>(bytes.size(), kSettingsSize), b.begin());
        return decodeSettings(b);
    }

    QTemporaryDir dir;
    UDaten daten;
    rt::ManualClock clock{12, 0, 0};
    std::unique_ptr<TFMenue> menue;
    QStringList warnings;
    bool confirm = true;
};

TEST_F(Menue, WindowAndPages) {
    open();
    EXPECT_EQ(menue->Form->caption(),
              QStringLiteral("Menue für Einstellungen   /   Version 01-03-2009"));
    EXPECT_EQ(menue->Form->clientWidth(), 586);
    EXPECT_EQ(menue->Form->clientHeight(), 377);
    const QStringList captions{"Sound / Timer         ", "Atemübungen  ", "Körperübungen  ",
                               "Augenübungen  ", "Entspannungsübungen "};
    ASSERT_EQ(menue->TNB1->count(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(menue->TNB1->tabText(i), captions[i]);
    EXPECT_EQ(menue->TNB1->currentIndex(), 0);
}

TEST_F(Menue, TotalsFollowTheFields) {
    open();
    EXPECT_EQ(total(1), "5:0");
    EXPECT_EQ(total(2), "7:30");
    EXPECT_EQ(total(3), "5:0");
    EXPECT_EQ(total(4), "5:0");

    // Breathing with every step at 0:01 and one pass each: 6 + 108 s.
    for (const char* m : {"SEAtm1m", "SEAtm2m", "SEAtm3m", "SEAtm4m", "SEAtm5m", "SEAtm6m"})
        field(m).setValue(0);
    for (const char* s : {"SEAtm1s", "SEAtm2s", "SEAtm3s", "SEAtm4s", "SEAtm6s"})
        field(s).setValue(1);
    field("SEAtm5s").setValue(1); // its lower bound is 2
    field("SEAtmZ1").setValue(1);
    field("SEAtmZ2").setValue(1);
    EXPECT_EQ(field("SEAtm5s").value(), 2);
    field("SEAtm5s").setMinValue(1); // as if the bound allowed it: 6 seconds in all
    field("SEAtm5s").setValue(1);
    EXPECT_EQ(total(1), "1:54");
    // The carry: 119 seconds are 1:59, 120 are 2:0.
    field("SEAtm1s").setValue(6);
    EXPECT_EQ(total(1), "1:59");
    field("SEAtm1s").setValue(7);
    EXPECT_EQ(total(1), "2:0");

    // Every pass count and every second at 1 (the abdomen's seconds cannot go below 2).
    for (int i = 1; i <= 10; ++i) {
        field(QStringLiteral("SEYog%1D").arg(i).toLatin1()).setValue(1);
        field(QStringLiteral("SEYog%1s").arg(i).toLatin1()).setValue(1);
    }
    EXPECT_EQ(field("SEYog9s").value(), 2);
    EXPECT_EQ(total(2), "3:44"); // 2 seconds more for the abdomen
    EXPECT_EQ(daten.Settings.Yog9s, 2);
    field("SEYog9s").setMinValue(1);
    field("SEYog9s").setValue(1);
    EXPECT_EQ(total(2), "3:42"); // 2 + 6 + 6 + 12 + 10 + 10 + 10 + 4 + 2 + 6 + 154
}

TEST_F(Menue, MinutesAtZeroRaiseTheSecondsLowerBound) {
    TSettings s;
    s.Ent3m = 1;
    s.Ent3s = 0;
    open(s);
    EXPECT_EQ(field("SEEnt3s").value(), 0);
    const QString before = total(4);
    field("SEEnt3m").setValue(0);
    EXPECT_EQ(field("SEEnt3s").value(), 15);
    EXPECT_EQ(daten.Settings.Ent3s, 15);
    EXPECT_EQ(daten.Settings.Ent3m, 0);
    EXPECT_EQ(before, "5:40");
    EXPECT_EQ(total(4), "4:55"); // 45 seconds less

    // Palming (1:00 by default) cannot be set to 0:00: at 0 minutes it lasts 5 s at least.
    field("SEAug4m").setValue(0);
    EXPECT_EQ(field("SEAug4s").value(), 5);
    EXPECT_EQ(daten.Settings.Aug4s, 5);
    field("SEAug4s").stepBy(-1);
    EXPECT_EQ(daten.Settings.Aug4s, 5);
    EXPECT_EQ(daten.Settings.Aug4m * 60 + daten.Settings.Aug4s, 5);
}

TEST_F(Menue, FillingTheWindowKeepsEverySecondsValueOfTheFile) {
    // The seconds field still shows 0 from an earlier opening with minutes; filling the
    // minutes first must not put its raised value into the record before the file's is shown.
    TSettings s;
    s.m1 = 1;
    s.s1 = 0;
    open(s);
    EXPECT_EQ(field("SEdit_s1").value(), 0);
    menue->FormClose();
    TSettings next;
    next.m1 = 0;
    next.s1 = 30;
    open(next);
    EXPECT_EQ(field("SEdit_s1").value(), 30);
    EXPECT_EQ(daten.Settings.s1, 30);
}

TEST_F(Menue, ColumnButtonsStepEveryFieldAndStopAtTheBounds) {
    open();
    click("BEntspMinusS"); // every seconds field from 20 to 19
    EXPECT_EQ(daten.Settings.Ent1s, 19);
    EXPECT_EQ(daten.Settings.Ent10s, 34);
    for (int i = 0; i < 10; ++i)
        click("BEntspMinusS");
    EXPECT_EQ(field("SEEnt1s").value(), 15);
    EXPECT_EQ(field("SEEnt10s").value(), 30);
    const QString atBounds = total(4);
    click("BEntspMinusS");
    EXPECT_EQ(total(4), atBounds) << "fields at their bound stay there";

    click("BYogaPLus");
    EXPECT_EQ(daten.Settings.Yog1D, 5);
    EXPECT_EQ(daten.Settings.Yog10D, 5);
    click("ButtonAugenSminus");
    click("ButtonAugenSminus");
    click("ButtonAugenSminus");
    EXPECT_EQ(daten.Settings.Aug1s, 1);
}

TEST_F(Menue, OnlyTheNeckMinutesCanBeTyped) {
    open();
    rt::SpinField& neck = field("SEEnt5m");
    neck.editor()->setText(QStringLiteral("abc"));
    EXPECT_EQ(neck.value(), 0);
    EXPECT_EQ(daten.Settings.Ent5m, 0);
    // While the typed number is still shown, the record and the total already hold the
    // bounded one; the text follows when the field loses the focus.
    neck.editor()->setText(QStringLiteral("99"));
    EXPECT_EQ(neck.value(), 60);
    EXPECT_EQ(daten.Settings.Ent5m, 60);
    EXPECT_EQ(total(4), "65:0");
    neck.editor()->setText(QStringLiteral("75"));
    EXPECT_EQ(daten.Settings.Ent5m, 60);
    QFocusEvent focusOut(QEvent::FocusOut);
    QApplication::sendEvent(&neck, &focusOut);
    EXPECT_EQ(neck.editor()->text(), QStringLiteral("60"));
    EXPECT_EQ(daten.Settings.Ent5m, 60);
    // Closing with the typed number still shown (Escape) saves the bounded one.
    neck.editor()->setText(QStringLiteral("99"));
    menue->FormClose();
    EXPECT_EQ(fileContents().Ent5m, 60);
    EXPECT_TRUE(field("SEEnt4m").editor()->isReadOnly());
    EXPECT_FALSE(neck.editor()->isReadOnly());
}

TEST_F(Menue, SpinFieldIsBoundedUnlessBothBoundsAreEqual) {
    QWidget parent;
    rt::SpinField f(&parent, 5, 59);
    int changes = 0;
    f.onChange = [&] { ++changes; };
    f.setValue(70);
    EXPECT_EQ(f.value(), 59);
    f.setValue(59);
    EXPECT_EQ(changes, 1) << "the same text again is no change";
    f.stepBy(1);
    EXPECT_EQ(f.value(), 59);
    f.setValue(-3);
    EXPECT_EQ(f.value(), 5);
    rt::SpinField free(&parent, 0, 0);
    free.setValue(1234);
    EXPECT_EQ(free.value(), 1234);
    rt::SpinField hours(&parent, 12, 24, 12);
    hours.setValue(12);
    hours.stepBy(1);
    EXPECT_EQ(hours.value(), 24);
}

TEST_F(Menue, ClosingWarnsWhenTheWatchdogComesNoEarlierThanTheTraining) {
    TSettings s;
    s.m1 = 10;
    s.m2 = 10; // equal counts as too large
    open(s);
    menue->FormClose();
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].startsWith("Die Zeit für den Wächter ist zu groß"));

    warnings.clear();
    s.m2 = 9;
    s.s2 = 59;
    open(s);
    menue->FormClose();
    EXPECT_TRUE(warnings.isEmpty());
}

TEST_F(Menue, QuickStartWithoutRemindersSwitchesThemOn) {
    TSettings s;
    s.DSTimer = 1;
    s.T1On = 0;
    s.T2On = 0;
    open(s);
    menue->FormClose();
    EXPECT_EQ(warnings, QStringList{"Automatische Trainingsaufforderung und Wächterfunktion "
                                    "werden aktiviert."});
    EXPECT_EQ(fileContents().T1On, 1);
    EXPECT_EQ(fileContents().T2On, 1);
    EXPECT_TRUE(menue->Box("CBoxT1")->isChecked());

    warnings.clear();
    s.DSTimer = 0;
    open(s);
    menue->FormClose();
    EXPECT_TRUE(warnings.isEmpty());
    EXPECT_EQ(fileContents().T1On, 0);
}

TEST_F(Menue, ChangesReachTheFileByteForByteOnClosing) {
    open();
    field("SEAtm1s").setValue(9);
    field("SEYog4D").setValue(3);
    field("SEdit12_24").stepBy(-1);
    menue->Box("CBoxSound")->click();
    EXPECT_NE(fileContents().Atm1s, 9) << "nothing is written before the window closes";
    menue->FormClose();
    TSettings expected;
    expected.Atm1s = 9;
    expected.Yog4D = 3;
    expected.HoursPerDay = 12;
    expected.Sound = 0;
    expected.Passwort = daten.Settings.Passwort;
    QFile f(daten.SettingsPath);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const SettingsBytes want = encodeSettings(expected);
    EXPECT_EQ(f.readAll(), QByteArray(reinterpret_cast<const char*>(want.data()), kSettingsSize));
}

TEST_F(Menue, ResetWithOkWritesTheDefaultsAndAsksForASecondShowing) {
    TSettings s;
    s.Atm1s = 30;
    s.HelpFirst = 1;
    open(s);
    menue->Form->show();
    confirm = true;
    click("BitBtn1");
    EXPECT_FALSE(menue->Form->isVisible());
    EXPECT_EQ(menue->ResetDone, 1);
    EXPECT_EQ(fileContents().Atm1s, TSettings{}.Atm1s);
    EXPECT_EQ(fileContents().HelpFirst, 0);
    // The second showing fills in the defaults, and a new opening clears the flag.
    menue->FormActivate();
    EXPECT_EQ(menue->ResetDone, 0);
    EXPECT_EQ(field("SEAtm1s").value(), 5);
}

TEST_F(Menue, ResetWithAbortClosesAndSavesWhatWasSet) {
    open();
    menue->Form->show();
    field("SEAtm1s").setValue(12);
    confirm = false;
    click("BitBtn1");
    EXPECT_FALSE(menue->Form->isVisible());
    EXPECT_EQ(menue->ResetDone, 0);
    EXPECT_EQ(fileContents().Atm1s, 12);
}

TEST_F(Menue, StopwatchCountsWholeSecondsBeyondSixteenBitsAndADay) {
    open();
    menue->TNB1->setCurrentIndex(4);
    clock.advanceMs(900);
    menue->Button1Click();
    EXPECT_TRUE(menue->TimerStoppUhr.enabled());
    clock.advanceMs(15'100);
    menue->TimerStoppUhrTimer();
    EXPECT_EQ(menue->StopwatchDisplay(4)->caption(), QStringLiteral("0 : 0 : 16"));

    menue->TNB1->setCurrentIndex(2);
    menue->Button1Click();
    clock.advance(3661);
    menue->TimerStoppUhrTimer();
    EXPECT_EQ(menue->StopwatchDisplay(2)->caption(), QStringLiteral("1 : 1 : 1"));
    menue->Button2Click();
    EXPECT_FALSE(menue->TimerStoppUhr.enabled());
    EXPECT_EQ(menue->StopwatchDisplay(2)->caption(), QStringLiteral("1 : 1 : 1"));
    menue->Button1Click();
    clock.advance(25 * 3600 + 70'000);
    menue->TimerStoppUhrTimer();
    EXPECT_EQ(menue->StopwatchDisplay(2)->caption(), QStringLiteral("44 : 26 : 40"));

    // Page 0 shows nothing; closing clears every display.
    menue->Button1Click();
    menue->TNB1->setCurrentIndex(0);
    menue->TimerStoppUhrTimer();
    menue->FormClose();
    EXPECT_FALSE(menue->TimerStoppUhr.enabled());
    for (int page = 1; page <= 4; ++page)
        EXPECT_EQ(menue->StopwatchDisplay(page)->caption(), QStringLiteral("Stopp - Uhr"));
}

TEST_F(Menue, ActivatingTheOpenWindowAgainKeepsWhatWasChanged) {
    open();
    menue->Form->show();
    field("SEAtm1s").setValue(33);
    // As after one of the window's own message boxes: the window is activated again.
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(menue->Form, &activate);
    QApplication::processEvents();
    EXPECT_EQ(field("SEAtm1s").value(), 33);
    EXPECT_EQ(daten.Settings.Atm1s, 33);
    menue->Form->hide();
}

TEST_F(Menue, OutOfRangeValuesOfTheFileAreBroughtIntoRange) {
    TSettings s;
    s.Yog3D = 5000;
    s.Ent10s = 3;
    s.HoursPerDay = 30;
    open(s);
    EXPECT_EQ(daten.Settings.Yog3D, 999);
    EXPECT_EQ(daten.Settings.Ent10s, 30);
    EXPECT_EQ(daten.Settings.HoursPerDay, 24);
}

TEST_F(Menue, TheWindowShowsAnyRecordAsReadingTheFileBoundedIt) {
    // Reading the file and the window agree on every bound: opening the window on whatever
    // reading made of a record changes nothing more.
    std::mt19937 random(8122026);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 40; ++round) {
        SettingsBytes bytes{};
        for (auto& b : bytes)
            b = std::uint8_t(byte(random));
        TSettings expected = decodeSettings(bytes);
        boundSettings(expected);
        open(decodeSettings(bytes));
        EXPECT_EQ(daten.Settings, expected) << "round " << round;
        menue->FormClose();
        EXPECT_EQ(fileContents(), expected) << "closing the window saves the bounded values";
    }
}

namespace {

// Where a control of a page shows something: a label only where its line of text stands.
QRect Occupied(const QWidget* w) {
    const auto* label = qobject_cast<const QLabel*>(w);
    if (!label)
        return w->geometry();
    const QFontMetrics fm = label->fontMetrics();
    const QRect text = QStyle::alignedRect(label->layoutDirection(), label->alignment(),
                                           QSize(fm.horizontalAdvance(label->text()), fm.height()),
                                           label->contentsRect());
    return text.translated(label->pos()).intersected(label->geometry());
}

QString Describe(const QWidget* w) {
    const auto* label = qobject_cast<const QLabel*>(w);
    const auto* button = qobject_cast<const QAbstractButton*>(w);
    const QString name = label ? label->text() : button ? button->text() : w->objectName();
    const QRect r = Occupied(w);
    return QStringLiteral("\"%1\" %2,%3 %4x%5")
        .arg(name)
        .arg(r.x())
        .arg(r.y())
        .arg(r.width())
        .arg(r.height());
}

} // namespace

TEST_F(Menue, NoTwoControlsOfAPageOverlap) {
    open();
    for (int page = 0; page < menue->TNB1->count(); ++page) {
        const QList<QWidget*> controls =
            menue->TNB1->widget(page)->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (int i = 0; i < controls.size(); ++i)
            for (int j = i + 1; j < controls.size(); ++j)
                EXPECT_FALSE(Occupied(controls[i]).intersects(Occupied(controls[j])))
                    << "page " << page << ": " << Describe(controls[i]).toStdString() << " and "
                    << Describe(controls[j]).toStdString();
    }
}

TEST_F(Menue, EachPageTakesEachUnderlinedLetterOnce) {
    open();
    for (int page = 0; page < menue->TNB1->count(); ++page) {
        menue->TNB1->setCurrentIndex(page);
        EXPECT_EQ(keys::sharedLetters(keys::textsOf(*menue->Form)), "") << "page " << page;
    }
}

TEST_F(Menue, EveryMinutesAndSecondsFieldOfTheFirstPageHasItsHeadingRightAbove) {
    open();
    QWidget* page = menue->TNB1->widget(0);
    const QList<QLabel*> labels = page->findChildren<QLabel*>();
    const std::pair<const char*, const char*> columns[] = {
        {"SEdit_m1", "Minuten"},    {"SEdit_s1", "Sekunden"}, {"SEdit_mSTr", "Minuten"},
        {"SEdit_sSTr", "Sekunden"}, {"SEdit_m2", "Minuten"},  {"SEdit_s2", "Sekunden"},
        {"SEdit_mS", "Minuten"},    {"SEdit_sS", "Sekunden"}};
    for (const auto& [name, heading] : columns) {
        const QRect f = field(name).geometry();
        // The nearest label above the field in its column.
        const QLabel* above = nullptr;
        for (const QLabel* l : labels)
            if (l->geometry().bottom() < f.top() && l->x() < f.right() &&
                l->geometry().right() > f.left() && (!above || l->y() > above->y()))
                above = l;
        ASSERT_NE(above, nullptr) << name;
        EXPECT_EQ(above->text(), QString::fromLatin1(heading)) << name;
        EXPECT_LE(f.top() - above->geometry().bottom(), 6) << name << ": the heading is too far";
    }
}
