#include "InfoChecks.h"
#include "app/UMainBoard.h"
#include "info/UHilfe.h"
#include "runtime/ProgramTexts.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using infotest::expectLinesFit;
using infotest::showNow;
using infotest::whileOpen;

namespace {

// The pages as the user meets them: caption, text area, scroll bar, and the first line each
// text opens with (after its three blanks), exactly as it has always read.
struct ExpectedPage {
    const char* caption;
    const char* memo;
    bool scrollBar;
    const char* firstLine;
};
const ExpectedPage kPages[] = {
    {" Einführung ", "Memo1", false,
     "Schreibtisch- sowie Bildschirmarbeit stellt hohe Anforderungen an Körper und Geist "
     "hinsichtlich Kon-"},
    {" Zeitschaltuhr ", "Memo6", true,
     "Die automatische Trainingsaufforderung sowie die Wächterfunktion sind wie folgt im Menue "
     "einstell-"},
    {" Wichtige Hinweise ", "Memo7", true,
     "Die Voreinstellungen für Atem-, Augen-  und Entspannungsübungen sind jeweils fünf Minuten "
     "und"},
    {" Atmen ", "Memo2", true,
     "Intensives Atmen steigert  die Sauerstoffzufuhr in  Körper und Gehirn, senkt überhöhten "
     "Blutdruck,"},
    {" Körperübungen ", "Memo3", true,
     "In einer  duch  Leistungsdruck  geprägten Gesellschaft  neigt der Mensch  gerne zu  "
     "Spannungszu-"},
    {" Augen  ", "Memo4", true,
     "Die Übungen mit den Augen Verbessern deren Durchblutung, entspannen und kräftigen die "
     "Augen-"},
    {" Entspannung ", "Memo5", true,
     "Gründliches Entspannen minimiert den  Verbrauch  an  Muskel-  und  besonders an "
     "Nervenenergie,"},
    {" Literaturverzeichnis ", "Memo8", true, nullptr},
};
constexpr int kPageCount = int(std::size(kPages));
const QString kThreeBlanks = QStringLiteral("   ");

bool isbnValid(const QString& isbn) {
    QString digits = isbn;
    digits.remove(QLatin1Char('-'));
    if (digits.size() == 10) {
        int sum = 0;
        for (int i = 0; i < 10; ++i) {
            const QChar c = digits[i];
            const int value = (i == 9 && c == QLatin1Char('X')) ? 10 : c.digitValue();
            if (value < 0)
                return false;
            sum += (10 - i) * value;
        }
        return sum % 11 == 0;
    }
    if (digits.size() == 13) {
        int sum = 0;
        for (int i = 0; i < 13; ++i) {
            const int value = digits[i].digitValue();
            if (value < 0)
                return false;
            sum += (i % 2 == 0 ? 1 : 3) * value;
        }
        return sum % 10 == 0;
    }
    return false;
}

} // namespace

TEST(HelpWindow, HasItsCaptionSizeAndNotebookFromCreation) {
    TFHilfe hilfe;
    EXPECT_EQ(hilfe.Form->caption(), QStringLiteral("Hilfe") + QLatin1String(rt::kCaptionSuffix));
    EXPECT_EQ(hilfe.Form->border(), rt::Form::Border::Dialog);
    EXPECT_EQ(hilfe.Form->clientWidth(), 632);
    EXPECT_EQ(hilfe.Form->clientHeight(), 373);
    EXPECT_EQ(hilfe.TNB1->geometry(),
              QRect(-1, 0, hilfe.Form->outerWidth(), hilfe.Form->outerHeight()));
    EXPECT_EQ(hilfe.TNB1->pageIndex(), 0);

    // Centred as the program entry places it, and the client area as asked for on screen.
    hilfe.Form->centreOn(1024, 767);
    EXPECT_EQ(hilfe.Form->left(), (1024 - hilfe.Form->outerWidth()) / 2);
    showNow(hilfe.Form);
    EXPECT_EQ(hilfe.Form->size(), QSize(632, 373));
}

TEST(HelpWindow, PagesHaveTheirCaptionsAndTextAreas) {
    TFHilfe hilfe;
    ASSERT_EQ(hilfe.TNB1->pageCount(), kPageCount);
    ASSERT_EQ(hilfe.Memos.size(), size_t(kPageCount));
    const rt::ProseArea* byName[] = {hilfe.Memo1, hilfe.Memo6, hilfe.Memo7, hilfe.Memo2,
                                     hilfe.Memo3, hilfe.Memo4, hilfe.Memo5, hilfe.Memo8};
    for (int i = 0; i < kPageCount; ++i) {
        const ExpectedPage& expected = kPages[i];
        const rt::ProseArea* memo = hilfe.Memos[size_t(i)];
        SCOPED_TRACE(expected.memo);
        EXPECT_EQ(hilfe.TNB1->pageCaption(i), QString::fromUtf8(expected.caption));
        EXPECT_EQ(memo, byName[i]);
        EXPECT_EQ(memo->objectName(), QLatin1String(expected.memo));
        EXPECT_EQ(memo->parentWidget(), hilfe.TNB1->page(i));
        EXPECT_EQ(memo->geometry(), QRect(8, 8, 609, 329));
        EXPECT_TRUE(memo->isReadOnly());
        EXPECT_EQ(memo->hasVerticalBar(), expected.scrollBar);
        EXPECT_EQ(memo->palette().color(QPalette::Base), QColor(Qt::white));
    }
}

TEST(HelpWindow, EachTextOpensWithItsFirstLineAsItStands) {
    TFHilfe hilfe;
    for (int i = 0; i < kPageCount; ++i) {
        if (!kPages[i].firstLine)
            continue;
        SCOPED_TRACE(kPages[i].memo);
        const QStringList lines = hilfe.Memos[size_t(i)]->lines();
        ASSERT_GE(lines.size(), 2);
        const QString first = QString::fromUtf8(kPages[i].firstLine);
        EXPECT_EQ(lines[0], kThreeBlanks + first);
        // A first line that ends inside a word goes on with the rest of it, in small letters.
        if (first.endsWith(QLatin1Char('-'))) {
            ASSERT_TRUE(lines[1].startsWith(kThreeBlanks));
            EXPECT_TRUE(lines[1].at(3).isLower()) << lines[1].toStdString();
        }
    }
}

TEST(HelpWindow, EveryLineFitsTheShownWidthAndUnscrolledPagesShowAllLines) {
    TFHilfe hilfe;
    QList<QStringList> beforeShowing;
    for (const rt::ProseArea* memo : hilfe.Memos)
        beforeShowing << memo->lines();
    showNow(hilfe.Form);
    for (int i = 0; i < kPageCount; ++i) {
        hilfe.TNB1->setPageIndex(i);
        QApplication::processEvents();
        const rt::ProseArea* memo = hilfe.Memos[size_t(i)];
        expectLinesFit(memo, QLatin1String(kPages[i].memo));
        // The lines made before the window was first shown were made for the width it shows.
        EXPECT_EQ(memo->lines(), beforeShowing[i]) << kPages[i].memo;
        EXPECT_EQ(memo->lineRoom() + 4, infotest::shownRoom(memo));
        if (!kPages[i].scrollBar) {
            EXPECT_EQ(memo->verticalScrollBar()->maximum(), 0)
                << kPages[i].memo << " has more lines than it shows";
        }
        infotest::expectPageInside(hilfe.Form, hilfe.TNB1);
    }
}

TEST(HelpWindow, LinesStartWithThreeBlanksAndAreNotHyphenatedByHand) {
    TFHilfe hilfe;
    for (int i = 0; i < kPageCount; ++i) {
        SCOPED_TRACE(kPages[i].memo);
        const QStringList lines = hilfe.Memos[size_t(i)]->lines();
        int text = 0, indented = 0;
        for (int n = 0; n < lines.size(); ++n) {
            const QString& line = lines[n];
            EXPECT_FALSE(line.contains(QChar(0x00ad))) << "soft hyphen in " << line.toStdString();
            if (line.isEmpty())
                continue;
            ++text;
            indented += line.startsWith(kThreeBlanks) ? 1 : 0;
            EXPECT_NE(line.back(), QLatin1Char(' ')) << line.toStdString();
            // Only the first lines, kept as they always stood, break inside a word.
            if (n == 0 && kPages[i].firstLine)
                continue;
            EXPECT_FALSE(line.endsWith(QLatin1Char('-'))) << line.toStdString();
        }
        EXPECT_GT(text, 5);
        EXPECT_GE(indented * 10, text * 9) << indented << " of " << text;
    }
}

TEST(HelpWindow, ThePageShownAtClosingIsShownAtTheNextOpening) {
    TFHilfe hilfe;
    int atSecondOpening = -1;
    whileOpen(hilfe.Form, [&] {
        EXPECT_EQ(hilfe.TNB1->pageIndex(), 0);
        hilfe.TNB1->setPageIndex(3); // " Atmen "
    });
    EXPECT_FALSE(hilfe.Form->isVisible());
    whileOpen(hilfe.Form, [&] { atSecondOpening = hilfe.TNB1->pageIndex(); });
    EXPECT_EQ(atSecondOpening, 3);
    EXPECT_EQ(hilfe.TNB1->pageCaption(atSecondOpening), QStringLiteral(" Atmen "));
}

TEST(HelpWindow, AllTabsShowTheirWholeCaption) {
    TFHilfe hilfe;
    showNow(hilfe.Form);
    const QTabBar* tabs = hilfe.TNB1->tabBar();
    const QFontMetrics fm(tabs->font());
    EXPECT_GE(hilfe.TNB1->tabPixels(), rt::Notebook::kMinTabPixels);
    EXPECT_FALSE(tabs->usesScrollButtons());
    for (int i = 0; i < tabs->count(); ++i) {
        const QRect tab(tabs->mapTo(hilfe.Form, tabs->tabRect(i).topLeft()),
                        tabs->tabRect(i).size());
        EXPECT_TRUE(hilfe.Form->rect().contains(tab))
            << kPages[i].memo << " " << tab.x() << "," << tab.y() << " " << tab.width() << "x"
            << tab.height();
        EXPECT_LE(fm.horizontalAdvance(tabs->tabText(i)), tab.width()) << kPages[i].memo;
    }
}

TEST(ReadingList, NamesEveryBookWithAValidIsbn) {
    TFHilfe hilfe;
    const QString text = hilfe.Memo8->lines().join(QLatin1Char(' ')).simplified();
    static const QRegularExpression isbn(QStringLiteral("ISBN ([0-9X-]+)"));
    QStringList seen;
    for (auto it = isbn.globalMatch(text); it.hasNext();) {
        const QString number = it.next().captured(1);
        EXPECT_TRUE(isbnValid(number)) << number.toStdString();
        EXPECT_FALSE(seen.contains(number)) << number.toStdString();
        seen << number;
    }
    EXPECT_GE(seen.size(), 10);
    // One ISBN to each entry: an entry is a paragraph of its own.
    const QStringList paragraphs =
        hilfe.Memo8->lines().join(QLatin1Char('\n')).split(QStringLiteral("\n\n"));
    EXPECT_EQ(paragraphs.size(), seen.size() + 1) << "an introduction, then one entry a book";
}

TEST(ReadingList, CheckDigitTestTellsGoodFromBad) {
    EXPECT_TRUE(isbnValid(QStringLiteral("0-89281-764-X")));
    EXPECT_TRUE(isbnValid(QStringLiteral("978-3-8017-2414-6")));
    EXPECT_FALSE(isbnValid(QStringLiteral("978-3-8017-2414-7")));
    EXPECT_FALSE(isbnValid(QStringLiteral("0-89281-764-1")));
    EXPECT_FALSE(isbnValid(QStringLiteral("978-3-8017-2414")));
}
