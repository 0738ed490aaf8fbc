#pragma once

#include "history/Entries.h"

#include <QByteArray>
#include <QDate>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <vector>

namespace hist {

// One day of the chart: the seconds of each sequence run that day and how the runs ended, its
// training prompts followed, ignored and dropped, the watchdog's prompts whose time ran out,
// and the natural breaks and pauses that began that day.
struct Day {
    QDate date;
    std::array<std::int64_t, 4> seconds{};
    int completed = 0;
    int stopped = 0;
    int interrupted = 0; // the program ended before the run did
    int followed = 0;
    int ignored = 0;
    int postponed = 0; // training prompts put off ("Später")
    int dropped = 0;
    int expired = 0;
    int naturalBreaks = 0;
    std::int64_t naturalSeconds = 0;
    int pauses = 0;
    std::int64_t pauseSeconds = 0;
    std::int64_t totalSeconds() const { return seconds[0] + seconds[1] + seconds[2] + seconds[3]; }
    int runs() const { return completed + stopped + interrupted; }
};

// The names of the four sequences, in the order of the board's buttons.
QString sequenceName(int sequence);

// Whole minutes, rounded: 90 seconds are 2 minutes, 89 are 1.
int minutesOf(std::int64_t seconds);
// "1 Minute", "45 Minuten", "2 Stunden 10 Minuten".
QString durationText(std::int64_t seconds);

// The days from `first` to `last`, oldest first. A row counts on the day it started.
std::vector<Day> daysBetween(const Entries& entries, const QDate& first, const QDate& last);
// The `count` days up to `today`.
std::vector<Day> lastDays(const Entries& entries, const QDate& today, int count = 14);
// The days added up (its date is none).
Day sum(const std::vector<Day>& days);

// Seconds of exercise in the calendar week of `today` (from Monday) and in the week before.
struct Weeks {
    std::int64_t thisWeek = 0;
    std::int64_t lastWeek = 0;
};
Weeks compareWeeks(const Entries& entries, const QDate& today);
// "Diese Woche 42 Minuten, letzte Woche 35 Minuten."
QString weekSentence(const Weeks& weeks);

// What a screen reader says of a day's bar: "12 Minuten (Atemübungen 3, ...);
// Trainingsaufforderungen befolgt 2, ignoriert 1", and on a day with any, "; abgebrochen 1",
// "; Wachhund-Pausen abgelaufen 3", "; natürliche Pausen 2 (40 Minuten)".
QString dayDescription(const Day& day);
QString dayName(const QDate& date); // "Di. 8.12."
// "vom 26.11. bis 9.12.2026"; "Dezember 2026" for a whole month.
QString spanName(const QDate& first, const QDate& last);
// The watchdog's prompts that ran out over `days`: "Wachhund-Pausen der letzten 14 Tage: 3
// abgelaufen." (for days up to `today`); empty when there were none.
QString watchdogSentence(const std::vector<Day>& days, const QDate& today);
// What the days hold besides the minutes, one sentence each: how the runs ended, the share of
// training prompts followed, the natural breaks and the pauses.
QStringList spanSentences(const Day& total);

// How the CSV file is written. Spreadsheets set to a language that writes decimals with a comma
// (German and most of Europe) expect fields separated by semicolons and, to read UTF-8, a byte
// order mark; the others commas.
struct CsvStyle {
    char separator = ',';
    bool byteOrderMark = false;
};
CsvStyle csvStyleFor(const QLocale& locale);
// The whole record as CSV: a header row, then a row per run, prompt and break in the order they
// happened, times in ISO 8601 with their offset from UTC.
QByteArray csv(const Entries& entries, const CsvStyle& style = {});

} // namespace hist
