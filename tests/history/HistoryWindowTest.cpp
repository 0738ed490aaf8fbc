#include "history/HistoryWindow.h"
#include "support/KeyLetters.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
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

// The file is written on a thread of its own; its end is told to the window as an event.
void waitForSave(const hist::HistoryWindow& window) {
    for (int round = 0; round < 1000 && window.saving(); ++round)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    ASSERT_FALSE(window.saving());
}

} // namespace

TEST(HistoryWindow, BarsShowEachDayTodayAtTheRightAndTellTheirNumbers) {
    hist::HistoryWindow window(someWeeks(), kToday);
    window.show();
    ASSERT_NE(window.chart(), nullptr);
    EXPECT_TRUE(window.emptyText()->isHidden());
    EXPECT_FALSE(window.isModal()) << "the board's prompts work while it is open";
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
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(chart);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->role(), QAccessible::List);
    EXPECT_EQ(list->childCount(), 14);
    EXPECT_EQ(list->child(13)->role(), QAccessible::ListItem);
    EXPECT_EQ(list->child(13)->text(QAccessible::Description), today->accessibleDescription());

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
    EXPECT_EQ(keys::sharedLetters(keys::textsOf(window)), "");
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
    EXPECT_FALSE(window.chart()->isVisibleTo(&window));
    EXPECT_FALSE(window.emptyText()->isHidden());
    EXPECT_TRUE(window.emptyText()->text().startsWith(QStringLiteral("Hier ist noch nichts")));
    EXPECT_FALSE(window.csvButton()->isEnabled());
}

TEST(HistoryWindow, TheWholeRecordIsSavedAsCsv) {
    QTemporaryDir dir;
    hist::HistoryWindow window(someWeeks(), kToday);
    const QString path = dir.filePath(QStringLiteral("verlauf.csv"));
    window.chooseFile = [&path](QWidget*, auto chosen) {
        chosen({path, hist::CsvStyle{';', true}});
    };
    window.csvButton()->click();
    EXPECT_FALSE(window.csvButton()->isEnabled()) << "while it is written";
    waitForSave(window);
    EXPECT_TRUE(window.csvButton()->isEnabled());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    EXPECT_TRUE(text.startsWith("\xEF\xBB\xBF")) << "a byte order mark for the spreadsheet";
    const QStringList lines = QString::fromUtf8(text.mid(3)).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1 + 5 + 5) << "the whole record, not the days shown";
    EXPECT_EQ(lines[0],
              QStringLiteral("Art;Beginn;Dauer in Sekunden;Übung;Ausgang;nach Erinnerung"));

    QStringList told;
    window.inform = [&told](const QString& text) { told << text; };
    window.saveCsv(dir.filePath(QStringLiteral("fehlt/verlauf.csv")), {});
    waitForSave(window);
    EXPECT_EQ(told.size(), 1);
}

namespace {

// Rows in memory that count what is asked of them, and a line about recording.
struct CountingSource final : hist::RecordSource {
    explicit CountingSource(hist::Entries e) : rows(std::move(e)) {}
    hist::Entries days(const QDate& first, const QDate& last) override {
        asked.push_back({first, last});
        return rows.days(first, last);
    }
    hist::Entries everything() override { return rows.everything(); }
    bool holdsAny() override { return true; }
    QString waitingLine() override { return line; }
    hist::MemorySource rows;
    std::vector<std::pair<QDate, QDate>> asked;
    QString line;
};

void press(QWidget* window, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent down(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(window->focusWidget() ? window->focusWidget() : window, &down);
}

} // namespace

// Older weeks are reached by keyboard, one week at a time, and a month at once; only the days
// shown are read.
TEST(HistoryWindow, GoesBackByWeekAndByMonthReadingOnlyTheDaysShown) {
    CountingSource source(someWeeks());
    source.line = QStringLiteral("Die Aufzeichnung wartet: Auf dem Datenträger ist kein Platz "
                                 "mehr frei.");
    hist::HistoryWindow window(source, [] { return kToday; });
    window.show();
    QApplication::setActiveWindow(&window);
    EXPECT_EQ(window.waitingLine()->text(), source.line);
    EXPECT_FALSE(window.laterButton()->isEnabled()) << "nothing after today";
    EXPECT_EQ(window.earlierButton()->accessibleName(), QStringLiteral("Vorherige Woche"));
    auto read = [&source](QDate first, QDate last) {
        return std::count(source.asked.begin(), source.asked.end(), std::make_pair(first, last));
    };
    EXPECT_EQ(source.asked.size(), 1u) << "the days shown hold the weeks compared";
    EXPECT_EQ(read(kToday.addDays(-13), kToday), 1);

    press(&window, Qt::Key_PageUp);
    EXPECT_EQ(window.lastDay(), kToday.addDays(-7));
    EXPECT_EQ(read(kToday.addDays(-20), kToday.addDays(-7)), 1);
    EXPECT_EQ(window.heading()->text(), QStringLiteral("Ihre Übungen vom 19.11. bis 2.12.2026"));
    EXPECT_EQ(window.chart()->barRect(0).height(), window.chart()->barRect(7).height())
        << "five minutes twenty and thirteen days ago";
    EXPECT_TRUE(window.laterButton()->isEnabled());
    press(&window, Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(window.lastDay(), kToday);

    window.viewButton()->click();
    EXPECT_EQ(window.view(), hist::HistoryWindow::View::Month);
    EXPECT_EQ(window.heading()->text(), QStringLiteral("Ihre Übungen im Dezember 2026"));
    EXPECT_EQ(window.chart()->days().size(), 31u);
    EXPECT_EQ(window.table()->rowCount(), 31);
    EXPECT_EQ(window.earlierButton()->accessibleName(), QStringLiteral("Vorheriger Monat"));
    window.earlier();
    EXPECT_EQ(window.firstDay(), QDate(2026, 11, 1));
    EXPECT_EQ(read(QDate(2026, 11, 1), QDate(2026, 11, 30)), 1);
    for (const auto& [first, last] : source.asked)
        EXPECT_LE(first.daysTo(last), 30) << "never more than a month at once";
    window.chart()->grab(); // a month's narrow columns paint without trouble
}

// The table of the days is a table to a screen reader, its cells reached by the arrow keys.
TEST(HistoryWindow, TheDaysAreATableWithCellsByKeyboard) {
    hist::HistoryWindow window(someWeeks(), kToday);
    window.show();
    QApplication::setActiveWindow(&window);
    QTableWidget* table = window.table();
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(table);
    ASSERT_NE(a, nullptr);
    QAccessibleTableInterface* cells = a->tableInterface();
    ASSERT_NE(cells, nullptr);
    EXPECT_EQ(cells->rowCount(), 14);
    QAccessibleInterface* today = cells->cellAt(13, 0);
    ASSERT_NE(today, nullptr);
    EXPECT_EQ(today->text(QAccessible::Name), QStringLiteral("20"));
    EXPECT_EQ(table->verticalHeaderItem(13)->text(), QStringLiteral("Heute, Mi. 9.12."));
    EXPECT_EQ(table->model()->headerData(3, Qt::Horizontal).toString(),
              QStringLiteral("Erinnerung\nbefolgt"));
    EXPECT_EQ(table->item(13, 3)->text(), QStringLiteral("1"));

    press(&window, Qt::Key_T, Qt::AltModifier); // the tab "Tabelle"
    ASSERT_TRUE(table->isVisible());
    table->setFocus(Qt::TabFocusReason);
    table->setCurrentCell(12, 0);
    press(&window, Qt::Key_Down);
    press(&window, Qt::Key_Right);
    EXPECT_EQ(table->currentRow(), 13);
    EXPECT_EQ(table->currentColumn(), 1);
}
