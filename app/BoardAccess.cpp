#include "app/BoardAccess.h"

#include "app/UMainBoard.h"
#include "runtime/Accessibility.h"
#include "runtime/ProgramTexts.h"

#include <array>
#include <utility>

namespace {

QString U(const char* text) {
    return QString::fromUtf8(text);
}

// The glyphs of the sequence buttons, normal and suggested ("lunge2.bmp"), in the buttons' order;
// then the glyphs that name the close and clock buttons.
constexpr std::array<const char*, 4> kSequenceGlyphs{"lunge", "yoga", "augen", "entsp"};
const std::array<std::pair<const char*, const char*>, 4> kOtherGlyphs{{
    {"close.bmp", "Beenden"},
    {"zuruck.bmp", "Zurück"},
    {"uhr.bmp", "Zeitschaltuhr: aus"},
    {"uhr2.bmp", "Zeitschaltuhr: ein"},
}};

} // namespace

QString GlyphAccessibleName(const QString& glyphPath) {
    const QString file = glyphPath.section(QLatin1Char('\\'), -1);
    for (size_t i = 0; i < kSequenceGlyphs.size(); ++i) {
        const QString glyph = QLatin1String(kSequenceGlyphs[i]);
        if (file == glyph + QLatin1String(".bmp"))
            return U(rt::kSequenceNames[i]);
        if (file == glyph + QLatin1String("2.bmp"))
            return U(rt::kSequenceNames[i]) + U(" – jetzt vorgeschlagen");
    }
    for (const auto& [glyph, name] : kOtherGlyphs)
        if (file == QLatin1String(glyph))
            return U(name);
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
    const auto& seq = rt::kSequenceNames;
    const std::array<const char*, 10> names{seq[0],      seq[1],          seq[2],  seq[3],
                                            "Größe",     "Zeitschaltuhr", "Hilfe", "Einstellungen",
                                            "Impressum", "Beenden"};
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
    // Escape ends what the close button ends: a sequence, the training prompt.
    const BoardStatus status = b.Status();
    if (key == Qt::Key_Escape &&
        (status.sequence >= 0 || status.train.state == BoardStatus::Countdown::Shown)) {
        b.SBClose->click();
        return true;
    }
    if (key == Qt::Key_F1) {
        b.SBHilfe->click();
        return true;
    }
    return false;
}
