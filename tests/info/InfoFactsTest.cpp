// What the help, the imprint and the package's copyright say about the program, held against
// the program itself: the default lengths against the settings window's totals, the picture
// readers against the picture files, the licences against the files they cover.
#include "info/HelpTexts.h"
#include "info/UImpressum.h"
#include "runtime/Clock.h"
#include "settings/UDaten.h"
#include "settings/UMenue.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

// A page's prose as one line of words, as the reader takes it in.
QString pageWords(int page) {
    return HelpProse(kHelpPages[size_t(page)])
        .replace(QLatin1Char('~'), QLatin1Char(' '))
        .remove(QLatin1Char('|'))
        .simplified();
}

// "fünf" 300, "siebeneinhalb" 450, "7" 420; -1 for what is not a number of minutes.
int minutesSaid(QString word) {
    static const QStringList kNumbers{"null",  "eins",   "zwei", "drei", "vier", "fünf",
                                      "sechs", "sieben", "acht", "neun", "zehn"};
    int half = 0;
    if (word.endsWith(QLatin1String("einhalb"))) {
        word.chop(7);
        half = 30;
    }
    bool digits = false;
    const int n = word.toInt(&digits);
    const int minutes = digits ? n : int(kNumbers.indexOf(word));
    return minutes < 0 ? -1 : minutes * 60 + half;
}

const QString kRepo = QStringLiteral(QUILLET_SOURCE_DATA_DIR "/..");

} // namespace

TEST(HelpFacts, StatedDefaultLengthsAreTheSettingsWindowsTotals) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    UDaten daten;
    daten.WindowsDir = dir.path();
    daten.LocateSettingsFile();
    daten.DefaultSettings();
    rt::ManualClock clock;
    TFMenue menue(daten, clock);
    menue.FormActivate();
    auto total = [&](int page) {
        return menue.TotalMinutes(page).toInt() * 60 + menue.TotalSeconds(page).toInt();
    };

    static const QRegularExpression lengths(
        QStringLiteral("Atem-, Augen- und Entspannungsübungen sind jeweils (\\S+) Minuten und "
                       "für die Körperübungen (\\S+) Minuten"));
    const QRegularExpressionMatch said = lengths.match(pageWords(2));
    ASSERT_TRUE(said.hasMatch()) << pageWords(2).left(200).toStdString();
    const int others = minutesSaid(said.captured(1)), body = minutesSaid(said.captured(2));
    EXPECT_EQ(others, total(1)) << "breathing";
    EXPECT_EQ(others, total(3)) << "eyes";
    EXPECT_EQ(others, total(4)) << "relaxation";
    EXPECT_EQ(body, total(2)) << "body exercises: " << said.captured(2).toStdString();

    // The time switch's page: training interval, its prompt, watchdog interval, its prompt.
    const TSettings s = daten.Settings;
    const int defaults[] = {s.h1 * 3600 + s.m1 * 60 + s.s1, s.mSTr * 60 + s.sSTr,
                            s.h2 * 3600 + s.m2 * 60 + s.s2, s.mS * 60 + s.sS};
    static const QRegularExpression preset(
        QStringLiteral("voreingestellt: (?:alle )?(\\d+) (Minuten|Sekunden)"));
    int n = 0;
    for (auto it = preset.globalMatch(pageWords(1)); it.hasNext(); ++n) {
        const QRegularExpressionMatch m = it.next();
        const int seconds = m.captured(1).toInt() * (m.captured(2).startsWith('M') ? 60 : 1);
        ASSERT_LT(n, 4);
        EXPECT_EQ(seconds, defaults[n]) << m.captured(0).toStdString();
    }
    EXPECT_EQ(n, 4);
}

TEST(ImprintFacts, NamesTheReaderOfEachKindOfPicture) {
    // Every kind of picture file the program reads: its data and its window pictures.
    QSet<QString> kinds;
    for (const QString& root :
         {kRepo + QStringLiteral("/data/Pictures"), QStringLiteral(":/design")})
        for (QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
            kinds << QFileInfo(it.next()).suffix().toLower();
    const std::map<QString, QString> names{{"jpg", "JPEG"}, {"bmp", "BMP"}, {"png", "PNG"}};
    ASSERT_TRUE(kinds.contains(QStringLiteral("jpg")) && kinds.contains(QStringLiteral("png")));

    TFImpressum impressum;
    const QString built = impressum.Memo3->lines().join(QLatin1Char(' ')).simplified();
    for (const QString& kind : kinds) {
        ASSERT_EQ(names.count(kind), 1u) << kind.toStdString();
        EXPECT_TRUE(built.contains(names.at(kind))) << kind.toStdString();
    }
    // libjpeg-turbo reads the JPEGs and nothing else.
    static const QRegularExpression clauses(QStringLiteral("[.,;]"));
    for (const QString& clause : built.split(clauses)) {
        if (!clause.contains(QLatin1String("libjpeg-turbo")))
            continue;
        EXPECT_TRUE(clause.contains(QLatin1String("JPEG"))) << clause.toStdString();
        EXPECT_FALSE(clause.contains(QLatin1String("BMP")) || clause.contains(QLatin1String("PNG")))
            << clause.toStdString();
    }
}

namespace {

struct Stanza {
    QStringList files; // patterns; empty for a stand-alone licence
    QString licence;   // its short name
    int textLines = 0; // lines of licence text below the name
    QString text;
};

// The paragraphs of a machine-readable copyright file.
std::vector<Stanza> readCopyright(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text)) << path.toStdString();
    std::vector<Stanza> out;
    Stanza cur;
    QString field;
    auto flush = [&] {
        if (!cur.licence.isEmpty())
            out.push_back(cur);
        cur = Stanza{};
        field.clear();
    };
    for (const QString& line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
        if (line.trimmed().isEmpty()) {
            flush();
        } else if (line.startsWith(QLatin1Char(' ')) || line.startsWith(QLatin1Char('\t'))) {
            if (field == QLatin1String("Files"))
                cur.files += line.simplified().split(QLatin1Char(' '));
            else if (field == QLatin1String("License")) {
                ++cur.textLines;
                cur.text += line + QLatin1Char('\n');
            }
        } else {
            field = line.section(QLatin1Char(':'), 0, 0);
            const QString value = line.section(QLatin1Char(':'), 1).simplified();
            if (field == QLatin1String("Files"))
                cur.files = value.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            else if (field == QLatin1String("License"))
                cur.licence = value;
        }
    }
    flush();
    return out;
}

// The licence of a file: the last paragraph whose pattern matches it ('*' matches '/' too).
QString licenceOf(const std::vector<Stanza>& stanzas, const QString& file) {
    QString licence;
    for (const Stanza& s : stanzas)
        for (const QString& pattern : s.files) {
            QString re = QRegularExpression::escape(pattern);
            re.replace(QLatin1String("\\*"), QLatin1String(".*"))
                .replace(QLatin1String("\\?"), QLatin1String("."));
            if (QRegularExpression(QRegularExpression::anchoredPattern(re)).match(file).hasMatch())
                licence = s.licence;
        }
    return licence;
}

} // namespace

TEST(CopyrightFacts, PicturesAndNarrationAreCcBySaAndTheProgramIsGpl) {
    const std::vector<Stanza> stanzas =
        readCopyright(kRepo + QStringLiteral("/packaging/copyright"));
    ASSERT_FALSE(stanzas.empty());

    int media = 0;
    for (const char* folder : {"/data/Pictures", "/data/Sound", "/app/design"})
        for (QDirIterator it(kRepo + QLatin1String(folder), {"*.jpg", "*.bmp", "*.png", "*.wav"},
                             QDir::Files, QDirIterator::Subdirectories);
             it.hasNext(); ++media) {
            const QString file = QDir(kRepo).relativeFilePath(it.next());
            EXPECT_EQ(licenceOf(stanzas, file).toStdString(), "CC-BY-SA-4.0") << file.toStdString();
        }
    EXPECT_GT(media, 100);
    for (const char* file :
         {"app/UMainBoard.cpp", "info/UImpressum.cpp", "tools/pictures/src/Figure.cpp"})
        EXPECT_EQ(licenceOf(stanzas, QLatin1String(file)).toStdString(), "GPL-3.0-or-later")
            << file;

    // data/LICENSE names the same licence.
    QFile dataLicence(kRepo + QStringLiteral("/data/LICENSE"));
    ASSERT_TRUE(dataLicence.open(QIODevice::ReadOnly));
    EXPECT_TRUE(dataLicence.readAll().contains("Attribution-ShareAlike 4.0 International"));

    // Every licence named has its text: with its paragraph, or in a paragraph of its own. A
    // Creative Commons licence needs its full legal code, not a summary.
    for (const Stanza& s : stanzas) {
        if (s.files.isEmpty())
            continue;
        const auto text = std::find_if(stanzas.begin(), stanzas.end(), [&](const Stanza& t) {
            return t.licence == s.licence && t.textLines > 0;
        });
        ASSERT_NE(text, stanzas.end()) << s.licence.toStdString() << " has no text";
        if (s.licence.startsWith(QLatin1String("CC-BY"))) {
            EXPECT_GT(text->textLines, 300);
            EXPECT_TRUE(text->text.contains(
                QLatin1String("Attribution-ShareAlike 4.0 International Public License")));
        }
    }
}
