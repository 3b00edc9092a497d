#pragma once

#include <QDate>
#include <optional>

// The years the calendar shows. A date of the program has a year from 100 on:
// years 1 to 99 would be read back as 19xx or 20xx when typed or shown
// (two-digit years), and there is no year 0 in the Gregorian calendar.
inline constexpr int FirstCalendarYear = 100;
inline constexpr int LastCalendarYear = 9999;

enum class CalendarStep { PreviousMonth, NextMonth, PreviousYear, NextYear };

// The date shown after stepping the month or the year: the same day when the
// new month has it, else the 1st (31 January gives 1 February). None when the
// step would leave the calendar's years; the calendar beeps then.
std::optional<QDate> steppedDate(const QDate& shown, CalendarStep step);

// The day `days` before or after the one shown, across month ends; none
// outside the calendar's years.
std::optional<QDate> movedByDays(const QDate& shown, int days);

// The day a date field opens the calendar on: the field's date, or today when
// its text is no date. Fields that move old dates forward open a date of 1900
// to 1930 a hundred years later, so a year typed as two digits lands in this
// century.
QDate calendarStartDate(const QString& fieldText, bool movesOldDatesForward);
