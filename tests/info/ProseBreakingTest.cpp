#include "InfoChecks.h"

#include <gtest/gtest.h>

namespace {

const QFontMetrics& metrics() {
    static const QFontMetrics fm(rt::ProseArea::proseFont());
    return fm;
}

// Room for about this many characters of ordinary text.
int roomFor(int characters) {
    return metrics().horizontalAdvance(QString(characters, QLatin1Char('n')));
}

void expectWithin(const QStringList& lines, int room) {
    for (const QString& line : lines)
        EXPECT_LE(metrics().horizontalAdvance(line), room) << line.toStdString();
}

} // namespace

TEST(ProseBreaking, FillsLinesAtBlanksAndSeparatesParagraphs) {
    const QString source = QStringLiteral("eins zwei drei vier fünf sechs sieben acht neun zehn\n"
                                          "elf zwölf\n"
                                          "   \n"
                                          "Zweiter Absatz.");
    const int room = roomFor(20);
    const QStringList lines = rt::breakProse(source, metrics(), room);
    expectWithin(lines, room);
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines.last(), QStringLiteral("   Zweiter Absatz."));
    EXPECT_EQ(lines[lines.size() - 2], QString());
    // Every word once, in order, nothing split.
    QStringList words;
    for (const QString& line : lines.mid(0, lines.size() - 2)) {
        EXPECT_TRUE(line.startsWith(QStringLiteral("   ")));
        EXPECT_FALSE(line.startsWith(QStringLiteral("    ")));
        words << line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    }
    EXPECT_EQ(words.join(QLatin1Char(' ')),
              QStringLiteral("eins zwei drei vier fünf sechs sieben acht neun zehn elf zwölf"));
    // Greedy: no line could have taken the next line's first word.
    for (int i = 0; i + 1 < lines.size() - 2; ++i) {
        const QString next = lines[i + 1].trimmed().section(QLatin1Char(' '), 0, 0);
        EXPECT_GT(metrics().horizontalAdvance(lines[i] + QLatin1Char(' ') + next), room);
    }
}

TEST(ProseBreaking, KeepsMarkedLinesAsTheyStandAndFlowsOnAfterThem) {
    const QString source = QStringLiteral("|Erste  Zeile mit  zwei Blanks und Tren-\n"
                                          "nung, danach geht es weiter.");
    const QStringList lines = rt::breakProse(source, metrics(), roomFor(60));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("   Erste  Zeile mit  zwei Blanks und Tren-"));
    EXPECT_EQ(lines[1], QStringLiteral("   nung, danach geht es weiter."));
}

TEST(ProseBreaking, KeepsHyphenatedWordsDashesAndTiedBlanksWithTheirNeighbours) {
    QString source;
    for (int i = 0; i < 12; ++i)
        source += QStringLiteral("Muskel- und Nervenkraft – Atem-, Augen- oder Körperübung "
                                 "nach 7~Sekunden ");
    const int room = roomFor(30);
    const QStringList lines = rt::breakProse(source, metrics(), room);
    expectWithin(lines, room);
    for (const QString& line : lines) {
        EXPECT_FALSE(line.endsWith(QLatin1Char('-'))) << line.toStdString();
        EXPECT_FALSE(line.trimmed().startsWith(QChar(0x2013))) << line.toStdString();
        EXPECT_FALSE(line.endsWith(QStringLiteral(" 7"))) << line.toStdString();
        EXPECT_FALSE(line.contains(QLatin1Char('~'))) << line.toStdString();
    }
    EXPECT_TRUE(lines.join(QLatin1Char(' ')).contains(QStringLiteral("nach 7 Sekunden")));
}

TEST(ProseBreaking, EntriesHangTheirFurtherLines) {
    const QString source =
        QStringLiteral("* Autorin: Ein recht langer Titel eines Buches, Ort (Verlag), ISBN 0\n\n"
                       "* Kurz");
    const QStringList lines = rt::breakProse(source, metrics(), roomFor(28));
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines[0].left(12), QStringLiteral("   Autorin: "));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("      "))) << lines[1].toStdString();
    EXPECT_EQ(lines.last(), QStringLiteral("   Kurz"));
}

TEST(ProseBreaking, AWordWiderThanTheRoomStandsAlone) {
    const QStringList lines = rt::breakProse(
        QStringLiteral("a Donaudampfschifffahrtsgesellschaft b"), metrics(), roomFor(10));
    EXPECT_EQ(lines, (QStringList{QStringLiteral("   a"),
                                  QStringLiteral("   Donaudampfschifffahrtsgesellschaft"),
                                  QStringLiteral("   b")}));
}

TEST(ProseArea, MakesItsLinesForTheWidthItShows) {
    QWidget host;
    host.resize(400, 300);
    rt::ProseArea area(&host);
    area.setGeometry(0, 0, 300, 200);
    QString source;
    for (int i = 0; i < 40; ++i)
        source += QStringLiteral("Wort%1 ").arg(i);
    area.setProse(source);
    const QStringList narrow = area.lines();

    // A scroll bar takes width from the lines; a wider area gives them more.
    area.setVerticalBar(true);
    host.show();
    QApplication::processEvents();
    infotest::expectLinesFit(&area, QStringLiteral("with bar"));
    EXPECT_GE(area.lines().size(), narrow.size());

    area.resize(380, 200);
    QApplication::processEvents();
    infotest::expectLinesFit(&area, QStringLiteral("wider"));
    EXPECT_LT(area.lines().size(), narrow.size());
}
