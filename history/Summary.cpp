#include "history/Summary.h"

#include <algorithm>

namespace hist {

namespace {

QString minutesText(std::int64_t seconds) {
    const int m = minutesOf(seconds);
    return m == 1 ? QStringLiteral("1 Minute") : QStringLiteral("%1 Minuten").arg(m);
}

QString csvField(QString text, char separator) {
    if (text.contains(QLatin1Char(separator)) || text.contains(QLatin1Char('"')) ||
        text.contains(QLatin1Char('\n')))
        text = QLatin1Char('"') + text.replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
               QLatin1Char('"');
    return text;
}

const QLocale& german() {
    static const QLocale locale(QLocale::German, QLocale::Germany);
    return locale;
}

} // namespace

Entries MemorySource::days(const QDate& first, const QDate& last) {
    auto in = [&](const QDateTime& t) { return t.date() >= first && t.date() <= last; };
    Entries e;
    std::copy_if(entries_.runs.begin(), entries_.runs.end(), std::back_inserter(e.runs),
                 [&](const Run& r) { return in(r.started); });
    std::copy_if(entries_.prompts.begin(), entries_.prompts.end(), std::back_inserter(e.prompts),
                 [&](const PromptRow& p) { return in(p.at); });
    std::copy_if(entries_.breaks.begin(), entries_.breaks.end(), std::back_inserter(e.breaks),
                 [&](const BreakRow& b) { return in(b.started); });
    return e;
}

QString sequenceName(int sequence) {
    static const std::array<const char*, 4> names{"Atemübungen", "Körperübungen", "Augenübungen",
                                                  "Entspannungsübungen"};
    return sequence >= 0 && sequence < 4 ? QString::fromUtf8(names[size_t(sequence)]) : QString();
}

int minutesOf(std::int64_t seconds) {
    return int((seconds + 30) / 60);
}

QString durationText(std::int64_t seconds) {
    const int minutes = minutesOf(seconds);
    if (minutes < 60)
        return minutesText(seconds);
    const int hours = minutes / 60;
    QString text =
        hours == 1 ? QStringLiteral("1 Stunde") : QStringLiteral("%1 Stunden").arg(hours);
    if (minutes % 60 != 0)
        text += QLatin1Char(' ') + minutesText(std::int64_t(minutes % 60) * 60);
    return text;
}

std::vector<Day> daysBetween(const Entries& entries, const QDate& first, const QDate& last) {
    const qint64 count = std::max<qint64>(0, first.daysTo(last) + 1);
    std::vector<Day> days(static_cast<size_t>(count));
    for (qint64 i = 0; i < count; ++i)
        days[size_t(i)].date = first.addDays(i);
    auto dayOf = [&](const QDateTime& t) -> Day* {
        const qint64 i = first.daysTo(t.date());
        return t.isValid() && i >= 0 && i < count ? &days[size_t(i)] : nullptr;
    };
    for (const Run& r : entries.runs)
        if (Day* d = dayOf(r.started); d && r.sequence >= 0 && r.sequence < 4) {
            d->seconds[size_t(r.sequence)] += r.seconds;
            if (r.interrupted)
                ++d->interrupted;
            else if (r.completed)
                ++d->completed;
            else
                ++d->stopped;
        }
    // The watchdog's prompt is a short break of its own, with no button to follow it by: only the
    // training prompts are followed or ignored, the watchdog's run out.
    for (const PromptRow& p : entries.prompts)
        if (Day* d = dayOf(p.at); d && p.kind == 0) {
            d->followed += p.outcome == PromptRow::Followed;
            d->ignored += p.outcome == PromptRow::Ignored;
            d->postponed += p.outcome == PromptRow::Postponed;
            d->dropped += p.outcome == PromptRow::Dropped;
        } else if (d && p.kind == 1) {
            d->expired += p.outcome == PromptRow::Expired;
        }
    for (const BreakRow& b : entries.breaks)
        if (Day* d = dayOf(b.started); d && b.kind == BreakRow::Natural) {
            ++d->naturalBreaks;
            d->naturalSeconds += b.seconds;
        } else if (d && b.kind == BreakRow::Pause) {
            ++d->pauses;
            d->pauseSeconds += b.seconds;
        }
    return days;
}

std::vector<Day> lastDays(const Entries& entries, const QDate& today, int count) {
    return daysBetween(entries, today.addDays(1 - count), today);
}

Day sum(const std::vector<Day>& days) {
    Day t;
    for (const Day& d : days) {
        for (size_t s = 0; s < 4; ++s)
            t.seconds[s] += d.seconds[s];
        t.completed += d.completed;
        t.stopped += d.stopped;
        t.interrupted += d.interrupted;
        t.followed += d.followed;
        t.ignored += d.ignored;
        t.postponed += d.postponed;
        t.dropped += d.dropped;
        t.expired += d.expired;
        t.naturalBreaks += d.naturalBreaks;
        t.naturalSeconds += d.naturalSeconds;
        t.pauses += d.pauses;
        t.pauseSeconds += d.pauseSeconds;
    }
    return t;
}

Weeks compareWeeks(const Entries& entries, const QDate& today) {
    const QDate monday = today.addDays(1 - today.dayOfWeek());
    const QDate lastMonday = monday.addDays(-7);
    Weeks w;
    for (const Run& r : entries.runs) {
        const QDate d = r.started.date();
        if (d >= monday && d <= today)
            w.thisWeek += r.seconds;
        else if (d >= lastMonday && d < monday)
            w.lastWeek += r.seconds;
    }
    return w;
}

QString weekSentence(const Weeks& weeks) {
    return QStringLiteral("Diese Woche %1, letzte Woche %2.")
        .arg(minutesText(weeks.thisWeek), minutesText(weeks.lastWeek));
}

QString dayName(const QDate& date) {
    return german().toString(date, QStringLiteral("ddd d.M."));
}

QString spanName(const QDate& first, const QDate& last) {
    if (first.day() == 1 && last == first.addMonths(1).addDays(-1))
        return german().toString(first, QStringLiteral("MMMM yyyy"));
    return QStringLiteral("vom %1 bis %2")
        .arg(german().toString(first, first.year() == last.year() ? QStringLiteral("d.M.")
                                                                  : QStringLiteral("d.M.yyyy")),
             german().toString(last, QStringLiteral("d.M.yyyy")));
}

QString dayDescription(const Day& day) {
    QStringList parts;
    for (int s = 0; s < 4; ++s)
        if (day.seconds[size_t(s)] > 0)
            parts << QStringLiteral("%1 %2")
                         .arg(sequenceName(s))
                         .arg(minutesOf(day.seconds[size_t(s)]));
    QString text = minutesText(day.totalSeconds());
    if (!parts.isEmpty())
        text += QStringLiteral(" (") + parts.join(QStringLiteral(", ")) + QLatin1Char(')');
    text += QStringLiteral("; Trainingsaufforderungen befolgt %1").arg(day.followed);
    if (day.postponed > 0)
        text += QStringLiteral(", verschoben %1").arg(day.postponed);
    text += QStringLiteral(", ignoriert %1").arg(day.ignored);
    if (day.stopped + day.interrupted > 0)
        text += QStringLiteral("; abgebrochen %1").arg(day.stopped + day.interrupted);
    if (day.expired > 0)
        text += QStringLiteral("; Wachhund-Pausen abgelaufen %1").arg(day.expired);
    if (day.naturalBreaks > 0)
        text += QStringLiteral("; natürliche Pausen %1 (%2)")
                    .arg(day.naturalBreaks)
                    .arg(durationText(day.naturalSeconds));
    return text;
}

QString watchdogSentence(const std::vector<Day>& days, const QDate& today) {
    int expired = 0;
    for (const Day& d : days)
        expired += d.expired;
    if (expired == 0 || days.empty())
        return QString();
    const QString when = days.back().date == today
                             ? QStringLiteral("der letzten %1 Tage").arg(days.size())
                             : spanName(days.front().date, days.back().date);
    return QStringLiteral("Wachhund-Pausen %1: %2 abgelaufen.").arg(when).arg(expired);
}

QStringList spanSentences(const Day& total) {
    QStringList lines;
    if (total.runs() == 0) {
        lines << QStringLiteral("Übungen: keine.");
    } else {
        QString runs = QStringLiteral("Übungen: %1 bis zum Ende, %2 abgebrochen")
                           .arg(total.completed)
                           .arg(total.stopped);
        if (total.interrupted > 0)
            runs += QStringLiteral(", %1 abgebrochen (Programmende)").arg(total.interrupted);
        lines << runs + QLatin1Char('.');
    }
    const int answered = total.followed + total.ignored;
    if (answered == 0) {
        lines << QStringLiteral("Trainingsaufforderungen: keine.");
    } else {
        QString prompts = QStringLiteral("Trainingsaufforderungen: %1 von %2 befolgt (%3 %)")
                              .arg(total.followed)
                              .arg(answered)
                              .arg((total.followed * 100 + answered / 2) / answered);
        if (total.postponed > 0)
            prompts += QStringLiteral(", %1-mal verschoben").arg(total.postponed);
        if (total.dropped > 0)
            prompts += QStringLiteral(", %1 durch eine Pause entfallen").arg(total.dropped);
        lines << prompts + QLatin1Char('.');
    }
    lines << QStringLiteral("Natürliche Pausen: %1%2; Pausen der Erinnerungen: %3%4.")
                 .arg(total.naturalBreaks)
                 .arg(total.naturalBreaks > 0
                          ? QStringLiteral(", zusammen ") + durationText(total.naturalSeconds)
                          : QString())
                 .arg(total.pauses)
                 .arg(total.pauses > 0
                          ? QStringLiteral(", zusammen ") + durationText(total.pauseSeconds)
                          : QString());
    return lines;
}

CsvStyle csvStyleFor(const QLocale& locale) {
    CsvStyle style;
    if (locale.decimalPoint() == QStringLiteral(",")) {
        style.separator = ';';
        style.byteOrderMark = true;
    }
    return style;
}

QByteArray csv(const Entries& entries, const CsvStyle& style) {
    struct Line {
        qint64 at;
        QString text;
    };
    std::vector<Line> lines;
    lines.reserve(entries.size());
    auto row = [&style](QStringList fields) {
        for (QString& f : fields)
            f = csvField(f, style.separator);
        return fields.join(QLatin1Char(style.separator));
    };
    for (const Run& r : entries.runs)
        lines.push_back(
            {r.started.toMSecsSinceEpoch(),
             row({QStringLiteral("Übung"), isoTime(r.started),
                  r.interrupted ? QString() : QString::number(r.seconds), sequenceName(r.sequence),
                  r.interrupted ? QStringLiteral("abgebrochen (Programmende)")
                  : r.completed ? QStringLiteral("bis zum Ende")
                                : QStringLiteral("abgebrochen"),
                  r.fromPrompt ? QStringLiteral("ja") : QStringLiteral("nein")})});
    static const std::array<const char*, 6> outcomes{"",          "befolgt",    "ignoriert",
                                                     "verworfen", "abgelaufen", "verschoben"};
    for (const PromptRow& p : entries.prompts) {
        QString outcome = p.outcome >= 1 && p.outcome < int(outcomes.size())
                              ? QString::fromUtf8(outcomes[size_t(p.outcome)])
                              : QString();
        if (p.held)
            outcome += QStringLiteral(" (zurückgehalten)");
        lines.push_back({p.at.toMSecsSinceEpoch(),
                         row({p.kind == 1 ? QStringLiteral("Erinnerung Wachhund")
                                          : QStringLiteral("Erinnerung Training"),
                              isoTime(p.at), QString(), QString(), outcome, QString()})});
    }
    for (const BreakRow& b : entries.breaks)
        lines.push_back({b.started.toMSecsSinceEpoch(),
                         row({b.kind == BreakRow::Pause ? QStringLiteral("Pause der Erinnerungen")
                                                        : QStringLiteral("Natürliche Pause"),
                              isoTime(b.started), QString::number(b.seconds), QString(), QString(),
                              QString()})});
    std::stable_sort(lines.begin(), lines.end(),
                     [](const Line& a, const Line& b) { return a.at < b.at; });
    QString text = row({QStringLiteral("Art"), QStringLiteral("Beginn"),
                        QStringLiteral("Dauer in Sekunden"), QStringLiteral("Übung"),
                        QStringLiteral("Ausgang"), QStringLiteral("nach Erinnerung")}) +
                   QLatin1Char('\n');
    for (const Line& l : lines)
        text += l.text + QLatin1Char('\n');
    return (style.byteOrderMark ? QByteArray("\xEF\xBB\xBF") : QByteArray()) + text.toUtf8();
}

} // namespace hist
