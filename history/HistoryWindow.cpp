#include "history/HistoryWindow.h"

#include "runtime/SafeFile.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

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

// The chart is a table to a screen reader, each day's bar a cell of it.
QAccessibleInterface* accessibleChart(const QString&, QObject* object) {
    if (auto* chart = dynamic_cast<BarChart*>(object))
        return new QAccessibleWidget(chart, QAccessible::Table);
    if (auto* bar = dynamic_cast<DayBar*>(object))
        return new QAccessibleWidget(bar, QAccessible::Cell);
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

BarChart::BarChart(std::vector<Day> days, QWidget* parent)
    : QWidget(parent), days_(std::move(days)) {
    static const bool factoryInstalled = (QAccessible::installFactory(accessibleChart), true);
    (void)factoryInstalled;
    setAccessibleName(QStringLiteral("Übungsminuten der letzten %1 Tage").arg(days_.size()));
    setMinimumSize(660, 300);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    for (size_t i = 0; i < days_.size(); ++i) {
        auto* bar = new DayBar(this);
        QString name = dayName(days_[i].date);
        if (i + 1 == days_.size())
            name = QStringLiteral("Heute, ") + name;
        bar->setAccessibleName(name);
        bar->setAccessibleDescription(dayDescription(days_[i]));
        bar->setToolTip(name + QStringLiteral(": ") + dayDescription(days_[i]));
        bars_.push_back(bar);
    }
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
    const int n = int(days_.size());
    const int left = plot.left() + plot.width() * i / n;
    const int right = plot.left() + plot.width() * (i + 1) / n;
    const int w = (right - left) * 3 / 5;
    const int x = left + (right - left - w) / 2;
    const double perSecond = plot.height() / (scaleMinutes() * 60.0);
    const int h = int(days_[size_t(i)].totalSeconds() * perSecond + 0.5);
    return QRect(x, plot.bottom() + 1 - h, w, h);
}

void BarChart::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QRect plot = plotArea();
    for (int i = 0; i < int(bars_.size()); ++i) {
        const QRect r = barRect(i);
        bars_[size_t(i)]->setGeometry(r.left(), plot.top(), r.width(),
                                      plot.height() + kDayLabelsHeight);
    }
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

    // The bars, each stacked from the bottom in the order of the buttons.
    const double perSecond = plot.height() / (top * 60.0);
    const int n = int(days_.size());
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
        QFont dayFont = small;
        dayFont.setBold(i == n - 1);
        p.setFont(dayFont);
        p.setPen(pal.color(QPalette::Text));
        const QString weekday =
            i == n - 1 ? QStringLiteral("Heute")
                       : QLocale(QLocale::German).toString(d.date, QStringLiteral("ddd"));
        p.drawText(QRect(left, plot.bottom() + 3, right - left, 15), Qt::AlignCenter, weekday);
        p.setFont(small);
        p.drawText(QRect(left, plot.bottom() + 18, right - left, 15), Qt::AlignCenter,
                   QLocale(QLocale::German).toString(d.date, QStringLiteral("d.M.")));
        if (d.followed || d.ignored)
            p.drawText(QRect(left, plot.bottom() + 34, right - left, 15), Qt::AlignCenter,
                       QStringLiteral("%1 / %2").arg(d.followed).arg(d.ignored));
        if (bars_[size_t(i)]->hasFocus()) {
            p.setPen(QPen(pal.color(QPalette::Highlight), 2));
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRect(left + 1, plot.top(), right - left - 2,
                             plot.height() + kDayLabelsHeight - 2));
        }
    }
}

HistoryWindow::HistoryWindow(Entries entries, const QDate& today, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      entries_(std::move(entries)) {
    setWindowTitle(QStringLiteral("Verlauf") + QLatin1String(kCaptionSuffix));
    setModal(true);
    auto* layout = new QVBoxLayout(this);

    auto* heading = new QLabel(QStringLiteral("Ihre Übungen der letzten 14 Tage"), this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(scaled(bold, 1.15));
    layout->addWidget(heading);

    if (entries_.empty()) {
        empty_ = new QLabel(QStringLiteral("Hier ist noch nichts verzeichnet. Sobald Sie eine "
                                           "Übung machen oder eine Erinnerung kommt, zeigt "
                                           "dieses Fenster, wie Ihre Pausen der letzten zwei "
                                           "Wochen aussehen."),
                            this);
        empty_->setWordWrap(true);
        empty_->setMinimumSize(420, 120);
        empty_->setAlignment(Qt::AlignCenter);
        layout->addWidget(empty_, 1); // the heading stays at the top
    } else {
        chart_ = new BarChart(lastDays(entries_, today), this);
        layout->addWidget(chart_, 1);
        auto* prompts = new QLabel(
            QStringLiteral("Unter jedem Tag: Trainingsaufforderungen befolgt / ignoriert."), this);
        prompts->setFont(scaled(prompts->font(), 0.92));
        layout->addWidget(prompts);
        if (const QString dog = watchdogSentence(chart_->days()); !dog.isEmpty()) {
            watchdog_ = new QLabel(dog, this);
            watchdog_->setFont(prompts->font());
            layout->addWidget(watchdog_);
        }
        week_ = new QLabel(weekSentence(compareWeeks(entries_, today)), this);
        week_->setFont(bold);
        layout->addWidget(week_);
    }

    auto* buttons = new QHBoxLayout;
    csv_ = new QPushButton(QStringLiteral("Als &CSV speichern …"), this);
    csv_->setEnabled(!entries_.empty());
    close_ = new QPushButton(QStringLiteral("&Schließen"), this);
    close_->setDefault(true);
    buttons->addWidget(csv_);
    buttons->addStretch(1);
    buttons->addWidget(close_);
    layout->addLayout(buttons);

    chooseFile = [](QWidget* parent) {
        return QFileDialog::getSaveFileName(parent, QStringLiteral("Verlauf als CSV speichern"),
                                            QDir::homePath() +
                                                QStringLiteral("/quillet-verlauf.csv"),
                                            QStringLiteral("CSV-Dateien (*.csv)"));
    };
    inform = [this](const QString& text) {
        QMessageBox::warning(this, QStringLiteral("Verlauf"), text);
    };
    connect(csv_, &QPushButton::clicked, this, [this] {
        const QString path = chooseFile(this);
        if (!path.isEmpty())
            saveCsv(path);
    });
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
    resize(820, 520);
}

bool HistoryWindow::saveCsv(const QString& path) {
    const rt::FileResult result = rt::replaceFile(path, csv(entries_));
    if (!result.ok)
        inform(QStringLiteral("Der Verlauf konnte nicht als „%1“ gespeichert werden: %2.")
                   .arg(QDir::toNativeSeparators(path), result.reason));
    return result.ok;
}

} // namespace hist
