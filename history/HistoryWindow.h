#pragma once

#include "history/Entries.h"
#include "history/Summary.h"

#include <QDate>
#include <QDialog>
#include <QWidget>

#include <functional>
#include <vector>

class QLabel;
class QPushButton;

namespace hist {

// The bars of the last days, drawn with QPainter: minutes of exercise per day split by sequence,
// today at the right, the prompts followed / ignored under each day. Each bar is a child of its
// own for screen readers, its numbers its accessible description; the chart reads as a table.
class BarChart : public QWidget {
public:
    BarChart(std::vector<Day> days, QWidget* parent = nullptr);
    const std::vector<Day>& days() const { return days_; }
    // The bar of day `i` (oldest first): its place and what it tells a screen reader.
    QWidget* bar(int i) const { return bars_[size_t(i)]; }
    // The height of each sequence's part of a bar as drawn, in pixels (for tests).
    QRect barRect(int i) const;
    // The colours of the board's sequence buttons.
    static QColor color(int sequence);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRect plotArea() const;
    int scaleMinutes() const;

    std::vector<Day> days_;
    std::vector<QWidget*> bars_;
};

// The window "Verlauf": the chart, the week compared with the last one, and "Als CSV speichern
// …". Modal; an empty record shows a sentence instead of the chart.
class HistoryWindow : public QDialog {
public:
    HistoryWindow(Entries entries, const QDate& today, QWidget* parent = nullptr);

    BarChart* chart() const { return chart_; }
    QLabel* weekLine() const { return week_; }
    // The watchdog's prompts that ran out in those days; none when there were none.
    QLabel* watchdogLine() const { return watchdog_; }
    QLabel* emptyText() const { return empty_; }
    QPushButton* csvButton() const { return csv_; }
    QPushButton* closeButton() const { return close_; }

    // Writes the whole record to `path` through a temporary file; false (and a message) when it
    // failed.
    bool saveCsv(const QString& path);
    // Asks for the file to save to; tests replace it. Empty: cancelled.
    std::function<QString(QWidget* parent)> chooseFile;
    // Tells a failed save; a message box unless replaced.
    std::function<void(const QString& text)> inform;

private:
    Entries entries_;
    BarChart* chart_ = nullptr;
    QLabel* week_ = nullptr;
    QLabel* watchdog_ = nullptr;
    QLabel* empty_ = nullptr;
    QPushButton* csv_ = nullptr;
    QPushButton* close_ = nullptr;
};

} // namespace hist
