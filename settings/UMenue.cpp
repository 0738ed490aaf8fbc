#include "settings/UMenue.h"

#include "runtime/Clock.h"
#include "runtime/Controls.h"
#include "runtime/MessageBox.h"
#include "runtime/SpinField.h"
#include "settings/SettingsBounds.h"
#include "settings/UDaten.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include <algorithm>
#include <string_view>

namespace {

constexpr const char* kVersionSuffix = "   /   Version 01-03-2009";
constexpr int kClientWidth = 586;
constexpr int kClientHeight = 377;
constexpr const char* kStopwatchIdle = "Stopp - Uhr";

const std::array<const char*, 5> kPageCaptions{"Sound / Timer         ", "Atemübungen  ",
                                               "Körperübungen  ", "Augenübungen  ",
                                               "Entspannungsübungen "};

// Columns of the exercise pages, and the rows under the column buttons.
constexpr int kCol1 = 240;
constexpr int kCol2 = 360;
constexpr int kFirstRow = 104;

} // namespace

// One spin field: its page and place; its record field and bounds are in kSpinBounds.
struct TFMenue::FieldRow {
    const char* name;
    int page, x, y;
    bool typable = false;
};

namespace {

constexpr int kRow = 24;
constexpr int kYogRow = 23;

// In the order the window fills them when it opens: every minutes field before its seconds.
const TFMenue::FieldRow kFields[] = {
    // Sound / Timer
    {"SEdit_h1", 0, 250, 122},
    {"SEdit_m1", 0, 320, 122},
    {"SEdit_s1", 0, 390, 122},
    {"SEdit_mSTr", 0, 320, 166},
    {"SEdit_sSTr", 0, 390, 166},
    {"SEdit_h2", 0, 250, 236},
    {"SEdit_m2", 0, 320, 236},
    {"SEdit_s2", 0, 390, 236},
    {"SEdit_mS", 0, 320, 280},
    {"SEdit_sS", 0, 390, 280},
    // Breathing
    {"SEAtm1m", 1, kCol1, kFirstRow},
    {"SEAtm1s", 1, kCol2, kFirstRow},
    {"SEAtm2m", 1, kCol1, kFirstRow + kRow},
    {"SEAtm2s", 1, kCol2, kFirstRow + kRow},
    {"SEAtm3m", 1, kCol1, kFirstRow + 2 * kRow},
    {"SEAtm3s", 1, kCol2, kFirstRow + 2 * kRow},
    {"SEAtm4m", 1, kCol1, kFirstRow + 3 * kRow},
    {"SEAtm4s", 1, kCol2, kFirstRow + 3 * kRow},
    {"SEAtm5m", 1, kCol1, kFirstRow + 5 * kRow + 8},
    {"SEAtm5s", 1, kCol2, kFirstRow + 5 * kRow + 8},
    {"SEAtm6m", 1, kCol1, kFirstRow + 6 * kRow + 8},
    {"SEAtm6s", 1, kCol2, kFirstRow + 6 * kRow + 8},
    {"SEAtmZ1", 1, kCol1, kFirstRow + 4 * kRow},
    {"SEAtmZ2", 1, kCol1, kFirstRow + 7 * kRow + 8},
    // Body exercises: passes, then seconds per movement, row by row
    {"SEYog1D", 2, kCol1, kFirstRow},
    {"SEYog1s", 2, kCol2, kFirstRow},
    {"SEYog2D", 2, kCol1, kFirstRow + kYogRow},
    {"SEYog2s", 2, kCol2, kFirstRow + kYogRow},
    {"SEYog3D", 2, kCol1, kFirstRow + 2 * kYogRow},
    {"SEYog3s", 2, kCol2, kFirstRow + 2 * kYogRow},
    {"SEYog4D", 2, kCol1, kFirstRow + 3 * kYogRow},
    {"SEYog4s", 2, kCol2, kFirstRow + 3 * kYogRow},
    {"SEYog5D", 2, kCol1, kFirstRow + 4 * kYogRow},
    {"SEYog5s", 2, kCol2, kFirstRow + 4 * kYogRow},
    {"SEYog6D", 2, kCol1, kFirstRow + 5 * kYogRow},
    {"SEYog6s", 2, kCol2, kFirstRow + 5 * kYogRow},
    {"SEYog7D", 2, kCol1, kFirstRow + 6 * kYogRow},
    {"SEYog7s", 2, kCol2, kFirstRow + 6 * kYogRow},
    {"SEYog8D", 2, kCol1, kFirstRow + 7 * kYogRow},
    {"SEYog8s", 2, kCol2, kFirstRow + 7 * kYogRow},
    {"SEYog9D", 2, kCol1, kFirstRow + 8 * kYogRow},
    {"SEYog9s", 2, kCol2, kFirstRow + 8 * kYogRow},
    {"SEYog10D", 2, kCol1, kFirstRow + 9 * kYogRow},
    {"SEYog10s", 2, kCol2, kFirstRow + 9 * kYogRow},
    // Eye exercises
    {"SEAug1D", 3, kCol1, kFirstRow},
    {"SEAug1s", 3, kCol2, kFirstRow},
    {"SEAug2D", 3, kCol1, kFirstRow + kRow},
    {"SEAug2s", 3, kCol2, kFirstRow + kRow},
    {"SEAug3D", 3, kCol1, kFirstRow + 2 * kRow},
    {"SEAug3s", 3, kCol2, kFirstRow + 2 * kRow},
    {"SEAug4m", 3, kCol1, kFirstRow + 4 * kRow},
    {"SEAug4s", 3, kCol2, kFirstRow + 4 * kRow},
    // Relaxation: five regions on the left, five on the right
    {"SEEnt1m", 4, 160, kFirstRow},
    {"SEEnt1s", 4, 214, kFirstRow},
    {"SEEnt2m", 4, 160, kFirstRow + kRow},
    {"SEEnt2s", 4, 214, kFirstRow + kRow},
    {"SEEnt3m", 4, 160, kFirstRow + 2 * kRow},
    {"SEEnt3s", 4, 214, kFirstRow + 2 * kRow},
    {"SEEnt4m", 4, 160, kFirstRow + 3 * kRow},
    {"SEEnt4s", 4, 214, kFirstRow + 3 * kRow},
    {"SEEnt5m", 4, 160, kFirstRow + 4 * kRow, true},
    {"SEEnt5s", 4, 214, kFirstRow + 4 * kRow},
    {"SEEnt6m", 4, 460, kFirstRow},
    {"SEEnt6s", 4, 514, kFirstRow},
    {"SEEnt7m", 4, 460, kFirstRow + kRow},
    {"SEEnt7s", 4, 514, kFirstRow + kRow},
    {"SEEnt8m", 4, 460, kFirstRow + 2 * kRow},
    {"SEEnt8s", 4, 514, kFirstRow + 2 * kRow},
    {"SEEnt9m", 4, 460, kFirstRow + 3 * kRow},
    {"SEEnt9s", 4, 514, kFirstRow + 3 * kRow},
    {"SEEnt10m", 4, 460, kFirstRow + 4 * kRow},
    {"SEEnt10s", 4, 514, kFirstRow + 4 * kRow},
};

// Plain labels of the pages: text, page, place and width.
struct LabelRow {
    const char* text;
    int page, x, y, width;
};
const LabelRow kLabels[] = {
    {"[ 12 oder 24 ]  Stunden pro Tag", 0, 250, 18, 220},
    {"Programm startet mit aktivierter Zeitschaltuhr, der Vorspann entfällt", 0, 44, 52, 420},
    {"Automatische Trainingsauforderung", 0, 44, 86, 260},
    {"Stunden", 0, 250, 104, 64},
    {"Minuten", 0, 320, 104, 64},
    {"Sekunden", 0, 390, 104, 64},
    {"Training alle", 0, 44, 125, 200},
    {"Minuten", 0, 320, 148, 64},
    {"Sekunden", 0, 390, 148, 64},
    {"Aufforderung bleibt sichtbar für", 0, 44, 169, 200},
    {"Wächterfunktion", 0, 44, 200, 260},
    {"Stunden", 0, 250, 218, 64},
    {"Minuten", 0, 320, 218, 64},
    {"Sekunden", 0, 390, 218, 64},
    {"Der Wächter erscheint alle", 0, 44, 239, 200},
    {"Minuten", 0, 320, 262, 64},
    {"Sekunden", 0, 390, 262, 64},
    {"StayOnTop Minuten/Sekunden", 0, 44, 283, 200},
    // Breathing
    {"Gesamtzeit der Atemübungen:", 1, 16, 14, 200},
    {"einschließlich 108 sec Vor/Nachbereitungszeit", 1, 16, 32, 300},
    {"Minuten", 1, kCol1, 54, 90},
    {"Sekunden", 1, kCol2, 54, 90},
    {"Zeit aller Atemübungen:", 1, 16, 76, 200},
    {"Vollatmung: ", 1, 16, kFirstRow + 3, 90},
    {"Ausatmen:", 1, 128, kFirstRow + 3, 100},
    {"Anhalten:", 1, 128, kFirstRow + kRow + 3, 100},
    {"Einatmen:", 1, 128, kFirstRow + 2 * kRow + 3, 100},
    {"Anhalten:", 1, 128, kFirstRow + 3 * kRow + 3, 100},
    {"Anzahl der Durchgänge: ", 1, 16, kFirstRow + 4 * kRow + 3, 200},
    {"Wechselatmung: ", 1, 16, kFirstRow + 5 * kRow + 11, 110},
    {"Ausatmen: ", 1, 128, kFirstRow + 5 * kRow + 11, 100},
    {"Einatmen: ", 1, 128, kFirstRow + 6 * kRow + 11, 100},
    {"Anzahl der  Durchgänge:", 1, 16, kFirstRow + 7 * kRow + 11, 200},
    // Body exercises
    {"Gesamtzeit der Körperübungen:", 2, 16, 14, 200},
    {"einschließlich 128 sec Vor/Nachbereitungszeit", 2, 16, 32, 300},
    {"Anzahl der", 2, kCol1, 50, 100},
    {"Durchgänge", 2, kCol1, 64, 100},
    {"Sekunden ", 2, kCol2, 50, 100},
    {"pro Bewegung", 2, kCol2, 64, 100},
    {"Anzahl aller", 2, 16, 76, 200},
    {"Durchgänge:", 2, 16, 90, 200},
    {"Hände auf/zu: ", 2, 16, kFirstRow + 3, 200},
    {"Hände drehen:", 2, 16, kFirstRow + kYogRow + 3, 200},
    {"Schulter rollen:", 2, 16, kFirstRow + 2 * kYogRow + 3, 200},
    {"Kopf kreisen:", 2, 16, kFirstRow + 3 * kYogRow + 3, 200},
    {"Aufrichten 1:", 2, 16, kFirstRow + 4 * kYogRow + 3, 200},
    {"Aufrichten 2:", 2, 16, kFirstRow + 5 * kYogRow + 3, 200},
    {"Rumpf drehen:", 2, 16, kFirstRow + 6 * kYogRow + 3, 200},
    {"Beine beugen:", 2, 16, kFirstRow + 7 * kYogRow + 3, 200},
    {"Bauchmuskeln:", 2, 16, kFirstRow + 8 * kYogRow + 3, 200},
    {"Fußgelenke:", 2, 16, kFirstRow + 9 * kYogRow + 3, 200},
    // Eye exercises
    {"Gesamtzeit der Augenübungen:", 3, 16, 14, 200},
    {"einschließlich 120 sec Vor/Nachbereitungszeit", 3, 16, 32, 300},
    {"Anzahl der", 3, kCol1, 50, 100},
    {"Durchgänge", 3, kCol1, 64, 100},
    {"Sekunden", 3, kCol2, 50, 100},
    {"pro Bewegung", 3, kCol2, 64, 100},
    {"Anzahl aller:", 3, 16, 76, 100},
    {"Durchgänge", 3, 16, 90, 100},
    {"Zeiten", 3, kCol2 - 60, 83, 60},
    {"Augen wagrecht bewegen:", 3, 16, kFirstRow + 3, 200},
    {"Augen senkrecht bewegen:", 3, 16, kFirstRow + kRow + 3, 200},
    {"Augen nah/fern fokussieren:", 3, 16, kFirstRow + 2 * kRow + 3, 200},
    {"Minuten", 3, kCol1, kFirstRow + 3 * kRow + 6, 90},
    {"Sekunden", 3, kCol2, kFirstRow + 3 * kRow + 6, 90},
    {"Hände auf Augen legen:", 3, 16, kFirstRow + 4 * kRow + 3, 200},
    // Relaxation
    {"Gesamtzeit der Entspannungsübungen:", 4, 16, 14, 270},
    {"einschließlich 85sec Vor/Nachbereitungszeit", 4, 16, 32, 300},
    {"Minuten", 4, 160, 84, 54},
    {"Sekunden", 4, 214, 84, 60},
    {"Minuten", 4, 460, 84, 54},
    {"Sekunden", 4, 514, 84, 60},
    {"Alle Entspannungsübungen:", 4, 16, 240, 180},
    {"Linker Unterschenkel:", 4, 10, kFirstRow + 3, 150},
    {"Linke Oberschenkel:", 4, 10, kFirstRow + kRow + 3, 150},
    {"Bauch, unt. Rücken:", 4, 10, kFirstRow + 2 * kRow + 3, 150},
    {"Linker Arm, Schuler:t", 4, 10, kFirstRow + 3 * kRow + 3, 150},
    {"Hals-Nacken-Bereich:", 4, 10, kFirstRow + 4 * kRow + 3, 150},
    {"Rechter Unterschenkel:", 4, 300, kFirstRow + 3, 160},
    {"Rechter Oberschenkel:", 4, 300, kFirstRow + kRow + 3, 160},
    {"Brust, ob. Rücken:", 4, 300, kFirstRow + 2 * kRow + 3, 160},
    {"Rechter Arm, Schulter:", 4, 300, kFirstRow + 3 * kRow + 3, 160},
    {"Kopfbereich:", 4, 300, kFirstRow + 4 * kRow + 3, 160},
};

} // namespace

// A button that steps every field of its column by one, in order.
struct TFMenue::ColumnButton {
    const char* name;
    const char* caption;
    int step;
    int page, x, y;
    std::vector<const char*> fields;
};

namespace {

const std::vector<TFMenue::ColumnButton>& ColumnButtons() {
    static const std::vector<TFMenue::ColumnButton> buttons{
        {"BAtmenPlusM",
         "plus 1",
         1,
         1,
         kCol1,
         72,
         {"SEAtm1m", "SEAtm2m", "SEAtm3m", "SEAtm4m", "SEAtm5m", "SEAtm6m"}},
        {"BAtmenMinusM",
         "minus 1",
         -1,
         1,
         kCol1 + 58,
         72,
         {"SEAtm1m", "SEAtm2m", "SEAtm3m", "SEAtm4m", "SEAtm5m", "SEAtm6m"}},
        {"BAtmenPlusS",
         "plus 1",
         1,
         1,
         kCol2,
         72,
         {"SEAtm1s", "SEAtm2s", "SEAtm3s", "SEAtm4s", "SEAtm5s", "SEAtm6s"}},
        {"BAtmenMinusS",
         "minus 1",
         -1,
         1,
         kCol2 + 58,
         72,
         {"SEAtm1s", "SEAtm2s", "SEAtm3s", "SEAtm4s", "SEAtm5s", "SEAtm6s"}},
        {"BYogaPLus",
         "plus",
         1,
         2,
         kCol1 - 120,
         76,
         {"SEYog1D", "SEYog2D", "SEYog3D", "SEYog4D", "SEYog5D", "SEYog6D", "SEYog7D", "SEYog8D",
          "SEYog9D", "SEYog10D"}},
        {"BYogaMinus",
         "minus",
         -1,
         2,
         kCol1 - 62,
         76,
         {"SEYog1D", "SEYog2D", "SEYog3D", "SEYog4D", "SEYog5D", "SEYog6D", "SEYog7D", "SEYog8D",
          "SEYog9D", "SEYog10D"}},
        {"ButtonAugenDplus", "plus 1", 1, 3, kCol1 - 120, 80, {"SEAug1D", "SEAug2D", "SEAug3D"}},
        {"ButtonAugenDminus", "minus 1", -1, 3, kCol1 - 62, 80, {"SEAug1D", "SEAug2D", "SEAug3D"}},
        {"ButtonAugenSplus", "plus 1", 1, 3, kCol2, 80, {"SEAug1s", "SEAug2s", "SEAug3s"}},
        {"ButtonAugenSminus", "minus 1", -1, 3, kCol2 + 58, 80, {"SEAug1s", "SEAug2s", "SEAug3s"}},
        {"BEntspPlusM",
         "plus 1",
         1,
         4,
         160,
         262,
         {"SEEnt1m", "SEEnt2m", "SEEnt3m", "SEEnt4m", "SEEnt5m", "SEEnt6m", "SEEnt7m", "SEEnt8m",
          "SEEnt9m", "SEEnt10m"}},
        {"BEntspMinusM",
         "minus 1",
         -1,
         4,
         160,
         290,
         {"SEEnt1m", "SEEnt2m", "SEEnt3m", "SEEnt4m", "SEEnt5m", "SEEnt6m", "SEEnt7m", "SEEnt8m",
          "SEEnt9m", "SEEnt10m"}},
        {"BEntspPlusS",
         "plus 1",
         1,
         4,
         214,
         262,
         {"SEEnt1s", "SEEnt2s", "SEEnt3s", "SEEnt4s", "SEEnt5s", "SEEnt6s", "SEEnt7s", "SEEnt8s",
          "SEEnt9s", "SEEnt10s"}},
        {"BEntspMinusS",
         "minus 1",
         -1,
         4,
         214,
         290,
         {"SEEnt1s", "SEEnt2s", "SEEnt3s", "SEEnt4s", "SEEnt5s", "SEEnt6s", "SEEnt7s", "SEEnt8s",
          "SEEnt9s", "SEEnt10s"}},
    };
    return buttons;
}

// The stopwatch panels: display, "Start" and "Stop" of pages 1 to 4, and where they sit.
struct StopwatchRow {
    const char* panel;
    const char* display;
    const char* start;
    const char* stop;
    int x, y;
};
const std::array<StopwatchRow, 4> kStopwatches{{
    {"Panel7", "Panel8", "Button7", "Button8", 446, 200},
    {"Panel5", "Panel6", "Button5", "Button6", 446, 200},
    {"Panel3", "Panel4", "Button3", "Button4", 446, 200},
    {"Panel1", "Panel2", "Button1", "Button2", 330, 240},
}};

// The check boxes of the first page: those without a caption carry it in the label beside.
struct BoxRow {
    const char* name;
    const char* caption;
    std::uint8_t TSettings::*field;
    int x, y;
};
const std::array<BoxRow, 5> kBoxes{{
    {"CBoxSound", "Ton", &TSettings::Sound, 20, 14},
    {"CBoxText", "Text", &TSettings::Text, 100, 14},
    {"CBoxDSTimer", "", &TSettings::DSTimer, 20, 50},
    {"CBoxT1", "", &TSettings::T1On, 20, 84},
    {"CBoxT2", "", &TSettings::T2On, 20, 198},
}};

std::int64_t Seconds(const TSettings& s, bool watchdog) {
    return watchdog ? s.h2 * 3600 + s.m2 * 60 + s.s2 : s.h1 * 3600 + s.m1 * 60 + s.s1;
}

} // namespace

TFMenue::TFMenue(UDaten& daten, rt::Clock& clock)
    : Form(new rt::Form), daten_(daten), clock_(clock) {
    Warn = [this](const QString& text) { rt::showError(Form, text); };
    Confirm = [this](const QString& text) { return rt::askOkAbort(Form, text); };
    TimerStoppUhr.onTimer = [this] { TimerStoppUhrTimer(); };
    Form->onClose = [this] { FormClose(); };
    // The window manager's frame is known only once it has framed the window: the client area
    // keeps its size whatever frame comes, on the first opening as on every later one.
    Form->onGeometry = [this] { FitClientArea(); };

    Form->setBorder(rt::Form::Border::Dialog);
    TNB1 = new QTabWidget(Form);
    // All five captions in one row, blanks and all.
    TNB1->setUsesScrollButtons(false);
    TNB1->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 4px 3px; }"));
    for (int page = 0; page < int(kPageCaptions.size()); ++page) {
        auto* w = new QWidget;
        TNB1->addTab(w, QString::fromUtf8(kPageCaptions[size_t(page)]));
        for (const LabelRow& l : kLabels)
            if (l.page == page)
                rt::setBounds(new QLabel(QString::fromUtf8(l.text), w), l.x, l.y, l.width, 18);
        if (page == 0)
            CreatePage0(w);
        else
            CreateExercisePage(w, page);
    }
    FormCreate();
}

TFMenue::~TFMenue() {
    Form->onClose = nullptr;
    Form->onGeometry = nullptr;
    delete Form;
}

TSettings& TFMenue::S() {
    return daten_.Settings;
}

void TFMenue::CreatePage0(QWidget* page) {
    for (const BoxRow& b : kBoxes) {
        auto* box = new rt::CheckBox(QString::fromUtf8(b.caption), page);
        rt::setBounds(box, b.x, b.y, *b.caption ? 70 : 17, 20);
        box->onClick = [this, box, field = b.field] { S().*field = box->isChecked() ? 1 : 0; };
        boxes_.emplace_back(QString::fromLatin1(b.name), box);
    }
    auto* hours = new rt::SpinField(page, 12, 24, 12);
    hours->setObjectName(QStringLiteral("SEdit12_24"));
    rt::setBounds(hours, 180, 14, 60, 22);
    hours->onChange = [this, hours] { S().HoursPerDay = std::uint8_t(hours->value()); };
    fields_.insert(hours->objectName(), hours);

    auto* reset = new QPushButton(QStringLiteral("Reset"), page);
    rt::setBounds(reset, 480, 12, 80, 28);
    QObject::connect(reset, &QPushButton::clicked, [this] { BitBtn1Click(); });
    buttons_.emplace_back(QStringLiteral("BitBtn1"), reset);

    // Below the rows of the reminders: the settings that live in quillet.conf.
    auto* more = new QPushButton(QStringLiteral("&Weitere Einstellungen …"), page);
    rt::setBounds(more, 380, 314, 180, 28);
    QObject::connect(more, &QPushButton::clicked, [this] {
        if (OnMoreSettings)
            OnMoreSettings(Form);
    });
    buttons_.emplace_back(QStringLiteral("BtnMore"), more);

    CreateExercisePage(page, 0); // the spin fields of the first page
}

void TFMenue::CreateExercisePage(QWidget* page, int index) {
    for (const FieldRow& row : kFields) {
        if (row.page != index)
            continue;
        const SpinBounds& bounds = spinBounds(row.name);
        auto* field = new rt::SpinField(page, bounds.min, bounds.max, 1);
        field->setObjectName(QString::fromLatin1(row.name));
        field->setTypable(row.typable);
        rt::setBounds(field, row.x, row.y, 52, 22);
        field->onChange = [this, &row] { FieldChanged(row); };
        fields_.insert(field->objectName(), field);
    }
    if (index == 0)
        return;
    auto* minutes = new QLineEdit(page);
    auto* seconds = new QLineEdit(page);
    for (QLineEdit* e : {minutes, seconds}) {
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::NoFocus);
    }
    rt::setBounds(minutes, kCol1 + 60, 12, 50, 22);
    rt::setBounds(seconds, kCol2 + 60, 12, 50, 22);
    sumM_[size_t(index)] = minutes;
    sumS_[size_t(index)] = seconds;
    for (const ColumnButton& b : ColumnButtons()) {
        if (b.page != index)
            continue;
        auto* button = new QPushButton(QString::fromLatin1(b.caption), page);
        rt::setBounds(button, b.x, b.y, index == 4 ? 52 : 56, 24);
        QObject::connect(button, &QPushButton::clicked, [this, &b] { StepColumn(b); });
        buttons_.emplace_back(QString::fromLatin1(b.name), button);
    }
    const StopwatchRow& sw = kStopwatches[size_t(index - 1)];
    CreateStopwatch(page, index, sw.x, sw.y);
}

void TFMenue::CreateStopwatch(QWidget* page, int index, int left, int top) {
    const StopwatchRow& sw = kStopwatches[size_t(index - 1)];
    auto* frame = new rt::Panel(page);
    frame->setObjectName(QString::fromLatin1(sw.panel));
    frame->setColor(QColor(0xe8, 0xe4, 0xdc));
    rt::setBounds(frame, left, top, 130, 84);
    auto* display = new rt::Panel(frame);
    display->setObjectName(QString::fromLatin1(sw.display));
    display->setColor(Qt::white);
    display->setCaption(QString::fromLatin1(kStopwatchIdle));
    rt::setBounds(display, 8, 8, 114, 32);
    stopwatch_[size_t(index)] = display;
    auto* start = new QPushButton(QStringLiteral("Start"), frame);
    auto* stop = new QPushButton(QStringLiteral("Stop"), frame);
    rt::setBounds(start, 8, 48, 54, 26);
    rt::setBounds(stop, 68, 48, 54, 26);
    QObject::connect(start, &QPushButton::clicked, [this] { Button1Click(); });
    QObject::connect(stop, &QPushButton::clicked, [this] { Button2Click(); });
    buttons_.emplace_back(QString::fromLatin1(sw.start), start);
    buttons_.emplace_back(QString::fromLatin1(sw.stop), stop);
}

void TFMenue::FormCreate() {
    Form->setCaption(QStringLiteral("Menue für Einstellungen") + QString() +
                     QString::fromLatin1(kVersionSuffix));
    FitClientArea();
    rt::setBounds(TNB1, -1, 0, kClientWidth + 1, kClientHeight);
    TNB1->setCurrentIndex(0);
}

rt::SpinField* TFMenue::Field(const QString& name) const {
    return fields_.value(name, nullptr);
}

QWidget* TFMenue::Button(const QString& name) const {
    for (const auto& [n, b] : buttons_)
        if (n == name)
            return b;
    return nullptr;
}

rt::CheckBox* TFMenue::Box(const QString& name) const {
    for (const auto& [n, b] : boxes_)
        if (n == name)
            return b;
    return nullptr;
}

QString TFMenue::TotalMinutes(int page) const {
    return sumM_[size_t(page)]->text();
}
QString TFMenue::TotalSeconds(int page) const {
    return sumS_[size_t(page)]->text();
}
rt::Panel* TFMenue::StopwatchDisplay(int page) const {
    return stopwatch_[size_t(page)];
}

void TFMenue::FitClientArea() {
    if (Form->clientWidth() == kClientWidth && Form->clientHeight() == kClientHeight)
        return;
    const QMargins m = Form->frameMargins();
    const int width = kClientWidth + m.left() + m.right();
    const int height = kClientHeight + m.top() + m.bottom();
    // A new frame: the window keeps its centre.
    Form->setBounds(Form->left() - (width - Form->outerWidth()) / 2,
                    Form->top() - (height - Form->outerHeight()) / 2, width, height);
}

void TFMenue::ShowModal() {
    for (auto& [name, button] : buttons_)
        if (name == QLatin1String("BtnMore"))
            button->setEnabled(bool(OnMoreSettings));
    FormActivate();
    FitClientArea();
    open_ = true;
    Form->showModal();
    open_ = false;
}

void TFMenue::FormActivate() {
    daten_.LoadSettings();
    ResetDone = 0;
    // The values as read: filling a minutes field re-applies the seconds field's shown value,
    // which must not overwrite the value still to be filled in from the file.
    const TSettings loaded = S();
    auto box = [&](const char* name, std::uint8_t value) {
        rt::CheckBox* b = Box(QString::fromLatin1(name));
        b->setChecked(value == 1);
    };
    box("CBoxSound", loaded.Sound);
    box("CBoxText", loaded.Text);
    S().Sound = Box(QStringLiteral("CBoxSound"))->isChecked() ? 1 : 0;
    S().Text = Box(QStringLiteral("CBoxText"))->isChecked() ? 1 : 0;
    Field(QStringLiteral("SEdit12_24"))->setValue(loaded.HoursPerDay);
    S().HoursPerDay = std::uint8_t(Field(QStringLiteral("SEdit12_24"))->value());
    box("CBoxT1", loaded.T1On);
    S().T1On = loaded.T1On == 1 ? 1 : 0;
    int page = 0;
    for (const FieldRow& row : kFields) {
        if (row.page != page) {
            Total(page);
            page = row.page;
        }
        if (std::string_view(row.name) == "SEdit_h2") {
            box("CBoxT2", loaded.T2On);
            S().T2On = loaded.T2On == 1 ? 1 : 0;
        }
        rt::SpinField* field = Field(QString::fromLatin1(row.name));
        const auto word = spinBounds(row.name).word;
        field->setValue(loaded.*word);
        S().*word = std::uint16_t(field->value()); // also when the shown text was the same
    }
    Total(page);
    box("CBoxDSTimer", loaded.DSTimer);
    S().DSTimer = loaded.DSTimer == 1 ? 1 : 0;
}

void TFMenue::FieldChanged(const FieldRow& row) {
    rt::SpinField* field = Field(QString::fromLatin1(row.name));
    const int value = field->value();
    const SpinBounds& bounds = spinBounds(row.name);
    if (bounds.seconds) {
        rt::SpinField* seconds = Field(QString::fromLatin1(bounds.seconds));
        seconds->setMinValue(value <= 0 ? spinBounds(bounds.seconds).min : 0);
        seconds->setValue(seconds->value());
    }
    S().*bounds.word = std::uint16_t(std::clamp(value, 0, 0xffff));
    Total(row.page);
}

void TFMenue::Total(int page) {
    switch (page) {
    case 1:
        AtmSumme();
        break;
    case 2:
        YogSumme();
        break;
    case 3:
        AugSumme();
        break;
    case 4:
        EntSumme();
        break;
    default:
        break;
    }
}

namespace {
void Carry(std::int64_t& minutes, std::int64_t& seconds) {
    if (seconds > 59) {
        minutes += seconds / 60;
        seconds %= 60;
    }
}
} // namespace

void TFMenue::AtmSumme() {
    auto v = [this](const char* name) {
        return std::int64_t(Field(QString::fromLatin1(name))->value());
    };
    std::int64_t minutes =
        (v("SEAtm1m") + v("SEAtm2m") + v("SEAtm3m") + v("SEAtm4m")) * v("SEAtmZ1") +
        (v("SEAtm5m") + v("SEAtm6m")) * v("SEAtmZ2");
    std::int64_t seconds =
        (v("SEAtm1s") + v("SEAtm2s") + v("SEAtm3s") + v("SEAtm4s")) * v("SEAtmZ1") +
        (v("SEAtm5s") + v("SEAtm6s")) * v("SEAtmZ2") + 108;
    Carry(minutes, seconds);
    sumS_[1]->setText(QString::number(seconds));
    sumM_[1]->setText(QString::number(minutes));
}

void TFMenue::YogSumme() {
    static constexpr std::array<int, 10> kMovements{2, 6, 6, 12, 10, 10, 10, 4, 2, 6};
    std::int64_t minutes = 0;
    std::int64_t seconds = 154;
    for (int i = 0; i < 10; ++i)
        seconds += std::int64_t(Field(QStringLiteral("SEYog%1D").arg(i + 1))->value()) *
                   Field(QStringLiteral("SEYog%1s").arg(i + 1))->value() * kMovements[size_t(i)];
    Carry(minutes, seconds);
    sumM_[2]->setText(QString::number(minutes));
    sumS_[2]->setText(QString::number(seconds));
}

void TFMenue::AugSumme() {
    auto v = [this](const char* name) {
        return std::int64_t(Field(QString::fromLatin1(name))->value());
    };
    std::int64_t minutes = 0;
    std::int64_t seconds =
        (v("SEAug1D") * v("SEAug1s") + v("SEAug2D") * v("SEAug2s") + v("SEAug3D") * v("SEAug3s")) *
            4 +
        v("SEAug4s") + 120;
    Carry(minutes, seconds);
    minutes += v("SEAug4m");
    sumM_[3]->setText(QString::number(minutes));
    sumS_[3]->setText(QString::number(seconds));
}

void TFMenue::EntSumme() {
    std::int64_t minutes = 0;
    std::int64_t seconds = 85;
    for (int i = 1; i <= 10; ++i) {
        minutes += Field(QStringLiteral("SEEnt%1m").arg(i))->value();
        seconds += Field(QStringLiteral("SEEnt%1s").arg(i))->value();
    }
    Carry(minutes, seconds);
    sumS_[4]->setText(QString::number(seconds));
    sumM_[4]->setText(QString::number(minutes));
}

void TFMenue::StepColumn(const ColumnButton& button) {
    for (const char* name : button.fields) {
        rt::SpinField* field = Field(QString::fromLatin1(name));
        field->setValue(field->value() + button.step);
    }
}

void TFMenue::Button1Click() {
    StopwatchStart = clock_.nowSeconds();
    TimerStoppUhr.setEnabled(true);
}

void TFMenue::Button2Click() {
    TimerStoppUhr.setEnabled(false);
}

void TFMenue::TimerStoppUhrTimer() {
    const std::int64_t elapsed = std::max<std::int64_t>(0, clock_.nowSeconds() - StopwatchStart);
    const std::int64_t hours = elapsed / 3600;
    const std::int64_t minutes = (elapsed - hours * 3600) / 60;
    const std::int64_t seconds = elapsed - hours * 3600 - minutes * 60;
    const int page = TNB1->currentIndex();
    if (page >= 1 && page <= 4)
        stopwatch_[size_t(page)]->setCaption(
            QStringLiteral("%1 : %2 : %3").arg(hours).arg(minutes).arg(seconds));
}

void TFMenue::BitBtn1Click() {
    if (Confirm(QStringLiteral(
            "Ihre individuellen Einstellungen werden auf Standardwerte zurückgesetzt"))) {
        daten_.DefaultSettings();
        S().HelpFirst = 0;
        ResetDone = 1;
    }
    Form->close();
}

void TFMenue::FormClose() {
    const TSettings& s = S();
    if (Box(QStringLiteral("CBoxT1"))->isChecked() && Box(QStringLiteral("CBoxT2"))->isChecked() &&
        Seconds(s, true) >= Seconds(s, false))
        Warn(QStringLiteral("Die Zeit für den Wächter ist zu groß, es wird immer zuerst und damit "
                            "NUR zum Training aufgefordert!"));
    if (s.DSTimer == 1 && s.T1On == 0 && s.T2On == 0) {
        Warn(QStringLiteral("Automatische Trainingsaufforderung und Wächterfunktion werden "
                            "aktiviert."));
        S().T1On = 1;
        S().T2On = 1;
        Box(QStringLiteral("CBoxT1"))->setChecked(true);
        Box(QStringLiteral("CBoxT2"))->setChecked(true);
    }
    daten_.SaveSettings();
    TimerStoppUhr.setEnabled(false);
    for (int page = 1; page <= 4; ++page)
        stopwatch_[size_t(page)]->setCaption(QString::fromLatin1(kStopwatchIdle));
}
