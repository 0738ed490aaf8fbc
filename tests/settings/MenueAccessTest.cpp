// The settings window as a screen reader reads it, through Qt's accessibility interfaces: what
// every control is called, and the number a spin field reports as its value.
#include "runtime/Clock.h"
#include "runtime/Controls.h"
#include "runtime/SpinField.h"
#include "settings/UDaten.h"
#include "settings/UMenue.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTabBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

// Every accessible object below `node`, as a screen reader walks the tree (hidden pages too).
void walk(QAccessibleInterface* node, std::vector<QAccessibleInterface*>& all) {
    all.push_back(node);
    for (int i = 0; i < node->childCount(); ++i)
        if (QAccessibleInterface* child = node->child(i))
            walk(child, all);
}

QAccessibleInterface* accessible(QObject* o) {
    return QAccessible::queryAccessibleInterface(o);
}

} // namespace

class SettingsForScreenReaders : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        daten.WindowsDir = dir.path();
        daten.LocateSettingsFile();
        menue = std::make_unique<TFMenue>(daten, clock);
        menue->Warn = [](const QString&) {};
        menue->FormActivate();
    }
    rt::SpinField& field(const char* name) {
        rt::SpinField* f = menue->Field(QString::fromLatin1(name));
        EXPECT_NE(f, nullptr) << name;
        return *f;
    }
    QAccessibleValueInterface* value(const char* name) {
        return accessible(&field(name))->valueInterface();
    }

    QTemporaryDir dir;
    UDaten daten;
    rt::ManualClock clock{12, 0, 0};
    std::unique_ptr<TFMenue> menue;
};

TEST_F(SettingsForScreenReaders, EveryControlHasANameOfItsOwnFromTheTextsBesideIt) {
    std::vector<QAccessibleInterface*> all;
    walk(accessible(menue->Form), all);
    std::map<QAccessible::Role, int> counted;
    std::map<QString, QObject*> byName;
    for (QAccessibleInterface* a : all) {
        const QAccessible::Role role = a->role();
        const bool total = role == QAccessible::EditableText && a->state().readOnly;
        // The tab bar's scroll arrows are Qt's own, and this window never shows them.
        const bool tabArrow = a->object() && qobject_cast<QTabBar*>(a->object()->parent());
        if ((role != QAccessible::SpinBox && role != QAccessible::CheckBox &&
             role != QAccessible::PushButton && !total) ||
            tabArrow)
            continue;
        ++counted[role];
        const QString name = a->text(QAccessible::Name);
        EXPECT_FALSE(name.trimmed().isEmpty()) << a->object()->objectName().toStdString();
        const auto [at, added] = byName.emplace(name, a->object());
        EXPECT_TRUE(added) << "twice: " << name.toStdString();
    }
    // All of them were reached: the pages not shown as well.
    EXPECT_EQ(counted[QAccessible::SpinBox], 73);
    EXPECT_EQ(counted[QAccessible::CheckBox], 5);
    EXPECT_EQ(counted[QAccessible::EditableText], 8);
    EXPECT_EQ(counted[QAccessible::PushButton], 24);

    // Row and column as the pages show them, in whole words where a label abbreviates or
    // misspells them.
    const std::pair<const char*, QObject*> named[] = {
        {"Stunden pro Tag, 12 oder 24", &field("SEdit12_24")},
        {"Training alle, Stunden", &field("SEdit_h1")},
        {"Aufforderung bleibt sichtbar für, Sekunden", &field("SEdit_sSTr")},
        {"Der Wächter erscheint alle, Minuten", &field("SEdit_m2")},
        {"Wächter bleibt sichtbar für, Sekunden", &field("SEdit_sS")},
        {"Vollatmung, Ausatmen, Minuten", &field("SEAtm1m")},
        {"Vollatmung, Anhalten, Sekunden", &field("SEAtm2s")},
        {"Vollatmung, zweites Anhalten, Minuten", &field("SEAtm4m")},
        {"Vollatmung, Anzahl der Durchgänge", &field("SEAtmZ1")},
        {"Wechselatmung, Einatmen, Sekunden", &field("SEAtm6s")},
        {"Wechselatmung, Anzahl der Durchgänge", &field("SEAtmZ2")},
        {"Hände auf und zu, Anzahl der Durchgänge", &field("SEYog1D")},
        {"Rumpf drehen, Sekunden pro Bewegung", &field("SEYog7s")},
        {"Augen waagrecht bewegen, Sekunden pro Bewegung", &field("SEAug1s")},
        {"Hände auf Augen legen, Minuten", &field("SEAug4m")},
        {"Linker Arm, Schulter, Minuten", &field("SEEnt4m")},
        {"Brust, oberer Rücken, Sekunden", &field("SEEnt8s")},
        {"Kopfbereich, Sekunden", &field("SEEnt10s")},
        {"Programm startet mit aktivierter Zeitschaltuhr, der Vorspann entfällt",
         menue->Box(QStringLiteral("CBoxDSTimer"))},
        {"Automatische Trainingsaufforderung", menue->Box(QStringLiteral("CBoxT1"))},
        {"Wächterfunktion", menue->Box(QStringLiteral("CBoxT2"))},
        {"Ton", menue->Box(QStringLiteral("CBoxSound"))},
        {"Atemübungen: alle Minuten plus 1", menue->Button(QStringLiteral("BAtmenPlusM"))},
        {"Körperübungen: alle Durchgänge minus 1", menue->Button(QStringLiteral("BYogaMinus"))},
        {"Augenübungen: alle Sekunden pro Bewegung plus 1",
         menue->Button(QStringLiteral("ButtonAugenSplus"))},
        {"Entspannungsübungen: alle Sekunden minus 1",
         menue->Button(QStringLiteral("BEntspMinusS"))},
        {"Körperübungen: Stoppuhr Start", menue->Button(QStringLiteral("Button5"))},
        {"Reset", menue->Button(QStringLiteral("BitBtn1"))},
    };
    for (const auto& [name, object] : named) {
        ASSERT_NE(object, nullptr) << name;
        EXPECT_EQ(byName[QString::fromUtf8(name)], object) << name;
    }
    // The totals, with what they include.
    QObject* total = byName[QStringLiteral("Gesamtzeit der Entspannungsübungen, Sekunden")];
    ASSERT_NE(total, nullptr);
    EXPECT_EQ(accessible(total)->text(QAccessible::Description),
              QStringLiteral("einschließlich 85 Sekunden Vor- und Nachbereitungszeit"));
    EXPECT_NE(byName[QStringLiteral("Gesamtzeit der Atemübungen, Minuten")], nullptr);
    // A button's description says what it does.
    EXPECT_EQ(
        accessible(menue->Button(QStringLiteral("BEntspPlusM")))->text(QAccessible::Description),
        QStringLiteral("Erhöht jeden der 10 Werte dieser Spalte um 1"));
}

// Qt's spin box interface reports the numbers a screen reader reads on a change of the value
// (Orca speaks a focused spin field's new value only when that number changed). The change
// event itself goes only to a platform with an accessibility bridge (AT-SPI), which the
// offscreen platform lacks; tests/wm/screen-reader.py watches it arrive.
TEST_F(SettingsForScreenReaders, ASpinFieldReportsItsNumberAndBoundsAsTheyChange) {
    rt::SpinField& breath = field("SEAtm1s");
    QAccessibleValueInterface* v = value("SEAtm1s");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->currentValue().toInt(), breath.value());
    EXPECT_EQ(v->maximumValue().toInt(), 59);
    EXPECT_EQ(v->minimumStepSize().toInt(), 1);

    // The arrow keys, as the user presses them.
    const int before = breath.value();
    QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QApplication::sendEvent(&breath, &up);
    ASSERT_EQ(breath.value(), before + 1);
    EXPECT_EQ(v->currentValue().toInt(), before + 1);
    EXPECT_EQ(accessible(&breath)->text(QAccessible::Value), QString::number(before + 1));

    // Typed into the one field that takes typing, and stepped by a column button.
    rt::SpinField& neck = field("SEEnt5m");
    neck.editor()->setText(QStringLiteral("7"));
    EXPECT_EQ(value("SEEnt5m")->currentValue().toInt(), 7);
    qobject_cast<QAbstractButton*>(menue->Button(QStringLiteral("BEntspPlusM")))->click();
    EXPECT_EQ(value("SEEnt5m")->currentValue().toInt(), 8);

    // The seconds' lower bound holds while the minutes are 0, and the interface follows it.
    field("SEEnt3m").setValue(1);
    EXPECT_EQ(value("SEEnt3s")->minimumValue().toInt(), 0);
    field("SEEnt3m").setValue(0);
    EXPECT_EQ(value("SEEnt3s")->minimumValue().toInt(), 15);
    EXPECT_EQ(value("SEEnt3s")->currentValue().toInt(), field("SEEnt3s").value());
    // The hours per day go by twelve.
    EXPECT_EQ(value("SEdit12_24")->minimumStepSize().toInt(), 12);
}
