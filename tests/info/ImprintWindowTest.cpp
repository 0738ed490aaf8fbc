#include "InfoChecks.h"
#include "app/UMainBoard.h"
#include "info/UImpressum.h"
#include "runtime/ProgramTexts.h"

#include <QAccessible>
#include <gtest/gtest.h>

#include <set>

using infotest::showNow;
using infotest::whileOpen;

namespace {

const char* const kCaptions[] = {" Quillet ",        " Unser Zeichenstudio ",
                                 "  Die Autoren   ", "   Qualifikationen   ",
                                 "  Kontakt  ",      "   Drehpause  auf dem Bauernhof   "};

} // namespace

TEST(ImprintWindow, HasItsCaptionSizeAndPages) {
    TFImpressum impressum;
    EXPECT_EQ(impressum.Form->caption(),
              QStringLiteral("Impressum") + QLatin1String(rt::kCaptionSuffix));
    EXPECT_EQ(impressum.Form->border(), rt::Form::Border::Dialog);
    EXPECT_EQ(impressum.Form->outerWidth(), 625);
    EXPECT_EQ(impressum.Form->outerHeight(), 473);
    EXPECT_EQ(impressum.TNB1->geometry(), QRect(-1, 0, 625, 473));
    EXPECT_EQ(impressum.TNB1->pageIndex(), 0);
    ASSERT_EQ(impressum.TNB1->pageCount(), int(std::size(kCaptions)));
    for (int i = 0; i < impressum.TNB1->pageCount(); ++i)
        EXPECT_EQ(impressum.TNB1->pageCaption(i), QString::fromUtf8(kCaptions[i]));

    // Where each control lives.
    EXPECT_EQ(impressum.Image7->parentWidget(), impressum.TNB1->page(0));
    EXPECT_EQ(impressum.Image2->parentWidget(), impressum.Panel1);
    EXPECT_EQ(impressum.Panel1->parentWidget(), impressum.TNB1->page(1));
    EXPECT_EQ(impressum.Image3->parentWidget(), impressum.Panel2);
    EXPECT_EQ(impressum.Image1->parentWidget(), impressum.Panel3);
    EXPECT_EQ(impressum.Label7->parentWidget(), impressum.TNB1->page(2));
    EXPECT_EQ(impressum.Memo3->parentWidget(), impressum.TNB1->page(3));
    EXPECT_EQ(impressum.Image4->parentWidget(), impressum.TNB1->page(4));
    EXPECT_EQ(impressum.Image5->parentWidget(), impressum.TNB1->page(5));
}

TEST(ImprintWindow, ShowsOurPicturesAndTheCaptionOfTheMakers) {
    TFImpressum impressum;
    const std::pair<rt::Image*, const char*> pictures[] = {
        {impressum.Image7, "impressum_marke.png"},   {impressum.Image2, "impressum_ort.png"},
        {impressum.Image3, "impressum_autor1.png"},  {impressum.Image1, "impressum_autor2.png"},
        {impressum.Image4, "impressum_kontakt.png"}, {impressum.Image5, "impressum_bauernhof.png"},
    };
    for (const auto& [image, name] : pictures) {
        EXPECT_FALSE(image->isEmpty()) << name;
        EXPECT_TRUE(image->pictureName().endsWith(QLatin1String(name))) << name;
    }
    EXPECT_FALSE(impressum.Image4->toolTip().isEmpty());
    EXPECT_EQ(impressum.Label6->text(), QStringLiteral("bei der täglichen "));
    EXPECT_EQ(impressum.Label7->text(), QStringLiteral("„Schreibtischarbeit“"));
    EXPECT_TRUE(impressum.Label3->text().contains(QStringLiteral("Quillet-Team")));
    EXPECT_TRUE(impressum.Label4->text().contains(QStringLiteral("Quillet-Team")));
    const QString built = impressum.Memo3->lines().join(QLatin1Char(' ')).simplified();
    for (const char* word : {"C++20", "Qt 6", "libjpeg-turbo", "libsndfile", "libpulse",
                             "eSpeak NG", "GoogleTest", "GPL-3.0-or-later", "CC BY-SA 4.0"})
        EXPECT_TRUE(built.contains(QLatin1String(word))) << word;
}

TEST(ImprintWindow, EveryPageFitsTheWindowAndPicturesFillTheirPages) {
    TFImpressum impressum;
    showNow(impressum.Form);
    for (int i = 0; i < impressum.TNB1->pageCount(); ++i) {
        impressum.TNB1->setPageIndex(i);
        QApplication::processEvents();
        infotest::expectPageInside(impressum.Form, impressum.TNB1);
    }
    // The visible part of the page reaches the window's bottom edge, and the full pictures
    // cover all of it.
    QWidget* page = impressum.TNB1->page(0);
    const QRect visible = impressum.VisiblePage();
    EXPECT_EQ(page->mapTo(impressum.Form, visible.bottomLeft()).y(), impressum.Form->height() - 1);
    EXPECT_EQ(impressum.Image7->geometry(), visible);
    EXPECT_EQ(impressum.Image5->geometry(), visible);
    EXPECT_GT(visible.height(), 380);

    for (const rt::ProseArea* memo : {impressum.Memo3, impressum.Memo1, impressum.Memo4}) {
        impressum.TNB1->setCurrentWidget(memo->parentWidget());
        QApplication::processEvents();
        infotest::expectLinesFit(memo, memo->lines().value(0));
        if (!memo->hasVerticalBar()) {
            EXPECT_EQ(memo->verticalScrollBar()->maximum(), 0) << "all lines shown";
        }
    }
}

TEST(ImprintWindow, ThePageShownAtClosingIsShownAtTheNextOpening) {
    TFImpressum impressum;
    whileOpen(impressum.Form, [&] { impressum.TNB1->setPageIndex(5); });
    int atSecondOpening = -1;
    whileOpen(impressum.Form, [&] { atSecondOpening = impressum.TNB1->pageIndex(); });
    EXPECT_EQ(atSecondOpening, 5);
}

TEST(ImprintWindow, EveryPictureHasAGermanNameOfItsOwn) {
    TFImpressum impressum;
    std::set<QString> names;
    for (rt::Image* image : {impressum.Image7, impressum.Image2, impressum.Image3, impressum.Image1,
                             impressum.Image4, impressum.Image5}) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(image);
        const QString name = a->text(QAccessible::Name);
        EXPECT_FALSE(name.isEmpty()) << image->pictureName().toStdString();
        EXPECT_TRUE(names.insert(name).second) << "twice: " << name.toStdString();
        EXPECT_FALSE(a->text(QAccessible::Description).isEmpty()) << name.toStdString();
    }
    EXPECT_EQ(QAccessible::queryAccessibleInterface(impressum.Image5)->text(QAccessible::Name),
              QStringLiteral("Pause auf dem Bauernhof"));
    // The contact picture's tooltip is what a screen reader reads as its description.
    EXPECT_EQ(
        QAccessible::queryAccessibleInterface(impressum.Image4)->text(QAccessible::Description),
        impressum.Image4->toolTip());
}
