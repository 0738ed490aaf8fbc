#pragma once

#include "history/Entries.h"
#include "history/Summary.h"
#include "runtime/SafeFile.h"

#include <QDate>
#include <QDialog>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QThread;
class QPushButton;
class QTabWidget;
class QTableWidget;

namespace hist {

// The bars of the days shown, drawn with QPainter: minutes of exercise per day split by
// sequence, the prompts followed / ignored under each day where there is room. Each bar is a
// child of its own, reached by Tab and the arrow keys, its numbers its accessible description;
// the chart reads as a list of days.
class BarChart : public QWidget {
public:
    explicit BarChart(QWidget* parent = nullptr);
    void setDays(std::vector<Day> days, const QDate& today);
    const std::vector<Day>& days() const { return days_; }
    // The bar of day `i` (oldest first): its place and what it tells a screen reader.
    QWidget* bar(int i) const { return bars_[size_t(i)]; }
    // The bar of day `i` as drawn, in pixels (for tests).
    QRect barRect(int i) const;
    // The colours of the board's sequence buttons.
    static QColor color(int sequence);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRect plotArea() const;
    int scaleMinutes() const;
    void placeBars();

    std::vector<Day> days_;
    QDate today_;
    std::vector<QWidget*> bars_;
};

// The window "Verlauf": the days of two weeks (or of a month) as a chart and as a table, how
// the runs ended, the prompts followed, the natural breaks and pauses, this week against the
// last, and "Als CSV speichern …". It is not modal: the board's prompts and buttons work while
// it is open. "Vorherige Woche" / "Nächste Woche" (Page Up / Page Down, Alt+Left / Alt+Right)
// go back and forth, "Monat" shows a calendar month. Only the days shown are read. A line tells
// why recording waits, when it does; an empty record shows a sentence instead of the days.
class HistoryWindow : public QDialog {
public:
    enum class View { Weeks, Month };

    HistoryWindow(
        RecordSource& source, std::function<QDate()> today = [] { return QDate::currentDate(); },
        QWidget* parent = nullptr);
    // On rows in memory.
    HistoryWindow(Entries entries, const QDate& today, QWidget* parent = nullptr);
    ~HistoryWindow() override;

    // Reads the days shown again (rows added, a new day).
    void refresh();
    void earlier();
    void later();
    void setView(View view);
    View view() const { return view_; }
    QDate firstDay() const;
    QDate lastDay() const;

    BarChart* chart() const { return chart_; }
    QTableWidget* table() const { return table_; }
    QLabel* heading() const { return heading_; }
    QLabel* weekLine() const { return week_; }
    // The watchdog's prompts that ran out in those days; hidden when there were none.
    QLabel* watchdogLine() const { return watchdog_; }
    // How the runs ended, the prompts followed, the breaks and pauses.
    QLabel* spanLines() const { return span_; }
    // Why recording waits; hidden while it does not.
    QLabel* waitingLine() const { return waiting_; }
    QLabel* emptyText() const { return empty_; }
    QPushButton* earlierButton() const { return earlier_; }
    QPushButton* laterButton() const { return later_; }
    QPushButton* viewButton() const { return viewButton_; }
    QPushButton* csvButton() const { return csv_; }
    QPushButton* closeButton() const { return close_; }

    // Writes the whole record to `path` through a temporary file, on a thread of its own; a
    // message tells when it failed. The button waits meanwhile.
    void saveCsv(const QString& path, const CsvStyle& style);
    bool saving() const { return saver_ != nullptr; }
    // Asks for the file to save to and how, and calls `chosen` with it (not when cancelled). A
    // file dialog over this window unless replaced (tests).
    struct CsvTarget {
        QString path;
        CsvStyle style;
    };
    std::function<void(QWidget* parent, std::function<void(const CsvTarget&)> chosen)> chooseFile;
    // Tells a failed save; a message box over this window unless replaced.
    std::function<void(const QString& text)> inform;

private:
    HistoryWindow(std::unique_ptr<MemorySource> own, RecordSource* source,
                  std::function<QDate()> today, QWidget* parent);
    void fillTable(const std::vector<Day>& days, const QDate& today);
    void saved(bool read, const rt::FileResult& result, const QString& path);

    std::unique_ptr<MemorySource> own_;
    RecordSource& source_;
    std::function<QDate()> today_;
    View view_ = View::Weeks;
    QDate last_;       // the last day shown in the weeks, a day of the month shown
    QDate shownToday_; // today, as of the last refresh
    BarChart* chart_ = nullptr;
    QTableWidget* table_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QWidget* navigation_ = nullptr;
    QLabel* heading_ = nullptr;
    QLabel* waiting_ = nullptr;
    QLabel* legend_ = nullptr;
    QLabel* span_ = nullptr;
    QLabel* week_ = nullptr;
    QLabel* watchdog_ = nullptr;
    QLabel* empty_ = nullptr;
    QPushButton* earlier_ = nullptr;
    QPushButton* later_ = nullptr;
    QPushButton* viewButton_ = nullptr;
    QPushButton* csv_ = nullptr;
    QPushButton* close_ = nullptr;
    std::unique_ptr<QThread> saver_;
};

} // namespace hist
