#pragma once

#include "history/Entries.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace hist {

// One day of the chart: the seconds of each sequence run that day, its training prompts followed
// and ignored, and the watchdog's prompts whose time ran out.
struct Day {
    QDate date;
    std::array<std::int64_t, 4> seconds{};
    int followed = 0;
    int ignored = 0;
    int expired = 0;
    std::int64_t totalSeconds() const { return seconds[0] + seconds[1] + seconds[2] + seconds[3]; }
};

// The names of the four sequences, in the order of the board's buttons.
QString sequenceName(int sequence);

// Whole minutes, rounded: 90 seconds are 2 minutes, 89 are 1.
int minutesOf(std::int64_t seconds);

// The `count` days up to `today`, oldest first. A run counts on the day it started.
std::vector<Day> lastDays(const Entries& entries, const QDate& today, int count = 14);

// Seconds of exercise in the calendar week of `today` (from Monday) and in the week before.
struct Weeks {
    std::int64_t thisWeek = 0;
    std::int64_t lastWeek = 0;
};
Weeks compareWeeks(const Entries& entries, const QDate& today);
// "Diese Woche 42 Minuten, letzte Woche 35 Minuten."
QString weekSentence(const Weeks& weeks);

// What a screen reader says of a day's bar: "12 Minuten (Atemübungen 3, ...);
// Trainingsaufforderungen befolgt 2, ignoriert 1", and "; Wachhund-Pausen abgelaufen 3" on a day
// with any.
QString dayDescription(const Day& day);
QString dayName(const QDate& date); // "Di. 8.12."
// The watchdog's prompts that ran out over `days`: "Wachhund-Pausen der letzten 14 Tage: 3
// abgelaufen."; empty when there were none.
QString watchdogSentence(const std::vector<Day>& days);

// The whole record as CSV: UTF-8, a header row, ISO dates, a row per run, prompt and break.
QByteArray csv(const Entries& entries);

} // namespace hist
