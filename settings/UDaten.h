#pragma once

#include "runtime/SafeFile.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// The user's settings: one record of 170 bytes, stored whole in User.dat. Fields are named after
// the settings-window control that edits them (Atm1m by SEAtm1m).
struct TSettings {
    // Short string: length byte, then 8 characters (Windows-1252), carried through unchanged.
    std::array<std::uint8_t, 9> Passwort{};
    std::uint8_t HelpFirst = 0;
    std::uint8_t Sound = 1;
    std::uint8_t Text = 1;
    std::uint8_t DSTimer = 0;
    std::uint8_t HoursPerDay = 24;
    std::uint8_t T1On = 1;
    std::uint8_t T2On = 1;
    std::uint16_t h1 = 0, m1 = 45, s1 = 0;
    std::uint16_t h2 = 0, m2 = 10, s2 = 0;
    std::uint16_t hSTr = 0, mSTr = 0, sSTr = 7;
    std::uint16_t hS = 0, mS = 0, sS = 7;
    std::uint16_t Reserved40 = 5, Reserved42 = 6, Reserved44 = 5;
    std::uint16_t Atm1m = 0, Atm1s = 5, Atm2m = 0, Atm2s = 1, Atm3m = 0, Atm3s = 4, Atm4m = 0,
                  Atm4s = 1, AtmZ1 = 8;
    std::uint16_t Atm5m = 0, Atm5s = 7, Atm6m = 0, Atm6s = 6, AtmZ2 = 8;
    std::uint16_t Yog1D = 4, Yog1s = 1, Yog2D = 4, Yog2s = 1, Yog3D = 4, Yog3s = 1, Yog4D = 2,
                  Yog4s = 2, Yog5D = 1, Yog5s = 2, Yog6D = 1, Yog6s = 2, Yog7D = 2, Yog7s = 2,
                  Yog8D = 4, Yog8s = 2, Yog9D = 4, Yog9s = 4, Yog10D = 4, Yog10s = 2;
    std::uint16_t Aug1D = 5, Aug1s = 2, Aug2D = 5, Aug2s = 2, Aug3D = 5, Aug3s = 2, Aug4m = 1,
                  Aug4s = 0;
    std::uint16_t Ent1m = 0, Ent1s = 20, Ent2m = 0, Ent2s = 20, Ent3m = 0, Ent3s = 20, Ent4m = 0,
                  Ent4s = 20, Ent5m = 0, Ent5s = 20, Ent6m = 0, Ent6s = 20, Ent7m = 0, Ent7s = 20,
                  Ent8m = 0, Ent8s = 20, Ent9m = 0, Ent9s = 20, Ent10m = 0, Ent10s = 35;

    bool operator==(const TSettings&) const = default;
};

constexpr int kSettingsSize = 170;
using SettingsBytes = std::array<std::uint8_t, kSettingsSize>;

// The layout of the record in the file, field by field.
struct ByteField {
    const char* name;
    std::uint8_t TSettings::*member;
    int offset;
};
struct WordField {
    const char* name;
    std::uint16_t TSettings::*member;
    int offset; // little-endian
};
extern const std::array<ByteField, 7> kByteFields;
extern const std::array<WordField, 77> kWordFields;
constexpr int kPasswortOffset = 0;

SettingsBytes encodeSettings(const TSettings& s);
TSettings decodeSettings(const SettingsBytes& bytes);

struct BoundsCorrection;

// The record in memory and its file. Holds the one `Settings` of the program.
class UDaten {
public:
    TSettings Settings;   // every field at its default until the file is read
    QString WindowsDir;   // the settings folder; userConfigDir() when empty
    QString SettingsPath; // set by LocateSettingsFile

    // Shows a German message about a settings-file problem; the program goes on.
    std::function<void(const QString&)> onProblem;

    // The system calls the file is saved with; tests make single ones fail.
    rt::FileOps fileOps = rt::FileOps::system();

    // The user's configuration folder for Quillet: $XDG_CONFIG_HOME/quillet, or
    // ~/.config/quillet. It is made when the settings are first saved.
    static QString userConfigDir();

    // SettingsPath := WindowsDir/User.dat.
    void LocateSettingsFile();
    // Reads the file; writes the defaults when there is none. A file that cannot be read is
    // reported and is not replaced for the rest of the run (until a later read succeeds); a
    // damaged (short) one is kept under a new name before the defaults replace it.
    void LoadSettings();
    // Writes the record whole or not at all, so User.dat is never left half-written or replaced
    // by less than a record. Returns false (after reporting why) when nothing was saved.
    bool SaveSettings();
    // Every field to its default, then saved.
    void DefaultSettings();

    // The file could not be read in this run, so it must not be replaced.
    bool keepsFile() const { return keepFile_; }
    // The last save failed: the record in memory is newer than the file, and reading the file
    // again would lose it, so LoadSettings leaves the record alone until a save succeeds.
    bool unsaved() const { return unsaved_; }

    static constexpr char kPasswortPlaceholder = '*';

private:
    void problem(const QString& text);
    void reportBounds(const std::vector<BoundsCorrection>& fixed);
    bool saveRecord();

    bool keepFile_ = false;
    bool haveRecord_ = false; // the record was read or set to the defaults in this run
    bool unsaved_ = false;
    QString keepReason_;
    std::optional<SettingsBytes>
        reportedRecord_; // the last record whose values were brought into bounds
};
