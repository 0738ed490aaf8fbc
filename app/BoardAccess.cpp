#include "app/BoardAccess.h"

#include "app/UMainBoard.h"
#include "runtime/Accessibility.h"

#include <array>
#include <utility>

namespace {

QString U(const char* text) {
    return QString::fromUtf8(text);
}

struct GlyphRow {
    const char* glyph; // program path below "Pictures\Icons"
    const char* name;
};
const std::array<GlyphRow, 12> kGlyphNames{{
    {"lunge.bmp", "Atemübungen"},
    {"yoga.bmp", "Körperübungen"},
    {"augen.bmp", "Augenübungen"},
    {"entsp.bmp", "Entspannungsübungen"},
    {"lunge2.bmp", "Atemübungen – jetzt vorgeschlagen"},
    {"yoga2.bmp", "Körperübungen – jetzt vorgeschlagen"},
    {"augen2.bmp", "Augenübungen – jetzt vorgeschlagen"},
    {"entsp2.bmp", "Entspannungsübungen – jetzt vorgeschlagen"},
    {"close.bmp", "Beenden"},
    {"zuruck.bmp", "Zurück"},
    {"uhr.bmp", "Zeitschaltuhr: aus"},
    {"uhr2.bmp", "Zeitschaltuhr: ein"},
}};

} // namespace

QString GlyphAccessibleName(const QString& glyphPath) {
    const QString file = glyphPath.section(QLatin1Char('\\'), -1);
    for (const GlyphRow& row : kGlyphNames)
        if (file == QLatin1String(row.glyph))
            return U(row.name);
    return {};
}

void DescribeBoard(TFMainBoard& b) {
    const std::array<std::pair<rt::SpeedButton*, const char*>, 10> buttons{{
        {b.SBAtmen, "Startet die Atemübungen."},
        {b.SBYoga, "Startet die Körperübungen."},
        {b.SBAugen, "Startet die Augenübungen."},
        {b.SBEntsp, "Startet die Entspannungsübungen."},
        {b.SBSize, "Wechselt die Größe: ganzer Bildschirm, mittleres Fenster, kleines Fenster."},
        {b.SBWecker, "Schaltet die Erinnerungen an Training und Pause ein oder aus."},
        {b.SBHilfe, "Öffnet die Hilfe. Taste F1."},
        {b.SBMenue, "Öffnet das Menü für Einstellungen."},
        {b.SBImpres, "Zeigt das Impressum."},
        {b.SBClose, "Beendet das Programm; während einer Übung oder einer Aufforderung: zurück "
                    "zur Startseite. Taste Escape."},
    }};
    const std::array<const char*, 10> names{
        "Atemübungen",   "Körperübungen", "Augenübungen",  "Entspannungsübungen", "Größe",
        "Zeitschaltuhr", "Hilfe",         "Einstellungen", "Impressum",           "Beenden"};
    for (size_t i = 0; i < buttons.size(); ++i)
        rt::describe(buttons[i].first, U(names[i]), U(buttons[i].second));
    rt::describe(b.PSButtons, U("Schaltleiste"),
                 U("Tab und die Pfeiltasten wählen einen Knopf, Eingabe oder Leertaste drückt "
                   "ihn."));

    for (int n = 1; n <= 10; ++n)
        rt::describe(b.IStart[size_t(n)], U("Vorspann, Bild %1").arg(n));
    rt::describe(b.IStart[11], U("Sonnenuntergang"), U("Bild der Startseite"));
    rt::describe(b.IStart[12], U("Hinweis"), U("Bitte lesen Sie zuerst die Hilfe (F1)."));
    rt::describe(b.ImageTrain, U("Trainingsaufforderung"),
                 U("Zeit für eine Übung. Der vorgeschlagene Knopf hat die Eingabe-Taste; Escape "
                   "schließt die Aufforderung."));
    rt::describe(b.ImageDog, U("Wachhund"),
                 U("Eine kurze Pause vom Bildschirm. Sie endet nach ihrer Zeit von selbst."));
    rt::describe(b.IAtmen, U("Atemübung"), U("Landschaft der Atemübung"));
    rt::describe(b.IAtmen1, U("Figur der Atemübung"));
    rt::describe(b.IColors, U("Farbleiste des Atems"));
    rt::describe(b.IYoga, U("Körperübung"), U("Figur, die die Bewegung vormacht"));
    rt::describe(b.IAugen, U("Augenübung"), U("Gesicht, dessen Blick die Augen folgen"));
    rt::describe(b.IEntsp, U("Entspannungsübung"), U("Figur der Entspannung"));
    rt::describe(b.IEntsp1, U("Körperbereich der Entspannung"));
    for (int n = 1; n <= 11; ++n)
        rt::describe(b.IKino[size_t(n)], U("Phantasiereise, Bild %1").arg(n));
    rt::describe(b.MemoText, U("Anleitung"), U("Der Text zur laufenden Übung"));
}

bool BoardKey(TFMainBoard& b, int key) {
    // The bar is what the keys stand for: no key acts while it is hidden (the intro, the
    // watchdog's pause), as no click could.
    if (b.PSButtons->isHidden())
        return false;
    if (key == Qt::Key_Escape && b.CloseQuits == 0) {
        b.SBClose->click();
        return true;
    }
    if (key == Qt::Key_F1) {
        b.SBHilfe->click();
        return true;
    }
    return false;
}
