#include "history/HistoryWindow.h"

#include "runtime/Accessibility.h"
#include "runtime/SafeFile.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>

namespace hist {

namespace {

constexpr const char* kCaptionSuffix = "   /   Version 01-03-2009";
constexpr int kLegendHeight = 26;
constexpr int kDayLabelsHeight = 50;
constexpr int kAxisWidth = 44;

// One bar: drawn by the chart, present for screen readers and tooltips, and reached by Tab; the
// arrow keys go from day to day. The chart draws the keyboard's frame around the focused one.
class DayBar : public QWidget {
public:
    explicit DayBar(QWidget* parent) : QWidget(parent) { setFocusPolicy(Qt::StrongFocus); }

protected:
    void focusInEvent(QFocusEvent* event) override {
        QWidget::focusInEvent(event);
        parentWidget()->update();
    }
    void focusOutEvent(QFocusEvent* event) override {
        QWidget::focusOutEvent(event);
        parentWidget()->update();
    }
    void keyPressEvent(QKeyEvent* event) override {
        const int step = event->key() == Qt::Key_Right ? 1 : event->key() == Qt::Key_Left ? -1 : 0;
        if (step == 0) {
            QWidget::keyPressEvent(event);
            return;
        }
        const QList<DayBar*> bars =
            parentWidget()->findChildren<DayBar*>(QString(), Qt::FindDirectChildrenOnly);
        const qsizetype at = bars.indexOf(this) + step;
        if (at >= 0 && at < bars.size())
            bars[at]->setFocus(Qt::TabFocusReason);
    }
};

// The chart is a list of days to a screen reader, each day's bar an item of it (the table of
// the days is the other tab).
QAccessibleInterface* accessibleChart(const QString&, QObject* object) {
    if (auto* chart = dynamic_cast<BarChart*>(object))
        return new QAccessibleWidget(chart, QAccessible::List);
    if (auto* bar = dynamic_cast<DayBar*>(object))
        return new QAccessibleWidget(bar, QAccessible::ListItem);
    return nullptr;
}

// The font `factor` times as large, whether it is set in points or in pixels.
QFont scaled(QFont font, double factor) {
    if (font.pixelSize() > 0)
        font.setPixelSize(std::max(1, int(font.pixelSize() * factor + 0.5)));
    else
        font.setPointSizeF(font.pointSizeF() * factor);
    return font;
}

// A step of the minute scale that gives four or five lines.
int niceStep(int maxMinutes) {
    for (int step : {1, 2, 5, 10, 15, 20, 30, 60, 120})
        if (maxMinutes <= step * 5)
            return step;
    return 240;
}

} // namespace

QColor BarChart::color(int sequence) {
    // The main colour of each sequence's button glyph.
    static const std::array<QColor, 4> colors{QColor(0xcf, 0x72, 0x67), QColor(0x5a, 0x8b, 0x81),
                                              QColor(0x4b, 0x63, 0x7a), QColor(0xe7, 0xbd, 0x5e)};
    return colors[size_t(sequence)];
}

BarChart::BarChart(QWidget* parent) : QWidget(parent) {
    static const bool factoryInstalled = (QAccessible::installFactory(accessibleChart), true);
    (void)factoryInstalled;
    setMinimumSize(660, 300);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

void BarChart::setDays(std::vector<Day> days, const QDate& today) {
    days_ = std::move(days);
    today_ = today;
    // The bars are kept where the days' number stays, so that the focus stays on its day.
    while (bars_.size() > days_.size()) {
        delete bars_.back();
        bars_.pop_back();
    }
    while (bars_.size() < days_.size()) {
        auto* bar = new DayBar(this);
        bar->show();
        bars_.push_back(bar);
    }
    if (!days_.empty())
        setAccessibleName(QStringLiteral("Übungsminuten %1")
                              .arg(days_.back().date == today_
                                       ? QStringLiteral("der letzten %1 Tage").arg(days_.size())
                                       : spanName(days_.front().date, days_.back().date)));
    for (size_t i = 0; i < days_.size(); ++i) {
        QString name = dayName(days_[i].date);
        if (days_[i].date == today_)
            name = QStringLiteral("Heute, ") + name;
        bars_[i]->setAccessibleName(name);
        bars_[i]->setAccessibleDescription(dayDescription(days_[i]));
        bars_[i]->setToolTip(name + QStringLiteral(": ") + dayDescription(days_[i]));
    }
    placeBars();
    update();
}

QRect BarChart::plotArea() const {
    return rect().adjusted(kAxisWidth, kLegendHeight + 10, -8, -kDayLabelsHeight);
}

int BarChart::scaleMinutes() const {
    int most = 0;
    for (const Day& d : days_)
        most = std::max(most, int((d.totalSeconds() + 59) / 60));
    const int step = niceStep(std::max(most, 5));
    return std::max(1, (most + step - 1) / step) * step;
}

QRect BarChart::barRect(int i) const {
    const QRect plot = plotArea();
    const int n = std::max(1, int(days_.size()));
    const int left = plot.left() + plot.width() * i / n;
    const int right = plot.left() + plot.width() * (i + 1) / n;
    const int w = (right - left) * 3 / 5;
    const int x = left + (right - left - w) / 2;
    const double perSecond = plot.height() / (scaleMinutes() * 60.0);
    const int h = int(days_[size_t(i)].totalSeconds() * perSecond + 0.5);
    return QRect(x, plot.bottom() + 1 - h, w, h);
}

void BarChart::placeBars() {
    const QRect plot = plotArea();
    for (int i = 0; i < int(bars_.size()); ++i) {
        const QRect r = barRect(i);
        bars_[size_t(i)]->setGeometry(r.left(), plot.top(), std::max(r.width(), 1),
                                      plot.height() + kDayLabelsHeight);
    }
}

void BarChart::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeBars();
}

void BarChart::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPalette pal = palette();
    const QRect plot = plotArea();
    const QFont small = scaled(font(), 0.92);

    // The legend: a square of each sequence's colour and its name, then the prompts.
    p.setFont(small);
    int x = plot.left();
    const int legendY = 6;
    for (int s = 0; s < 4; ++s) {
        p.fillRect(QRect(x, legendY + 3, 12, 12), color(s));
        const QString text = sequenceName(s);
        p.setPen(pal.color(QPalette::Text));
        p.drawText(QPoint(x + 16, legendY + 13), text);
        x += 16 + p.fontMetrics().horizontalAdvance(text) + 14;
    }

    // The minute scale.
    const int top = scaleMinutes();
    const int step = niceStep(std::max(top, 5));
    for (int m = 0; m <= top; m += step) {
        const int y = plot.bottom() - int(plot.height() * double(m) / top);
        p.setPen(QPen(m == 0 ? pal.color(QPalette::Text) : QColor(0xd8, 0xd8, 0xd8), 1));
        p.drawLine(plot.left(), y, plot.right(), y);
        p.setPen(pal.color(QPalette::Text));
        p.drawText(QRect(0, y - 10, kAxisWidth - 6, 20), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(m));
    }
    p.save();
    p.translate(10, plot.center().y());
    p.rotate(-90);
    p.drawText(QRect(-60, -10, 120, 20), Qt::AlignCenter, QStringLiteral("Minuten"));
    p.restore();

    // The bars, each stacked from the bottom in the order of the buttons. Where the days are
    // many (a month), each is named by its number alone.
    const double perSecond = plot.height() / (top * 60.0);
    const int n = int(days_.size());
    const bool narrow = n > 0 && plot.width() / n < 40;
    const QLocale german(QLocale::German);
    for (int i = 0; i < n; ++i) {
        const Day& d = days_[size_t(i)];
        const QRect bar = barRect(i);
        std::int64_t below = 0;
        for (int s = 0; s < 4; ++s) {
            if (d.seconds[size_t(s)] == 0)
                continue;
            const int y0 = plot.bottom() + 1 - int(below * perSecond + 0.5);
            below += d.seconds[size_t(s)];
            const int y1 = plot.bottom() + 1 - int(below * perSecond + 0.5);
            p.fillRect(QRect(bar.left(), y1, bar.width(), y0 - y1), color(s));
        }
        // Under the bar: the weekday, the date, and the day's prompts followed / ignored.
        const int left = plot.left() + plot.width() * i / n;
        const int right = plot.left() + plot.width() * (i + 1) / n;
        const bool today = d.date == today_;
        QFont dayFont = small;
        dayFont.setBold(today);
        p.setFont(dayFont);
        p.setPen(pal.color(QPalette::Text));
        if (narrow) {
            p.drawText(QRect(left, plot.bottom() + 3, right - left, 15), Qt::AlignCenter,
                       QString::number(d.date.day()));
            p.setFont(small);
            p.drawText(QRect(left, plot.bottom() + 18, right - left, 15), Qt::AlignCenter,
                       german.toString(d.date, QStringLiteral("ddd")).left(2));
        } else {
            const QString weekday =
                today ? QStringLiteral("Heute") : german.toString(d.date, QStringLiteral("ddd"));
            p.drawText(QRect(left, plot.bottom() + 3, right - left, 15), Qt::AlignCenter, weekday);
            p.setFont(small);
            p.drawText(QRect(left, plot.bottom() + 18, right - left, 15), Qt::AlignCenter,
                       german.toString(d.date, QStringLiteral("d.M.")));
            if (d.followed || d.ignored)
                p.drawText(QRect(left, plot.bottom() + 34, right - left, 15), Qt::AlignCenter,
                           QStringLiteral("%1 / %2").arg(d.followed).arg(d.ignored));
        }
        if (bars_[size_t(i)]->hasFocus()) {
            p.setPen(QPen(pal.color(QPalette::Highlight), 2));
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRect(left + 1, plot.top(), right - left - 2,
                             plot.height() + kDayLabelsHeight - 2));
        }
    }
}

HistoryWindow::HistoryWindow(RecordSource& source, std::function<QDate()> today, QWidget* parent)
    : HistoryWindow(nullptr, &source, std::move(today), parent) {}

HistoryWindow::HistoryWindow(Entries entries, const QDate& today, QWidget* parent)
    : HistoryWindow(
          std::make_unique<MemorySource>(std::move(entries)), nullptr, [today] { return today; },
          parent) {}

HistoryWindow::HistoryWindow(std::unique_ptr<MemorySource> own, RecordSource* source,
                             std::function<QDate()> today, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      own_(std::move(own)), source_(source ? *source : *own_), today_(std::move(today)) {
    setWindowTitle(QStringLiteral("Verlauf") + QLatin1String(kCaptionSuffix));
    setModal(false);
    auto* layout = new QVBoxLayout(this);

    heading_ = new QLabel(this);
    QFont bold = heading_->font();
    bold.setBold(true);
    heading_->setFont(scaled(bold, 1.15));
    layout->addWidget(heading_);

    waiting_ = new QLabel(this);
    waiting_->setWordWrap(true);
    waiting_->setStyleSheet(QStringLiteral("color: #a0302a;"));
    layout->addWidget(waiting_);

    // Back and forth by week or month.
    navigation_ = new QWidget(this);
    auto* nav = new QHBoxLayout(navigation_);
    nav->setContentsMargins(0, 0, 0, 0);
    earlier_ = new QPushButton(navigation_);
    later_ = new QPushButton(navigation_);
    viewButton_ = new QPushButton(navigation_);
    nav->addWidget(earlier_);
    nav->addWidget(later_);
    nav->addStretch(1);
    nav->addWidget(viewButton_);
    layout->addWidget(navigation_);

    tabs_ = new QTabWidget(this);
    auto* chartPage = new QWidget(tabs_);
    auto* chartLayout = new QVBoxLayout(chartPage);
    chartLayout->setContentsMargins(0, 0, 0, 0);
    chart_ = new BarChart(chartPage);
    chartLayout->addWidget(chart_, 1);
    legend_ = new QLabel(
        QStringLiteral("Unter jedem Tag: Trainingsaufforderungen befolgt / ignoriert."), chartPage);
    legend_->setFont(scaled(legend_->font(), 0.92));
    chartLayout->addWidget(legend_);
    tabs_->addTab(chartPage, QStringLiteral("&Diagramm"));

    // The days as a table: what the chart shows, cell by cell, for the keyboard and a screen
    // reader (AT-SPI's table, with the days as row headers).
    table_ = new QTableWidget(tabs_);
    table_->setAccessibleName(QStringLiteral("Tage im Überblick"));
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setTabKeyNavigation(false); // Tab leaves the table, the arrow keys go from cell to cell
    const QStringList columns{
        QStringLiteral("Minuten"),
        QStringLiteral("Übungen"),
        QStringLiteral("davon\nabgebrochen"),
        QStringLiteral("Erinnerung\nbefolgt"),
        QStringLiteral("Erinnerung\nverschoben"),
        QStringLiteral("Erinnerung\nignoriert"),
        QStringLiteral("Wachhund\nabgelaufen"),
        QStringLiteral("Natürliche\nPausen"),
        QStringLiteral("Pausen der\nErinnerungen"),
    };
    table_->setColumnCount(int(columns.size()));
    table_->setHorizontalHeaderLabels(columns);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    tabs_->addTab(table_, QStringLiteral("&Tabelle"));
    layout->addWidget(tabs_, 1);

    empty_ = new QLabel(QStringLiteral("Hier ist noch nichts verzeichnet. Sobald Sie eine "
                                       "Übung machen oder eine Erinnerung kommt, zeigt "
                                       "dieses Fenster, wie Ihre Pausen der letzten zwei "
                                       "Wochen aussehen."),
                        this);
    empty_->setWordWrap(true);
    empty_->setMinimumSize(420, 120);
    empty_->setAlignment(Qt::AlignCenter);
    layout->addWidget(empty_, 1); // the heading stays at the top

    span_ = new QLabel(this);
    watchdog_ = new QLabel(this);
    watchdog_->setFont(legend_->font());
    week_ = new QLabel(this);
    week_->setFont(bold);
    layout->addWidget(span_);
    layout->addWidget(watchdog_);
    layout->addWidget(week_);

    auto* buttons = new QHBoxLayout;
    csv_ = new QPushButton(QStringLiteral("Als &CSV speichern …"), this);
    close_ = new QPushButton(QStringLiteral("&Schließen"), this);
    close_->setDefault(true);
    buttons->addWidget(csv_);
    buttons->addStretch(1);
    buttons->addWidget(close_);
    layout->addLayout(buttons);

    chooseFile = [](QWidget* parent, std::function<void(const CsvTarget&)> chosen) {
        // Window-modal and not waited for: the board's prompts work while it is open.
        const QString semicolon =
            QStringLiteral("CSV für Tabellenkalkulationen, mit Semikolon (*.csv)");
        const QString comma = QStringLiteral("CSV mit Komma, ohne Byte-Order-Mark (*.csv)");
        auto* dialog = new QFileDialog(parent, QStringLiteral("Verlauf als CSV speichern"),
                                       QDir::homePath() + QStringLiteral("/quillet-verlauf.csv"),
                                       semicolon + QStringLiteral(";;") + comma);
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setDefaultSuffix(QStringLiteral("csv"));
        dialog->selectNameFilter(csvStyleFor(QLocale()).separator == ';' ? semicolon : comma);
        dialog->setWindowModality(Qt::WindowModal);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(dialog, &QFileDialog::fileSelected, parent,
                         [dialog, comma, chosen](const QString& path) {
                             CsvTarget target{path, CsvStyle{';', true}};
                             if (dialog->selectedNameFilter() == comma)
                                 target.style = CsvStyle{};
                             chosen(target);
                         });
        dialog->open();
    };
    inform = [this](const QString& text) {
        auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Verlauf"), text,
                                    QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::WindowModal);
        box->open();
    };
    connect(csv_, &QPushButton::clicked, this, [this] {
        chooseFile(this, [this](const CsvTarget& target) {
            if (!target.path.isEmpty())
                saveCsv(target.path, target.style);
        });
    });
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
    connect(earlier_, &QPushButton::clicked, this, [this] { earlier(); });
    connect(later_, &QPushButton::clicked, this, [this] { later(); });
    connect(viewButton_, &QPushButton::clicked, this,
            [this] { setView(view_ == View::Weeks ? View::Month : View::Weeks); });
    for (const QKeySequence& key :
         {QKeySequence(Qt::Key_PageUp), QKeySequence(Qt::ALT | Qt::Key_Left)})
        connect(new QShortcut(key, this), &QShortcut::activated, this, [this] { earlier(); });
    for (const QKeySequence& key :
         {QKeySequence(Qt::Key_PageDown), QKeySequence(Qt::ALT | Qt::Key_Right)})
        connect(new QShortcut(key, this), &QShortcut::activated, this, [this] { later(); });

    shownToday_ = today_();
    last_ = shownToday_;
    refresh();
    resize(820, 600);
}

HistoryWindow::~HistoryWindow() {
    if (saver_)
        saver_->wait(); // its result is for this window
}

QDate HistoryWindow::firstDay() const {
    return view_ == View::Weeks ? last_.addDays(-13) : QDate(last_.year(), last_.month(), 1);
}

QDate HistoryWindow::lastDay() const {
    return view_ == View::Weeks ? last_ : firstDay().addMonths(1).addDays(-1);
}

void HistoryWindow::earlier() {
    last_ = view_ == View::Weeks ? last_.addDays(-7) : last_.addMonths(-1);
    refresh();
}

void HistoryWindow::later() {
    const QDate today = today_();
    if (lastDay() >= today)
        return;
    last_ = view_ == View::Weeks ? std::min(last_.addDays(7), today) : last_.addMonths(1);
    refresh();
}

void HistoryWindow::setView(View view) {
    const QDate today = today_();
    if (view_ == View::Month && view == View::Weeks)
        last_ = std::min(lastDay(), today); // the month's last two weeks
    view_ = view;
    refresh();
}

void HistoryWindow::refresh() {
    const QDate today = today_();
    // A window that showed up to today goes on to show up to today after midnight.
    if (view_ == View::Weeks && last_ == shownToday_)
        last_ = today;
    shownToday_ = today;

    const bool any = source_.holdsAny();
    for (QWidget* w : std::initializer_list<QWidget*>{tabs_, navigation_, span_, week_})
        w->setVisible(any);
    empty_->setVisible(!any);
    csv_->setEnabled(any && !saver_);
    const QString waiting = source_.waitingLine();
    waiting_->setText(waiting);
    waiting_->setVisible(!waiting.isEmpty());

    const QDate first = firstDay();
    const QDate last = lastDay();
    const bool recent = view_ == View::Weeks && last == today;
    heading_->setText(recent ? QStringLiteral("Ihre Übungen der letzten 14 Tage")
                      : view_ == View::Month
                          ? QStringLiteral("Ihre Übungen im %1").arg(spanName(first, last))
                          : QStringLiteral("Ihre Übungen %1").arg(spanName(first, last)));
    const bool weeks = view_ == View::Weeks;
    earlier_->setText(weeks ? QStringLiteral("◀ Vorherige Woche")
                            : QStringLiteral("◀ Vorheriger Monat"));
    later_->setText(weeks ? QStringLiteral("Nächste Woche ▶") : QStringLiteral("Nächster Monat ▶"));
    rt::describe(earlier_,
                 weeks ? QStringLiteral("Vorherige Woche") : QStringLiteral("Vorheriger Monat"),
                 QStringLiteral("Bild auf oder Alt+Links"));
    rt::describe(later_, weeks ? QStringLiteral("Nächste Woche") : QStringLiteral("Nächster Monat"),
                 QStringLiteral("Bild ab oder Alt+Rechts"));
    viewButton_->setText(weeks ? QStringLiteral("&Monat") : QStringLiteral("&Wochen"));
    rt::describe(viewButton_, weeks ? QStringLiteral("Monat") : QStringLiteral("Wochen"),
                 weeks ? QStringLiteral("Einen ganzen Monat zeigen")
                       : QStringLiteral("Zwei Wochen zeigen"));
    later_->setEnabled(last < today);
    legend_->setVisible(weeks);
    if (!any) {
        watchdog_->hide();
        return;
    }

    // Only the days shown are read, and the two weeks compared when they are others.
    const Entries entries = source_.days(first, last);
    const std::vector<Day> days = daysBetween(entries, first, last);
    chart_->setDays(days, today);
    fillTable(days, today);
    span_->setText(spanSentences(sum(days)).join(QLatin1Char('\n')));
    const QString dog = watchdogSentence(days, today);
    watchdog_->setText(dog);
    watchdog_->setVisible(!dog.isEmpty());
    const QDate lastMonday = today.addDays(1 - today.dayOfWeek() - 7);
    week_->setText(weekSentence(compareWeeks(
        first <= lastMonday && last >= today ? entries : source_.days(lastMonday, today), today)));
}

void HistoryWindow::fillTable(const std::vector<Day>& days, const QDate& today) {
    table_->setRowCount(int(days.size()));
    auto cell = [this](int row, int column, const QString& text, const QString& description) {
        QTableWidgetItem* item = table_->item(row, column);
        if (!item) {
            item = new QTableWidgetItem;
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            item->setTextAlignment(Qt::AlignCenter);
            table_->setItem(row, column, item);
        }
        item->setText(text);
        item->setData(Qt::AccessibleDescriptionRole, description);
        item->setToolTip(description);
    };
    auto breaks = [](int count, std::int64_t seconds) {
        return count == 0 ? QStringLiteral("0")
                          : QStringLiteral("%1 (%2 Min.)").arg(count).arg(minutesOf(seconds));
    };
    auto together = [](int count, std::int64_t seconds) {
        return count == 0 ? QString() : QStringLiteral("zusammen %1").arg(durationText(seconds));
    };
    QStringList names;
    for (int r = 0; r < int(days.size()); ++r) {
        const Day& d = days[size_t(r)];
        names << (d.date == today ? QStringLiteral("Heute, ") : QString()) + dayName(d.date);
        cell(r, 0, QString::number(minutesOf(d.totalSeconds())), dayDescription(d));
        cell(r, 1, QString::number(d.runs()), QString());
        cell(r, 2, QString::number(d.stopped + d.interrupted),
             d.interrupted > 0 ? QStringLiteral("davon beim Programmende %1").arg(d.interrupted)
                               : QString());
        cell(r, 3, QString::number(d.followed), QStringLiteral("Trainingsaufforderungen befolgt"));
        cell(r, 4, QString::number(d.postponed),
             QStringLiteral("Trainingsaufforderungen verschoben"));
        cell(r, 5, QString::number(d.ignored), QStringLiteral("Trainingsaufforderungen ignoriert"));
        cell(r, 6, QString::number(d.expired), QString());
        cell(r, 7, breaks(d.naturalBreaks, d.naturalSeconds),
             together(d.naturalBreaks, d.naturalSeconds));
        cell(r, 8, breaks(d.pauses, d.pauseSeconds), together(d.pauses, d.pauseSeconds));
    }
    table_->setVerticalHeaderLabels(names);
}

void HistoryWindow::saveCsv(const QString& path, const CsvStyle& style) {
    if (saver_)
        return;
    csv_->setEnabled(false);
    std::function<std::optional<Entries>()> read = source_.everythingElsewhere();
    saver_.reset(QThread::create([this, read, path, style] {
        const std::optional<Entries> entries = read();
        const rt::FileResult result =
            entries ? rt::replaceFile(path, csv(*entries, style)) : rt::FileResult{};
        QMetaObject::invokeMethod(
            this, [this, ok = entries.has_value(), result, path] { saved(ok, result, path); },
            Qt::QueuedConnection);
    }));
    saver_->start();
}

void HistoryWindow::saved(bool read, const rt::FileResult& result, const QString& path) {
    saver_->wait();
    saver_.reset();
    csv_->setEnabled(true);
    if (!read)
        inform(QStringLiteral("Der Verlauf konnte nicht gelesen werden, um ihn als „%1“ zu "
                              "speichern. Versuchen Sie es später noch einmal.")
                   .arg(QDir::toNativeSeparators(path)));
    else if (!result.ok)
        inform(QStringLiteral("Der Verlauf konnte nicht als „%1“ gespeichert werden: %2. Wählen "
                              "Sie einen anderen Ort oder geben Sie dort Platz frei.")
                   .arg(QDir::toNativeSeparators(path), result.reason));
}

} // namespace hist
