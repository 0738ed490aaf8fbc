// A settings file whose values lie outside what the settings window allows is used with those
// values brought into the window's bounds, told once, and left as it is until the user saves.
#include "settings/SettingsBounds.h"
#include "settings/UDaten.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <random>

namespace {

class SettingsBounds : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        daten.WindowsDir = dir.path();
        daten.LocateSettingsFile();
        daten.onProblem = [this](const QString& t) { problems << t; };
    }
    void writeFile(const QByteArray& bytes) {
        QFile f(daten.SettingsPath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    void writeFile(const TSettings& s) {
        const SettingsBytes b = encodeSettings(s);
        writeFile(QByteArray(reinterpret_cast<const char*>(b.data()), kSettingsSize));
    }
    QByteArray fileBytes() const {
        QFile f(daten.SettingsPath);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    UDaten daten;
    QStringList problems;
};

// The seconds field's own lower bound holds only while its minutes are 0.
int lowestAllowed(const TSettings& s, const SpinBounds& b) {
    for (const SpinBounds& m : kSpinBounds)
        if (m.seconds && std::string_view(m.seconds) == b.name && s.*m.word > 0)
            return 0;
    return b.min;
}

} // namespace

TEST_F(SettingsBounds, ARecordOfAllOnesIsBroughtIntoBoundsToldOnceAndLeftOnDisk) {
    const QByteArray ones(kSettingsSize, char(0xff));
    writeFile(ones);
    daten.LoadSettings();

    const TSettings& s = daten.Settings;
    for (const SpinBounds& b : kSpinBounds)
        EXPECT_EQ(s.*b.word, b.max) << b.name; // every minutes field is above 0
    EXPECT_EQ(s.HoursPerDay, 24);
    for (auto box : {s.Sound, s.Text, s.DSTimer, s.T1On, s.T2On})
        EXPECT_EQ(box, 0) << "a box that is not 1 shows unticked";
    // What the window does not edit is carried through.
    EXPECT_EQ(s.HelpFirst, 0xff);
    EXPECT_EQ(s.hSTr, 0xffff);
    EXPECT_EQ(s.Reserved42, 0xffff);
    EXPECT_EQ(s.Passwort[3], 0xff);

    ASSERT_EQ(problems.size(), 1);
    const QString& text = problems[0];
    EXPECT_TRUE(text.contains(QStringLiteral("liegen 78 Werte außerhalb"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("• Training alle – Stunden: 24 statt 65535")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("• und 66 weitere"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("bis Sie die Einstellungen speichern")));
    EXPECT_EQ(fileBytes(), ones) << "nothing is saved until the user saves";

    // The board reads the file again after each settings window: the same record is not
    // told again, but the values stay bounded.
    daten.LoadSettings();
    EXPECT_EQ(problems.size(), 1);
    EXPECT_EQ(daten.Settings.Yog1D, 999);

    // Saving writes the bounded values; the next read has nothing to tell.
    ASSERT_TRUE(daten.SaveSettings());
    daten.LoadSettings();
    EXPECT_EQ(problems.size(), 1);
    EXPECT_EQ(fileBytes()[kWordFields[0].offset], 24);
}

TEST_F(SettingsBounds, SecondsFollowTheirMinutes) {
    TSettings s;
    s.m1 = 0;
    s.s1 = 0; // raised to the 5 s the window allows at 0 minutes
    s.Aug4m = 0;
    s.Aug4s = 0; // palming is never 0:00 either: 5 s at least
    s.Ent2m = 1;
    s.Ent2s = 0; // with a minute, 0 seconds are fine
    s.Ent10m = 0;
    s.Ent10s = 14;
    s.mS = 200; // minutes beyond 60 are 60, and then any seconds go
    s.sS = 0;
    writeFile(s);
    daten.LoadSettings();
    EXPECT_EQ(daten.Settings.s1, 5);
    EXPECT_EQ(daten.Settings.Aug4s, 5);
    EXPECT_EQ(daten.Settings.Ent2s, 0);
    EXPECT_EQ(daten.Settings.Ent10s, 30);
    EXPECT_EQ(daten.Settings.mS, 60);
    EXPECT_EQ(daten.Settings.sS, 0);
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].contains(QStringLiteral("liegen 4 Werte")))
        << problems[0].toStdString();
    EXPECT_TRUE(problems[0].contains(QStringLiteral("Kopfbereich – Sekunden: 30 statt 14")));
}

TEST_F(SettingsBounds, HoursPerDayAreTwelveOrTwentyFour) {
    for (const auto& [given, used] : {std::pair{12, 12}, {24, 24}, {0, 24}, {13, 24}, {255, 24}}) {
        TSettings s;
        s.HoursPerDay = std::uint8_t(given);
        EXPECT_EQ(boundSettings(s).size(), given == used ? 0u : 1u) << given;
        EXPECT_EQ(s.HoursPerDay, used) << given;
    }
}

TEST_F(SettingsBounds, ValuesWithinTheBoundsAreNeitherChangedNorTold) {
    TSettings s;
    s.Yog9s = 60;
    s.AtmZ2 = 1000;
    s.h1 = 24;
    s.HoursPerDay = 12;
    writeFile(s);
    daten.LoadSettings();
    EXPECT_EQ(daten.Settings, s);
    EXPECT_TRUE(problems.isEmpty());
}

TEST_F(SettingsBounds, AnyRecordComesOutInBoundsAndStaysSoWhenBoundAgain) {
    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 500; ++round) {
        SettingsBytes bytes{};
        for (auto& b : bytes)
            b = std::uint8_t(byte(random));
        TSettings s = decodeSettings(bytes);
        boundSettings(s);
        for (const SpinBounds& b : kSpinBounds) {
            EXPECT_GE(s.*b.word, lowestAllowed(s, b)) << b.name << " in round " << round;
            EXPECT_LE(s.*b.word, b.max) << b.name << " in round " << round;
        }
        const TSettings once = s;
        EXPECT_TRUE(boundSettings(s).empty()) << "round " << round;
        EXPECT_EQ(s, once);
    }
}
