#include "history/HistoryWindow.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QDate kToday(2026, 12, 9);

hist::Entries someWeeks() {
    hist::Entries e;
    auto at = [](int daysAgo) { return QDateTime(kToday.addDays(-daysAgo), QTime(10, 0)); };
    e.runs = {{at(0), 0, 10 * 60, true, true},
              {at(0), 3, 10 * 60, true, false},
              {at(1), 1, 10 * 60, false, false},
              {at(13), 2, 5 * 60, true, false},
              {at(20), 2, 5 * 60, true, false}};
    e.prompts = {{at(0), 0, 1, false},
                 {at(0), 0, 2, false},
                 {at(0), 1, 4, true},
                 {at(1), 1, 4, false},
                 {at(2), 1, 3, false}};
    return e;
}

} // namespace

TEST(HistoryWindow, BarsShowEachDayTodayAtTheRightAndTellTheirNumbers) {
    hist::HistoryWindow window(someWeeks(), kToday);
    window.show();
    ASSERT_NE(window.chart(), nullptr);
    EXPECT_EQ(window.emptyText(), nullptr);
    EXPECT_LE(window.width(), 1024);
    EXPECT_LE(window.height(), 768 - 60);
    hist::BarChart* chart = window.chart();
    ASSERT_EQ(chart->days().size(), 14u);
    EXPECT_EQ(chart->days().back().date, kToday);
    // Twenty minutes today, ten yesterday, five thirteen days ago; nothing else in the bars.
    EXPECT_NEAR(chart->barRect(13).height(), 2 * chart->barRect(12).height(), 1);
    EXPECT_NEAR(chart->barRect(12).height(), 2 * chart->barRect(0).height(), 1);
    EXPECT_EQ(chart->barRect(5).height(), 0);
    EXPECT_LT(chart->barRect(12).right(), chart->barRect(13).left());

    QWidget* today = chart->bar(13);
    EXPECT_EQ(today->accessibleName(), QStringLiteral("Heute, Mi. 9.12."));
    EXPECT_EQ(today->accessibleDescription(),
              QStringLiteral("20 Minuten (Atemübungen 10, Entspannungsübungen 10); "
                             "Trainingsaufforderungen befolgt 1, ignoriert 1; "
                             "Wachhund-Pausen abgelaufen 1"));
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(chart);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->role(), QAccessible::Table);
    EXPECT_EQ(table->childCount(), 14);
    EXPECT_EQ(table->child(13)->role(), QAccessible::Cell);
    EXPECT_EQ(table->child(13)->text(QAccessible::Description), today->accessibleDescription());

    EXPECT_EQ(window.weekLine()->text(),
              QStringLiteral("Diese Woche 30 Minuten, letzte Woche 0 Minuten."));
    // The watchdog's prompts that ran out are counted apart from the training prompts.
    ASSERT_NE(window.watchdogLine(), nullptr);
    EXPECT_EQ(window.watchdogLine()->text(),
              QStringLiteral("Wachhund-Pausen der letzten 14 Tage: 2 abgelaufen."));
    chart->grab(); // paints without trouble
}

// Each day is reached by keyboard: Tab comes to the bars, the arrow keys go from day to day.
TEST(HistoryWindow, TheDaysAreReachedByKeyboard) {
    hist::HistoryWindow window(someWeeks(), kToday);
    window.show();
    QApplication::setActiveWindow(&window);
    hist::BarChart* chart = window.chart();
    QWidget* reached = nullptr;
    for (int tab = 0; tab < 10 && !reached; ++tab) {
        QKeyEvent tabKey(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QApplication::sendEvent(window.focusWidget() ? window.focusWidget() : &window, &tabKey);
        if (window.focusWidget() && window.focusWidget()->parentWidget() == chart)
            reached = window.focusWidget();
    }
    ASSERT_NE(reached, nullptr);
    chart->bar(0)->setFocus(Qt::TabFocusReason);
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(chart->bar(0), &right);
    EXPECT_TRUE(chart->bar(1)->hasFocus());
    QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
    QApplication::sendEvent(chart->bar(1), &left);
    QApplication::sendEvent(chart->bar(0), &left); // stays on the first day
    EXPECT_TRUE(chart->bar(0)->hasFocus());
    chart->grab(); // the frame around the focused day paints without trouble
}

TEST(HistoryWindow, AnEmptyRecordGetsASentenceInsteadOfAChart) {
    hist::HistoryWindow window(hist::Entries{}, kToday);
    EXPECT_EQ(window.chart(), nullptr);
    ASSERT_NE(window.emptyText(), nullptr);
    EXPECT_TRUE(window.emptyText()->text().startsWith(QStringLiteral("Hier ist noch nichts")));
    EXPECT_FALSE(window.csvButton()->isEnabled());
}

TEST(HistoryWindow, TheWholeRecordIsSavedAsCsv) {
    QTemporaryDir dir;
    hist::HistoryWindow window(someWeeks(), kToday);
    const QString path = dir.filePath(QStringLiteral("verlauf.csv"));
    window.chooseFile = [&path](QWidget*) { return path; };
    window.csvButton()->click();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1 + 5 + 5);
    EXPECT_EQ(lines[0],
              QStringLiteral("Art,Beginn,Dauer in Sekunden,Übung,Ausgang,nach Erinnerung"));
    EXPECT_EQ(lines[1],
              QStringLiteral("Übung,2026-12-09T10:00:00,600,Atemübungen,bis zum Ende,ja"));
    EXPECT_EQ(
        lines[8],
        QStringLiteral("Erinnerung Wachhund,2026-12-09T10:00:00,,,abgelaufen (zurückgehalten),"));

    QStringList told;
    window.inform = [&told](const QString& text) { told << text; };
    EXPECT_FALSE(window.saveCsv(dir.filePath(QStringLiteral("fehlt/verlauf.csv"))));
    EXPECT_EQ(told.size(), 1);
}
