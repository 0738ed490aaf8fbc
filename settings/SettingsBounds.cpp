#include "settings/SettingsBounds.h"

#include <algorithm>
#include <array>
#include <cstdlib>

const std::array<SpinBounds, 72> kSpinBounds{{
    {"SEdit_h1", &TSettings::h1, 0, 24, nullptr, "Training alle – Stunden"},
    {"SEdit_m1", &TSettings::m1, 0, 59, "SEdit_s1", "Training alle – Minuten"},
    {"SEdit_s1", &TSettings::s1, 5, 59, nullptr, "Training alle – Sekunden"},
    {"SEdit_mSTr", &TSettings::mSTr, 0, 60, "SEdit_sSTr",
     "Aufforderung bleibt sichtbar für – Minuten"},
    {"SEdit_sSTr", &TSettings::sSTr, 5, 59, nullptr, "Aufforderung bleibt sichtbar für – Sekunden"},
    {"SEdit_h2", &TSettings::h2, 0, 24, nullptr, "Der Wächter erscheint alle – Stunden"},
    {"SEdit_m2", &TSettings::m2, 0, 59, "SEdit_s2", "Der Wächter erscheint alle – Minuten"},
    {"SEdit_s2", &TSettings::s2, 5, 59, nullptr, "Der Wächter erscheint alle – Sekunden"},
    {"SEdit_mS", &TSettings::mS, 0, 60, "SEdit_sS", "Wächter bleibt sichtbar für – Minuten"},
    {"SEdit_sS", &TSettings::sS, 7, 59, nullptr, "Wächter bleibt sichtbar für – Sekunden"},

    {"SEAtm1m", &TSettings::Atm1m, 0, 60, "SEAtm1s", "Vollatmung, Ausatmen – Minuten"},
    {"SEAtm1s", &TSettings::Atm1s, 1, 59, nullptr, "Vollatmung, Ausatmen – Sekunden"},
    {"SEAtm2m", &TSettings::Atm2m, 0, 60, "SEAtm2s", "Vollatmung, Anhalten – Minuten"},
    {"SEAtm2s", &TSettings::Atm2s, 1, 59, nullptr, "Vollatmung, Anhalten – Sekunden"},
    {"SEAtm3m", &TSettings::Atm3m, 0, 60, "SEAtm3s", "Vollatmung, Einatmen – Minuten"},
    {"SEAtm3s", &TSettings::Atm3s, 1, 59, nullptr, "Vollatmung, Einatmen – Sekunden"},
    {"SEAtm4m", &TSettings::Atm4m, 0, 60, "SEAtm4s", "Vollatmung, zweites Anhalten – Minuten"},
    {"SEAtm4s", &TSettings::Atm4s, 1, 59, nullptr, "Vollatmung, zweites Anhalten – Sekunden"},
    {"SEAtm5m", &TSettings::Atm5m, 0, 60, "SEAtm5s", "Wechselatmung, Ausatmen – Minuten"},
    {"SEAtm5s", &TSettings::Atm5s, 2, 59, nullptr, "Wechselatmung, Ausatmen – Sekunden"},
    {"SEAtm6m", &TSettings::Atm6m, 0, 60, "SEAtm6s", "Wechselatmung, Einatmen – Minuten"},
    {"SEAtm6s", &TSettings::Atm6s, 1, 59, nullptr, "Wechselatmung, Einatmen – Sekunden"},
    {"SEAtmZ1", &TSettings::AtmZ1, 1, 1000, nullptr, "Vollatmung – Anzahl der Durchgänge"},
    {"SEAtmZ2", &TSettings::AtmZ2, 1, 1000, nullptr, "Wechselatmung – Anzahl der Durchgänge"},

    {"SEYog1D", &TSettings::Yog1D, 1, 999, nullptr, "Hände auf/zu – Durchgänge"},
    {"SEYog1s", &TSettings::Yog1s, 1, 60, nullptr, "Hände auf/zu – Sekunden pro Bewegung"},
    {"SEYog2D", &TSettings::Yog2D, 1, 999, nullptr, "Hände drehen – Durchgänge"},
    {"SEYog2s", &TSettings::Yog2s, 1, 60, nullptr, "Hände drehen – Sekunden pro Bewegung"},
    {"SEYog3D", &TSettings::Yog3D, 1, 999, nullptr, "Schulter rollen – Durchgänge"},
    {"SEYog3s", &TSettings::Yog3s, 1, 60, nullptr, "Schulter rollen – Sekunden pro Bewegung"},
    {"SEYog4D", &TSettings::Yog4D, 1, 999, nullptr, "Kopf kreisen – Durchgänge"},
    {"SEYog4s", &TSettings::Yog4s, 1, 60, nullptr, "Kopf kreisen – Sekunden pro Bewegung"},
    {"SEYog5D", &TSettings::Yog5D, 1, 999, nullptr, "Aufrichten 1 – Durchgänge"},
    {"SEYog5s", &TSettings::Yog5s, 1, 60, nullptr, "Aufrichten 1 – Sekunden pro Bewegung"},
    {"SEYog6D", &TSettings::Yog6D, 1, 999, nullptr, "Aufrichten 2 – Durchgänge"},
    {"SEYog6s", &TSettings::Yog6s, 1, 60, nullptr, "Aufrichten 2 – Sekunden pro Bewegung"},
    {"SEYog7D", &TSettings::Yog7D, 1, 999, nullptr, "Rumpf drehen – Durchgänge"},
    {"SEYog7s", &TSettings::Yog7s, 1, 60, nullptr, "Rumpf drehen – Sekunden pro Bewegung"},
    {"SEYog8D", &TSettings::Yog8D, 1, 999, nullptr, "Beine beugen – Durchgänge"},
    {"SEYog8s", &TSettings::Yog8s, 1, 60, nullptr, "Beine beugen – Sekunden pro Bewegung"},
    {"SEYog9D", &TSettings::Yog9D, 1, 999, nullptr, "Bauchmuskeln – Durchgänge"},
    {"SEYog9s", &TSettings::Yog9s, 2, 60, nullptr, "Bauchmuskeln – Sekunden pro Bewegung"},
    {"SEYog10D", &TSettings::Yog10D, 1, 999, nullptr, "Fußgelenke – Durchgänge"},
    {"SEYog10s", &TSettings::Yog10s, 1, 60, nullptr, "Fußgelenke – Sekunden pro Bewegung"},

    {"SEAug1D", &TSettings::Aug1D, 1, 999, nullptr, "Augen waagrecht bewegen – Durchgänge"},
    {"SEAug1s", &TSettings::Aug1s, 1, 60, nullptr,
     "Augen waagrecht bewegen – Sekunden pro Bewegung"},
    {"SEAug2D", &TSettings::Aug2D, 1, 999, nullptr, "Augen senkrecht bewegen – Durchgänge"},
    {"SEAug2s", &TSettings::Aug2s, 1, 60, nullptr,
     "Augen senkrecht bewegen – Sekunden pro Bewegung"},
    {"SEAug3D", &TSettings::Aug3D, 1, 999, nullptr, "Augen nah/fern fokussieren – Durchgänge"},
    {"SEAug3s", &TSettings::Aug3s, 1, 60, nullptr,
     "Augen nah/fern fokussieren – Sekunden pro Bewegung"},
    {"SEAug4m", &TSettings::Aug4m, 0, 60, "SEAug4s", "Hände auf Augen legen – Minuten"},
    {"SEAug4s", &TSettings::Aug4s, 5, 59, nullptr, "Hände auf Augen legen – Sekunden"},

    {"SEEnt1m", &TSettings::Ent1m, 0, 60, "SEEnt1s", "Linker Unterschenkel – Minuten"},
    {"SEEnt1s", &TSettings::Ent1s, 15, 59, nullptr, "Linker Unterschenkel – Sekunden"},
    {"SEEnt2m", &TSettings::Ent2m, 0, 60, "SEEnt2s", "Linker Oberschenkel – Minuten"},
    {"SEEnt2s", &TSettings::Ent2s, 15, 59, nullptr, "Linker Oberschenkel – Sekunden"},
    {"SEEnt3m", &TSettings::Ent3m, 0, 60, "SEEnt3s", "Bauch, unterer Rücken – Minuten"},
    {"SEEnt3s", &TSettings::Ent3s, 15, 59, nullptr, "Bauch, unterer Rücken – Sekunden"},
    {"SEEnt4m", &TSettings::Ent4m, 0, 60, "SEEnt4s", "Linker Arm, Schulter – Minuten"},
    {"SEEnt4s", &TSettings::Ent4s, 15, 59, nullptr, "Linker Arm, Schulter – Sekunden"},
    {"SEEnt5m", &TSettings::Ent5m, 0, 60, "SEEnt5s", "Hals-Nacken-Bereich – Minuten"},
    {"SEEnt5s", &TSettings::Ent5s, 15, 59, nullptr, "Hals-Nacken-Bereich – Sekunden"},
    {"SEEnt6m", &TSettings::Ent6m, 0, 60, "SEEnt6s", "Rechter Unterschenkel – Minuten"},
    {"SEEnt6s", &TSettings::Ent6s, 15, 59, nullptr, "Rechter Unterschenkel – Sekunden"},
    {"SEEnt7m", &TSettings::Ent7m, 0, 60, "SEEnt7s", "Rechter Oberschenkel – Minuten"},
    {"SEEnt7s", &TSettings::Ent7s, 15, 59, nullptr, "Rechter Oberschenkel – Sekunden"},
    {"SEEnt8m", &TSettings::Ent8m, 0, 60, "SEEnt8s", "Brust, oberer Rücken – Minuten"},
    {"SEEnt8s", &TSettings::Ent8s, 15, 59, nullptr, "Brust, oberer Rücken – Sekunden"},
    {"SEEnt9m", &TSettings::Ent9m, 0, 60, "SEEnt9s", "Rechter Arm, Schulter – Minuten"},
    {"SEEnt9s", &TSettings::Ent9s, 15, 59, nullptr, "Rechter Arm, Schulter – Sekunden"},
    {"SEEnt10m", &TSettings::Ent10m, 0, 60, "SEEnt10s", "Kopfbereich – Minuten"},
    {"SEEnt10s", &TSettings::Ent10s, 30, 59, nullptr, "Kopfbereich – Sekunden"},
}};

const SpinBounds& spinBounds(std::string_view name) {
    const auto it = std::find_if(kSpinBounds.begin(), kSpinBounds.end(),
                                 [name](const SpinBounds& b) { return name == b.name; });
    if (it == kSpinBounds.end())
        std::abort(); // a field of the window without bounds is a programming error
    return *it;
}

int lowerBound(const TSettings& s, const SpinBounds& b) {
    for (const SpinBounds& minutes : kSpinBounds)
        if (minutes.seconds && std::string_view(minutes.seconds) == b.name)
            return s.*minutes.word > 0 ? 0 : b.min;
    return b.min;
}

namespace {

// The check boxes of the settings window: ticked only at 1.
struct BoxBounds {
    std::uint8_t TSettings::*field;
    const char* label;
};
constexpr std::array<BoxBounds, 5> kBoxBounds{{
    {&TSettings::Sound, "Ton"},
    {&TSettings::Text, "Text"},
    {&TSettings::DSTimer, "Programm startet mit aktivierter Zeitschaltuhr"},
    {&TSettings::T1On, "Automatische Trainingsauforderung"},
    {&TSettings::T2On, "Wächterfunktion"},
}};

} // namespace

std::vector<BoundsCorrection> boundSettings(TSettings& s) {
    std::vector<BoundsCorrection> fixed;
    auto set = [&fixed](auto& value, int now, const char* label) {
        if (value != now) {
            fixed.push_back({QString::fromUtf8(label), int(value), now});
            value = std::remove_reference_t<decltype(value)>(now);
        }
    };
    for (const BoxBounds& b : kBoxBounds)
        if (s.*b.field > 1)
            set(s.*b.field, 0, b.label);
    if (s.HoursPerDay != 12 && s.HoursPerDay != 24)
        set(s.HoursPerDay, 24, "Stunden pro Tag");

    // Minutes come before their seconds in the table, so a seconds field sees its minutes bounded.
    for (const SpinBounds& b : kSpinBounds)
        set(s.*b.word, std::clamp(int(s.*b.word), lowerBound(s, b), b.max), b.label);
    return fixed;
}
