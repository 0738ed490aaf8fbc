#include "settings/UMenue.h"

#include "runtime/Accessibility.h"
#include "runtime/Clock.h"
#include "runtime/Controls.h"
#include "runtime/MessageBox.h"
#include "runtime/ProgramTexts.h"
#include "runtime/SpinField.h"
#include "settings/SettingsBounds.h"
#include "settings/UDaten.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>

#include <algorithm>
#include <string_view>

namespace {

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

// The texts of the pages that also name controls: a screen reader reads a control by the row
// and the column a sighted user reads it by, so both come from the same text.
constexpr const char* kHours = "Stunden";
constexpr const char* kMinutes = "Minuten";
constexpr const char* kSeconds = "Sekunden";
// Sound / Timer
constexpr const char* kHoursPerDay = "[ 12 oder 24 ]  Stunden pro Tag";
constexpr const char* kQuickStart =
    "Programm startet mit aktivierter Zeitschaltuhr, der Vorspann entfällt";
constexpr const char* kPrompts = "Automatische Trainingsauforderung";
constexpr const char* kPromptEvery = "Training alle";
constexpr const char* kPromptShown = "Aufforderung bleibt sichtbar für";
constexpr const char* kWatchdog = "Wächterfunktion";
constexpr const char* kWatchdogEvery = "Der Wächter erscheint alle";
constexpr const char* kWatchdogShown = "StayOnTop Minuten/Sekunden";
// Breathing
constexpr const char* kAtmTotal = "Gesamtzeit der Atemübungen:";
constexpr const char* kAtmExtra = "einschließlich 108 sec Vor/Nachbereitungszeit";
constexpr const char* kFull = "Vollatmung: ";
constexpr const char* kFullOut = "Ausatmen:";
constexpr const char* kFullHold = "Anhalten:";
constexpr const char* kFullIn = "Einatmen:";
// The second row "Anhalten:" of the full breath, told apart from the first.
constexpr const char* kFullHoldAgain = "zweites Anhalten";
constexpr const char* kFullPasses = "Anzahl der Durchgänge: ";
constexpr const char* kAlternate = "Wechselatmung: ";
constexpr const char* kAlternateOut = "Ausatmen: ";
constexpr const char* kAlternateIn = "Einatmen: ";
constexpr const char* kAlternatePasses = "Anzahl der  Durchgänge:";
// The headings of the pass and time columns of the body and eye exercises, in two lines each.
constexpr const char* kPassesAbove = "Anzahl der";
constexpr const char* kPassesBelow = "Durchgänge";
constexpr const char* kPerMoveAbove = "Sekunden ";
constexpr const char* kPerMoveBelow = "pro Bewegung";
// Body exercises
constexpr const char* kYogTotal = "Gesamtzeit der Körperübungen:";
constexpr const char* kYogExtra = "einschließlich 128 sec Vor/Nachbereitungszeit";
const std::array<const char*, 10> kYogRows{
    "Hände auf/zu: ", "Hände drehen:", "Schulter rollen:", "Kopf kreisen:", "Aufrichten 1:",
    "Aufrichten 2:",  "Rumpf drehen:", "Beine beugen:",    "Bauchmuskeln:", "Fußgelenke:"};
// Eye exercises
constexpr const char* kAugTotal = "Gesamtzeit der Augenübungen:";
constexpr const char* kAugExtra = "einschließlich 120 sec Vor/Nachbereitungszeit";
const std::array<const char*, 3> kAugRows{
    "Augen wagrecht bewegen:", "Augen senkrecht bewegen:", "Augen nah/fern fokussieren:"};
constexpr const char* kPalming = "Hände auf Augen legen:";
// Relaxation: five regions on the left, five on the right
constexpr const char* kEntTotal = "Gesamtzeit der Entspannungsübungen:";
constexpr const char* kEntExtra = "einschließlich 85sec Vor/Nachbereitungszeit";
const std::array<const char*, 10> kEntRows{"Linker Unterschenkel:",  "Linke Oberschenkel:",
                                           "Bauch, unt. Rücken:",    "Linker Arm, Schuler:t",
                                           "Hals-Nacken-Bereich:",   "Rechter Unterschenkel:",
                                           "Rechter Oberschenkel:",  "Brust, ob. Rücken:",
                                           "Rechter Arm, Schulter:", "Kopfbereich:"};

// The total of each exercise page (1 .. 4), and what it includes.
const std::array<std::pair<const char*, const char*>, 5> kTotals{{
    {nullptr, nullptr},
    {kAtmTotal, kAtmExtra},
    {kYogTotal, kYogExtra},
    {kAugTotal, kAugExtra},
    {kEntTotal, kEntExtra},
}};

// A text of the window as a screen reader says it: whole words where the page abbreviates or
// misspells them, without the colons and blanks of the layout.
QString spoken(const char* shown) {
    static const std::pair<const char*, const char*> kWords[] = {
        {"[ 12 oder 24 ]  Stunden pro Tag", "Stunden pro Tag, 12 oder 24"},
        {"StayOnTop Minuten/Sekunden", "Wächter bleibt sichtbar für"},
        {"Trainingsauforderung", "Trainingsaufforderung"},
        {"Vor/Nachbereitungszeit", "Vor- und Nachbereitungszeit"},
        {"auf/zu", "auf und zu"},
        {"nah/fern", "nah und fern"},
        {"wagrecht", "waagrecht"},
        {"Linke Oberschenkel", "Linker Oberschenkel"},
        {"unt. Rücken", "unterer Rücken"},
        {"ob. Rücken", "oberer Rücken"},
        {"Schuler:t", "Schulter"},
        {"Stopp - Uhr", "Stoppuhr"},
    };
    QString s = QString::fromUtf8(shown);
    for (const auto& [word, said] : kWords)
        s.replace(QString::fromUtf8(word), QString::fromUtf8(said));
    static const QRegularExpression kSec(QStringLiteral("(\\d)\\s*sec\\b"));
    s.replace(kSec, QStringLiteral("\\1 Sekunden"));
    s = s.simplified();
    while (s.endsWith(QLatin1Char(':')))
        s.chop(1);
    return s.trimmed();
}

// The name of an exercise page as a screen reader says it ("Atemübungen").
QString pageName(int page) {
    return spoken(kPageCaptions[size_t(page)]);
}

} // namespace

// What a control is called: the texts of its row and column, each said as in spoken(); a
// heading of two lines is read as one.
struct TFMenue::Said {
    const char* group = nullptr;
    const char* row = nullptr;
    const char* column = nullptr;
    const char* columnBelow = nullptr;

    QString text() const {
        QStringList parts;
        for (const char* part : {group, row})
            if (part)
                parts << spoken(part);
        if (column)
            parts << (columnBelow ? spoken(column) + QLatin1Char(' ') + spoken(columnBelow)
                                  : spoken(column));
        return parts.join(QStringLiteral(", "));
    }
};

// One spin field: its page and place, and what it is called; its record field and bounds are
// in kSpinBounds.
struct TFMenue::FieldRow {
    const char* name;
    int page, x, y;
    Said said;
    bool typable = false;
};

namespace {

constexpr int kRow = 24;
constexpr int kYogRow = 23;

using Said = TFMenue::Said;

// The columns of the pass counts and of the seconds per movement.
constexpr Said passes(const char* row) {
    return {nullptr, row, kPassesAbove, kPassesBelow};
}
constexpr Said perMove(const char* row, const char* above = kPerMoveAbove) {
    return {nullptr, row, above, kPerMoveBelow};
}

// In the order the window fills them when it opens: every minutes field before its seconds.
const TFMenue::FieldRow kFields[] = {
    // Sound / Timer
    {"SEdit_h1", 0, 250, 122, {nullptr, kPromptEvery, kHours}},
    {"SEdit_m1", 0, 320, 122, {nullptr, kPromptEvery, kMinutes}},
    {"SEdit_s1", 0, 390, 122, {nullptr, kPromptEvery, kSeconds}},
    {"SEdit_mSTr", 0, 320, 166, {nullptr, kPromptShown, kMinutes}},
    {"SEdit_sSTr", 0, 390, 166, {nullptr, kPromptShown, kSeconds}},
    {"SEdit_h2", 0, 250, 236, {nullptr, kWatchdogEvery, kHours}},
    {"SEdit_m2", 0, 320, 236, {nullptr, kWatchdogEvery, kMinutes}},
    {"SEdit_s2", 0, 390, 236, {nullptr, kWatchdogEvery, kSeconds}},
    {"SEdit_mS", 0, 320, 280, {nullptr, kWatchdogShown, kMinutes}},
    {"SEdit_sS", 0, 390, 280, {nullptr, kWatchdogShown, kSeconds}},
    // Breathing
    {"SEAtm1m", 1, kCol1, kFirstRow, {kFull, kFullOut, kMinutes}},
    {"SEAtm1s", 1, kCol2, kFirstRow, {kFull, kFullOut, kSeconds}},
    {"SEAtm2m", 1, kCol1, kFirstRow + kRow, {kFull, kFullHold, kMinutes}},
    {"SEAtm2s", 1, kCol2, kFirstRow + kRow, {kFull, kFullHold, kSeconds}},
    {"SEAtm3m", 1, kCol1, kFirstRow + 2 * kRow, {kFull, kFullIn, kMinutes}},
    {"SEAtm3s", 1, kCol2, kFirstRow + 2 * kRow, {kFull, kFullIn, kSeconds}},
    {"SEAtm4m", 1, kCol1, kFirstRow + 3 * kRow, {kFull, kFullHoldAgain, kMinutes}},
    {"SEAtm4s", 1, kCol2, kFirstRow + 3 * kRow, {kFull, kFullHoldAgain, kSeconds}},
    {"SEAtm5m", 1, kCol1, kFirstRow + 5 * kRow + 8, {kAlternate, kAlternateOut, kMinutes}},
    {"SEAtm5s", 1, kCol2, kFirstRow + 5 * kRow + 8, {kAlternate, kAlternateOut, kSeconds}},
    {"SEAtm6m", 1, kCol1, kFirstRow + 6 * kRow + 8, {kAlternate, kAlternateIn, kMinutes}},
    {"SEAtm6s", 1, kCol2, kFirstRow + 6 * kRow + 8, {kAlternate, kAlternateIn, kSeconds}},
    {"SEAtmZ1", 1, kCol1, kFirstRow + 4 * kRow, {kFull, kFullPasses}},
    {"SEAtmZ2", 1, kCol1, kFirstRow + 7 * kRow + 8, {kAlternate, kAlternatePasses}},
    // Body exercises: passes, then seconds per movement, row by row
    {"SEYog1D", 2, kCol1, kFirstRow, passes(kYogRows[0])},
    {"SEYog1s", 2, kCol2, kFirstRow, perMove(kYogRows[0])},
    {"SEYog2D", 2, kCol1, kFirstRow + kYogRow, passes(kYogRows[1])},
    {"SEYog2s", 2, kCol2, kFirstRow + kYogRow, perMove(kYogRows[1])},
    {"SEYog3D", 2, kCol1, kFirstRow + 2 * kYogRow, passes(kYogRows[2])},
    {"SEYog3s", 2, kCol2, kFirstRow + 2 * kYogRow, perMove(kYogRows[2])},
    {"SEYog4D", 2, kCol1, kFirstRow + 3 * kYogRow, passes(kYogRows[3])},
    {"SEYog4s", 2, kCol2, kFirstRow + 3 * kYogRow, perMove(kYogRows[3])},
    {"SEYog5D", 2, kCol1, kFirstRow + 4 * kYogRow, passes(kYogRows[4])},
    {"SEYog5s", 2, kCol2, kFirstRow + 4 * kYogRow, perMove(kYogRows[4])},
    {"SEYog6D", 2, kCol1, kFirstRow + 5 * kYogRow, passes(kYogRows[5])},
    {"SEYog6s", 2, kCol2, kFirstRow + 5 * kYogRow, perMove(kYogRows[5])},
    {"SEYog7D", 2, kCol1, kFirstRow + 6 * kYogRow, passes(kYogRows[6])},
    {"SEYog7s", 2, kCol2, kFirstRow + 6 * kYogRow, perMove(kYogRows[6])},
    {"SEYog8D", 2, kCol1, kFirstRow + 7 * kYogRow, passes(kYogRows[7])},
    {"SEYog8s", 2, kCol2, kFirstRow + 7 * kYogRow, perMove(kYogRows[7])},
    {"SEYog9D", 2, kCol1, kFirstRow + 8 * kYogRow, passes(kYogRows[8])},
    {"SEYog9s", 2, kCol2, kFirstRow + 8 * kYogRow, perMove(kYogRows[8])},
    {"SEYog10D", 2, kCol1, kFirstRow + 9 * kYogRow, passes(kYogRows[9])},
    {"SEYog10s", 2, kCol2, kFirstRow + 9 * kYogRow, perMove(kYogRows[9])},
    // Eye exercises
    {"SEAug1D", 3, kCol1, kFirstRow, passes(kAugRows[0])},
    {"SEAug1s", 3, kCol2, kFirstRow, perMove(kAugRows[0], kSeconds)},
    {"SEAug2D", 3, kCol1, kFirstRow + kRow, passes(kAugRows[1])},
    {"SEAug2s", 3, kCol2, kFirstRow + kRow, perMove(kAugRows[1], kSeconds)},
    {"SEAug3D", 3, kCol1, kFirstRow + 2 * kRow, passes(kAugRows[2])},
    {"SEAug3s", 3, kCol2, kFirstRow + 2 * kRow, perMove(kAugRows[2], kSeconds)},
    {"SEAug4m", 3, kCol1, kFirstRow + 4 * kRow, {nullptr, kPalming, kMinutes}},
    {"SEAug4s", 3, kCol2, kFirstRow + 4 * kRow, {nullptr, kPalming, kSeconds}},
    // Relaxation: five regions on the left, five on the right
    {"SEEnt1m", 4, 160, kFirstRow, {nullptr, kEntRows[0], kMinutes}},
    {"SEEnt1s", 4, 214, kFirstRow, {nullptr, kEntRows[0], kSeconds}},
    {"SEEnt2m", 4, 160, kFirstRow + kRow, {nullptr, kEntRows[1], kMinutes}},
    {"SEEnt2s", 4, 214, kFirstRow + kRow, {nullptr, kEntRows[1], kSeconds}},
    {"SEEnt3m", 4, 160, kFirstRow + 2 * kRow, {nullptr, kEntRows[2], kMinutes}},
    {"SEEnt3s", 4, 214, kFirstRow + 2 * kRow, {nullptr, kEntRows[2], kSeconds}},
    {"SEEnt4m", 4, 160, kFirstRow + 3 * kRow, {nullptr, kEntRows[3], kMinutes}},
    {"SEEnt4s", 4, 214, kFirstRow + 3 * kRow, {nullptr, kEntRows[3], kSeconds}},
    {"SEEnt5m", 4, 160, kFirstRow + 4 * kRow, {nullptr, kEntRows[4], kMinutes}, true},
    {"SEEnt5s", 4, 214, kFirstRow + 4 * kRow, {nullptr, kEntRows[4], kSeconds}},
    {"SEEnt6m", 4, 460, kFirstRow, {nullptr, kEntRows[5], kMinutes}},
    {"SEEnt6s", 4, 514, kFirstRow, {nullptr, kEntRows[5], kSeconds}},
    {"SEEnt7m", 4, 460, kFirstRow + kRow, {nullptr, kEntRows[6], kMinutes}},
    {"SEEnt7s", 4, 514, kFirstRow + kRow, {nullptr, kEntRows[6], kSeconds}},
    {"SEEnt8m", 4, 460, kFirstRow + 2 * kRow, {nullptr, kEntRows[7], kMinutes}},
    {"SEEnt8s", 4, 514, kFirstRow + 2 * kRow, {nullptr, kEntRows[7], kSeconds}},
    {"SEEnt9m", 4, 460, kFirstRow + 3 * kRow, {nullptr, kEntRows[8], kMinutes}},
    {"SEEnt9s", 4, 514, kFirstRow + 3 * kRow, {nullptr, kEntRows[8], kSeconds}},
    {"SEEnt10m", 4, 460, kFirstRow + 4 * kRow, {nullptr, kEntRows[9], kMinutes}},
    {"SEEnt10s", 4, 514, kFirstRow + 4 * kRow, {nullptr, kEntRows[9], kSeconds}},
};

// Plain labels of the pages: text, page, place and width.
struct LabelRow {
    const char* text;
    int page, x, y, width;
};
const LabelRow kLabels[] = {
    {kHoursPerDay, 0, 250, 18, 220},
    {kQuickStart, 0, 44, 52, 420},
    {kPrompts, 0, 44, 86, 260},
    {kHours, 0, 250, 104, 64},
    {kMinutes, 0, 320, 104, 64},
    {kSeconds, 0, 390, 104, 64},
    {kPromptEvery, 0, 44, 125, 200},
    {kMinutes, 0, 320, 148, 64},
    {kSeconds, 0, 390, 148, 64},
    {kPromptShown, 0, 44, 169, 200},
    {kWatchdog, 0, 44, 200, 260},
    {kHours, 0, 250, 218, 64},
    {kMinutes, 0, 320, 218, 64},
    {kSeconds, 0, 390, 218, 64},
    {kWatchdogEvery, 0, 44, 239, 200},
    {kMinutes, 0, 320, 262, 64},
    {kSeconds, 0, 390, 262, 64},
    {kWatchdogShown, 0, 44, 283, 200},
    // Breathing
    {kAtmTotal, 1, 16, 14, 200},
    {kAtmExtra, 1, 16, 32, 300},
    {kMinutes, 1, kCol1, 54, 90},
    {kSeconds, 1, kCol2, 54, 90},
    {"Zeit aller Atemübungen:", 1, 16, 76, 200},
    {kFull, 1, 16, kFirstRow + 3, 90},
    {kFullOut, 1, 128, kFirstRow + 3, 100},
    {kFullHold, 1, 128, kFirstRow + kRow + 3, 100},
    {kFullIn, 1, 128, kFirstRow + 2 * kRow + 3, 100},
    {kFullHold, 1, 128, kFirstRow + 3 * kRow + 3, 100},
    {kFullPasses, 1, 16, kFirstRow + 4 * kRow + 3, 200},
    {kAlternate, 1, 16, kFirstRow + 5 * kRow + 11, 110},
    {kAlternateOut, 1, 128, kFirstRow + 5 * kRow + 11, 100},
    {kAlternateIn, 1, 128, kFirstRow + 6 * kRow + 11, 100},
    {kAlternatePasses, 1, 16, kFirstRow + 7 * kRow + 11, 200},
    // Body exercises
    {kYogTotal, 2, 16, 14, 200},
    {kYogExtra, 2, 16, 32, 300},
    {kPassesAbove, 2, kCol1, 50, 100},
    {kPassesBelow, 2, kCol1, 64, 100},
    {kPerMoveAbove, 2, kCol2, 50, 100},
    {kPerMoveBelow, 2, kCol2, 64, 100},
    {"Anzahl aller", 2, 16, 76, 200},
    {"Durchgänge:", 2, 16, 90, 200},
    {kYogRows[0], 2, 16, kFirstRow + 3, 200},
    {kYogRows[1], 2, 16, kFirstRow + kYogRow + 3, 200},
    {kYogRows[2], 2, 16, kFirstRow + 2 * kYogRow + 3, 200},
    {kYogRows[3], 2, 16, kFirstRow + 3 * kYogRow + 3, 200},
    {kYogRows[4], 2, 16, kFirstRow + 4 * kYogRow + 3, 200},
    {kYogRows[5], 2, 16, kFirstRow + 5 * kYogRow + 3, 200},
    {kYogRows[6], 2, 16, kFirstRow + 6 * kYogRow + 3, 200},
    {kYogRows[7], 2, 16, kFirstRow + 7 * kYogRow + 3, 200},
    {kYogRows[8], 2, 16, kFirstRow + 8 * kYogRow + 3, 200},
    {kYogRows[9], 2, 16, kFirstRow + 9 * kYogRow + 3, 200},
    // Eye exercises
    {kAugTotal, 3, 16, 14, 200},
    {kAugExtra, 3, 16, 32, 300},
    {kPassesAbove, 3, kCol1, 50, 100},
    {kPassesBelow, 3, kCol1, 64, 100},
    {kSeconds, 3, kCol2, 50, 100},
    {kPerMoveBelow, 3, kCol2, 64, 100},
    {"Anzahl aller:", 3, 16, 76, 100},
    {"Durchgänge", 3, 16, 90, 100},
    {"Zeiten", 3, kCol2 - 60, 83, 60},
    {kAugRows[0], 3, 16, kFirstRow + 3, 200},
    {kAugRows[1], 3, 16, kFirstRow + kRow + 3, 200},
    {kAugRows[2], 3, 16, kFirstRow + 2 * kRow + 3, 200},
    {kMinutes, 3, kCol1, kFirstRow + 3 * kRow + 6, 90},
    {kSeconds, 3, kCol2, kFirstRow + 3 * kRow + 6, 90},
    {kPalming, 3, 16, kFirstRow + 4 * kRow + 3, 200},
    // Relaxation
    {kEntTotal, 4, 16, 14, 270},
    {kEntExtra, 4, 16, 32, 300},
    {kMinutes, 4, 160, 84, 54},
    {kSeconds, 4, 214, 84, 60},
    {kMinutes, 4, 460, 84, 54},
    {kSeconds, 4, 514, 84, 60},
    {"Alle Entspannungsübungen:", 4, 16, 240, 180},
    {kEntRows[0], 4, 10, kFirstRow + 3, 150},
    {kEntRows[1], 4, 10, kFirstRow + kRow + 3, 150},
    {kEntRows[2], 4, 10, kFirstRow + 2 * kRow + 3, 150},
    {kEntRows[3], 4, 10, kFirstRow + 3 * kRow + 3, 150},
    {kEntRows[4], 4, 10, kFirstRow + 4 * kRow + 3, 150},
    {kEntRows[5], 4, 300, kFirstRow + 3, 160},
    {kEntRows[6], 4, 300, kFirstRow + kRow + 3, 160},
    {kEntRows[7], 4, 300, kFirstRow + 2 * kRow + 3, 160},
    {kEntRows[8], 4, 300, kFirstRow + 3 * kRow + 3, 160},
    {kEntRows[9], 4, 300, kFirstRow + 4 * kRow + 3, 160},
};

} // namespace

// A button that steps every field of its column by one, in order; `column` is the heading of
// that column, which its name tells.
struct TFMenue::ColumnButton {
    const char* name;
    const char* caption;
    int step;
    int page, x, y;
    Said column;
    std::vector<const char*> fields;
};

namespace {

const std::vector<TFMenue::ColumnButton>& ColumnButtons() {
    static const std::vector<const char*> kAtmMinutes{"SEAtm1m", "SEAtm2m", "SEAtm3m",
                                                      "SEAtm4m", "SEAtm5m", "SEAtm6m"};
    static const std::vector<const char*> kAtmSeconds{"SEAtm1s", "SEAtm2s", "SEAtm3s",
                                                      "SEAtm4s", "SEAtm5s", "SEAtm6s"};
    static const std::vector<const char*> kYogPasses{"SEYog1D", "SEYog2D", "SEYog3D", "SEYog4D",
                                                     "SEYog5D", "SEYog6D", "SEYog7D", "SEYog8D",
                                                     "SEYog9D", "SEYog10D"};
    static const std::vector<const char*> kAugPasses{"SEAug1D", "SEAug2D", "SEAug3D"};
    static const std::vector<const char*> kAugSeconds{"SEAug1s", "SEAug2s", "SEAug3s"};
    static const std::vector<const char*> kEntMinutes{"SEEnt1m", "SEEnt2m", "SEEnt3m", "SEEnt4m",
                                                      "SEEnt5m", "SEEnt6m", "SEEnt7m", "SEEnt8m",
                                                      "SEEnt9m", "SEEnt10m"};
    static const std::vector<const char*> kEntSeconds{"SEEnt1s", "SEEnt2s", "SEEnt3s", "SEEnt4s",
                                                      "SEEnt5s", "SEEnt6s", "SEEnt7s", "SEEnt8s",
                                                      "SEEnt9s", "SEEnt10s"};
    const Said minutes{nullptr, nullptr, kMinutes};
    const Said seconds{nullptr, nullptr, kSeconds};
    const Said passes{nullptr, nullptr, kPassesBelow};
    const Said perMove{nullptr, nullptr, kSeconds, kPerMoveBelow};
    static const std::vector<TFMenue::ColumnButton> buttons{
        {"BAtmenPlusM", "plus 1", 1, 1, kCol1, 72, minutes, kAtmMinutes},
        {"BAtmenMinusM", "minus 1", -1, 1, kCol1 + 58, 72, minutes, kAtmMinutes},
        {"BAtmenPlusS", "plus 1", 1, 1, kCol2, 72, seconds, kAtmSeconds},
        {"BAtmenMinusS", "minus 1", -1, 1, kCol2 + 58, 72, seconds, kAtmSeconds},
        {"BYogaPLus", "plus", 1, 2, kCol1 - 120, 76, passes, kYogPasses},
        {"BYogaMinus", "minus", -1, 2, kCol1 - 62, 76, passes, kYogPasses},
        {"ButtonAugenDplus", "plus 1", 1, 3, kCol1 - 120, 80, passes, kAugPasses},
        {"ButtonAugenDminus", "minus 1", -1, 3, kCol1 - 62, 80, passes, kAugPasses},
        {"ButtonAugenSplus", "plus 1", 1, 3, kCol2, 80, perMove, kAugSeconds},
        {"ButtonAugenSminus", "minus 1", -1, 3, kCol2 + 58, 80, perMove, kAugSeconds},
        {"BEntspPlusM", "plus 1", 1, 4, 160, 262, minutes, kEntMinutes},
        {"BEntspMinusM", "minus 1", -1, 4, 160, 290, minutes, kEntMinutes},
        {"BEntspPlusS", "plus 1", 1, 4, 214, 262, seconds, kEntSeconds},
        {"BEntspMinusS", "minus 1", -1, 4, 214, 290, seconds, kEntSeconds},
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

// The check boxes of the first page: those without a caption carry it in the label beside,
// which names them.
struct BoxRow {
    const char* name;
    const char* caption;
    const char* label;
    std::uint8_t TSettings::*field;
    int x, y;
};
const std::array<BoxRow, 5> kBoxes{{
    {"CBoxSound", "Ton", nullptr, &TSettings::Sound, 20, 14},
    {"CBoxText", "Text", nullptr, &TSettings::Text, 100, 14},
    {"CBoxDSTimer", "", kQuickStart, &TSettings::DSTimer, 20, 50},
    {"CBoxT1", "", kPrompts, &TSettings::T1On, 20, 84},
    {"CBoxT2", "", kWatchdog, &TSettings::T2On, 20, 198},
}};

std::int64_t Seconds(const TSettings& s, bool watchdog) {
    return watchdog ? s.h2 * 3600 + s.m2 * 60 + s.s2 : s.h1 * 3600 + s.m1 * 60 + s.s1;
}

// What a screen reader reads of a spin field: its number and bounds, kept where Qt's interface
// for spin boxes looks for them (the properties "value", "minimum", "maximum" and "stepSize",
// which the field itself does not have), and every change of the number told as a change of
// its value, which a screen reader speaks for the focused field.
void showBounds(rt::SpinField* field, int step) {
    field->setProperty("minimum", field->minValue());
    field->setProperty("maximum", field->maxValue());
    field->setProperty("stepSize", step);
}
void tellValue(rt::SpinField* field) {
    const int value = field->value();
    field->setProperty("value", value);
    QAccessibleValueChangeEvent event(field, value);
    QAccessible::updateAccessibility(&event);
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
        rt::describe(box, spoken(b.label ? b.label : b.caption));
        boxes_.emplace_back(QString::fromLatin1(b.name), box);
    }
    auto* hours = new rt::SpinField(page, 12, 24, 12);
    hours->setObjectName(QStringLiteral("SEdit12_24"));
    rt::setBounds(hours, 180, 14, 60, 22);
    hours->onChange = [this, hours] {
        tellValue(hours);
        S().HoursPerDay = std::uint8_t(hours->value());
    };
    rt::describe(hours, spoken(kHoursPerDay));
    showBounds(hours, 12);
    fields_.insert(hours->objectName(), hours);

    auto* reset = new QPushButton(QStringLiteral("Reset"), page);
    rt::setBounds(reset, 480, 12, 80, 28);
    QObject::connect(reset, &QPushButton::clicked, [this] { BitBtn1Click(); });
    rt::describe(reset, reset->text(),
                 QStringLiteral("Fragt, ob alle Einstellungen auf die Standardwerte zurückgesetzt "
                                "werden sollen, und schließt das Fenster"));
    buttons_.emplace_back(QStringLiteral("BitBtn1"), reset);

    // Below the rows of the reminders: the settings that live in quillet.conf.
    auto* more = new QPushButton(QStringLiteral("&Weitere Einstellungen …"), page);
    rt::setBounds(more, 380, 314, 180, 28);
    QObject::connect(more, &QPushButton::clicked, [this] {
        if (OnMoreSettings)
            OnMoreSettings(Form);
    });
    rt::describe(more, QStringLiteral("Weitere Einstellungen …"),
                 QStringLiteral("Öffnet das Fenster „Weitere Einstellungen“"));
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
        field->onChange = [this, &row, field] {
            tellValue(field);
            FieldChanged(row);
        };
        rt::describe(field, row.said.text());
        showBounds(field, 1);
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
    const auto& [total, extra] = kTotals[size_t(index)];
    rt::describe(minutes, Said{nullptr, total, kMinutes}.text(), spoken(extra));
    rt::describe(seconds, Said{nullptr, total, kSeconds}.text(), spoken(extra));
    for (const ColumnButton& b : ColumnButtons()) {
        if (b.page != index)
            continue;
        auto* button = new QPushButton(QString::fromLatin1(b.caption), page);
        rt::setBounds(button, b.x, b.y, index == 4 ? 52 : 56, 24);
        QObject::connect(button, &QPushButton::clicked, [this, &b] { StepColumn(b); });
        // The buttons of a page read alike: the name tells the column and the page.
        const bool up = b.step > 0;
        rt::describe(button,
                     QStringLiteral("%1: alle %2 %3 1")
                         .arg(pageName(index), b.column.text(),
                              up ? QStringLiteral("plus") : QStringLiteral("minus")),
                     (up ? QStringLiteral("Erhöht jeden der %1 Werte dieser Spalte um 1")
                         : QStringLiteral("Verringert jeden der %1 Werte dieser Spalte um 1"))
                         .arg(b.fields.size()));
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
    rt::setBounds(display, 8, 8, 114, 32);
    stopwatch_[size_t(index)] = display;
    // The stopwatch is on every page; its parts are named with their page.
    const QString stopwatch = pageName(index) + QStringLiteral(": ") + spoken(kStopwatchIdle);
    rt::describe(display, stopwatch);
    ShowStopwatch(index, QString::fromLatin1(kStopwatchIdle));
    auto* start = new QPushButton(QStringLiteral("Start"), frame);
    auto* stop = new QPushButton(QStringLiteral("Stop"), frame);
    rt::describe(start, stopwatch + QStringLiteral(" Start"),
                 QStringLiteral("Startet die Stoppuhr bei null"));
    rt::describe(stop, stopwatch + QStringLiteral(" Stop"), QStringLiteral("Hält die Stoppuhr an"));
    rt::setBounds(start, 8, 48, 54, 26);
    rt::setBounds(stop, 68, 48, 54, 26);
    QObject::connect(start, &QPushButton::clicked, [this] { Button1Click(); });
    QObject::connect(stop, &QPushButton::clicked, [this] { Button2Click(); });
    buttons_.emplace_back(QString::fromLatin1(sw.start), start);
    buttons_.emplace_back(QString::fromLatin1(sw.stop), stop);
}

void TFMenue::FormCreate() {
    Form->setCaption(QStringLiteral("Menue für Einstellungen") + QString() +
                     QString::fromLatin1(rt::kCaptionSuffix));
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
        showBounds(seconds, 1);
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
        ShowStopwatch(page, QStringLiteral("%1 : %2 : %3").arg(hours).arg(minutes).arg(seconds));
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
        ShowStopwatch(page, QString::fromLatin1(kStopwatchIdle));
}

void TFMenue::ShowStopwatch(int page, const QString& reading) {
    rt::Panel* display = stopwatch_[size_t(page)];
    display->setCaption(reading);
    // What the display shows, for a screen reader, which cannot read the painted caption.
    display->setAccessibleDescription(reading);
}
