#include "history/Summary.h"

#include <QLocale>

namespace hist {

namespace {

QString minutesText(std::int64_t seconds) {
    const int m = minutesOf(seconds);
    return m == 1 ? QStringLiteral("1 Minute") : QStringLiteral("%1 Minuten").arg(m);
}

QString csvField(QString text) {
    if (text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')))
        text = QLatin1Char('"') + text.replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
               QLatin1Char('"');
    return text;
}

QString isoSeconds(const QDateTime& t) {
    return t.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

} // namespace

QString sequenceName(int sequence) {
    static const std::array<const char*, 4> names{"Atemübungen", "Körperübungen", "Augenübungen",
                                                  "Entspannungsübungen"};
    return sequence >= 0 && sequence < 4 ? QString::fromUtf8(names[size_t(sequence)]) : QString();
}

int minutesOf(std::int64_t seconds) {
    return int((seconds + 30) / 60);
}

std::vector<Day> lastDays(const Entries& entries, const QDate& today, int count) {
    std::vector<Day> days(static_cast<size_t>(count));
    const QDate first = today.addDays(1 - count);
    for (int i = 0; i < count; ++i)
        days[size_t(i)].date = first.addDays(i);
    auto dayOf = [&](const QDateTime& t) -> Day* {
        const qint64 i = first.daysTo(t.date());
        return t.isValid() && i >= 0 && i < count ? &days[size_t(i)] : nullptr;
    };
    for (const Run& r : entries.runs)
        if (Day* d = dayOf(r.started); d && r.sequence >= 0 && r.sequence < 4)
            d->seconds[size_t(r.sequence)] += r.seconds;
    // The watchdog's prompt is a short break of its own, with no button to follow it by: only the
    // training prompts are followed or ignored, the watchdog's run out.
    for (const PromptRow& p : entries.prompts)
        if (Day* d = dayOf(p.at); d && p.kind == 0) {
            d->followed += p.outcome == PromptRow::Followed;
            d->ignored += p.outcome == PromptRow::Ignored;
        } else if (d && p.kind == 1) {
            d->expired += p.outcome == PromptRow::Expired;
        }
    return days;
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
    return QLocale(QLocale::German).toString(date, QStringLiteral("ddd d.M."));
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
    text += QStringLiteral("; Trainingsaufforderungen befolgt %1, ignoriert %2")
                .arg(day.followed)
                .arg(day.ignored);
    if (day.expired > 0)
        text += QStringLiteral("; Wachhund-Pausen abgelaufen %1").arg(day.expired);
    return text;
}

QString watchdogSentence(const std::vector<Day>& days) {
    int expired = 0;
    for (const Day& d : days)
        expired += d.expired;
    if (expired == 0)
        return QString();
    return QStringLiteral("Wachhund-Pausen der letzten %1 Tage: %2 abgelaufen.")
        .arg(days.size())
        .arg(expired);
}

QByteArray csv(const Entries& entries) {
    QStringList lines;
    auto row = [](QStringList fields) {
        for (QString& f : fields)
            f = csvField(f);
        return fields.join(QLatin1Char(','));
    };
    lines << QStringLiteral("Art,Beginn,Dauer in Sekunden,Übung,Ausgang,nach Erinnerung");
    for (const Run& r : entries.runs)
        lines << row({QStringLiteral("Übung"), isoSeconds(r.started), QString::number(r.seconds),
                      sequenceName(r.sequence),
                      r.completed ? QStringLiteral("bis zum Ende") : QStringLiteral("abgebrochen"),
                      r.fromPrompt ? QStringLiteral("ja") : QStringLiteral("nein")});
    static const std::array<const char*, 5> outcomes{"", "befolgt", "ignoriert", "verworfen",
                                                     "abgelaufen"};
    for (const PromptRow& p : entries.prompts) {
        QString outcome = p.outcome >= 1 && p.outcome < int(outcomes.size())
                              ? QString::fromUtf8(outcomes[size_t(p.outcome)])
                              : QString();
        if (p.held)
            outcome += QStringLiteral(" (zurückgehalten)");
        lines << row({p.kind == 1 ? QStringLiteral("Erinnerung Wachhund")
                                  : QStringLiteral("Erinnerung Training"),
                      isoSeconds(p.at), QString(), QString(), outcome, QString()});
    }
    for (const BreakRow& b : entries.breaks)
        lines << row({b.kind == BreakRow::Pause ? QStringLiteral("Pause der Erinnerungen")
                                                : QStringLiteral("Natürliche Pause"),
                      isoSeconds(b.started), QString::number(b.seconds), QString(), QString(),
                      QString()});
    return (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

} // namespace hist
