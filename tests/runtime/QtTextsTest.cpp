#include "runtime/QtTexts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <gtest/gtest.h>

#include <memory>

namespace {

// A menu's entries, separators left out, as one line: "entry|shortcut, ..." (Qt writes the
// shortcut of a standard context menu's entry into its text, after a tab).
std::string entries(QMenu* menu) {
    QStringList texts;
    for (const QAction* a : menu->actions())
        if (!a->isSeparator())
            texts << a->text().replace(QLatin1Char('\t'), QLatin1Char('|'));
    return texts.join(QStringLiteral(", ")).toStdString();
}

// With no translator but the program's own (the test program installs none of Qt's), Qt's
// parts that the program shows speak German.
class QtTexts : public ::testing::Test {
protected:
    void SetUp() override { QCoreApplication::installTranslator(&texts_); }
    void TearDown() override { QCoreApplication::removeTranslator(&texts_); }

    rt::QtGermanTexts texts_;
};

TEST_F(QtTexts, MessageBoxButtonsAreGerman) {
    QMessageBox box(QMessageBox::Information, QStringLiteral("Quillet"), QStringLiteral("Text"),
                    QMessageBox::Ok | QMessageBox::Abort);
    EXPECT_EQ(box.button(QMessageBox::Ok)->text(), QStringLiteral("OK"));
    EXPECT_EQ(box.button(QMessageBox::Abort)->text(), QStringLiteral("Abbrechen"));
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text(), QStringLiteral("&Ja"));
    EXPECT_EQ(box.button(QMessageBox::No)->text(), QStringLiteral("&Nein"));
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Abbrechen"));
}

TEST_F(QtTexts, ContextMenusOfTextFieldsAreGerman) {
    QLineEdit field(QStringLiteral("12"));
    const std::unique_ptr<QMenu> fieldMenu(field.createStandardContextMenu());
    EXPECT_EQ(entries(fieldMenu.get()),
              "&Rückgängig|Strg+Z, Wieder&herstellen|Strg+Y, &Ausschneiden|Strg+X, "
              "&Kopieren|Strg+C, Einf&ügen|Strg+V, Löschen, Alles auswählen|Strg+A");

    QPlainTextEdit prose(QStringLiteral("Hilfe"));
    prose.setReadOnly(true);
    const std::unique_ptr<QMenu> proseMenu(prose.createStandardContextMenu());
    EXPECT_EQ(entries(proseMenu.get()), "&Kopieren|Strg+C, Alles auswählen|Strg+A");
}

// Asked with a disambiguation, the text without one answers, as in Qt's own catalogue.
TEST_F(QtTexts, ATextAskedWithADisambiguationIsFound) {
    EXPECT_EQ(texts_.translate("QFileSystemModel", "Type", "All other platforms"),
              QStringLiteral("Typ"));
}

// Where Qt's German catalogue is installed (a developer's machine, CI), every text of the table
// is checked against it: a text Qt has reworded in a new version shows up here.
TEST(QtTextsCatalogue, EveryTextIsQtsOwnGermanWording) {
    QTranslator catalogue;
    if (!catalogue.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        GTEST_SKIP() << "Qt's German catalogue (qt6-translations-l10n) is not installed";
    int count = 0;
    for (const auto* e = rt::QtGermanTexts::begin(); e != rt::QtGermanTexts::end(); ++e, ++count)
        EXPECT_EQ(catalogue.translate(e->context, e->source).toStdString(), e->german)
            << e->context << " / " << e->source;
    EXPECT_GT(count, 50);
}

} // namespace
