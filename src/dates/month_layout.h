#pragma once

#include <QDate>
#include <QString>
#include <array>

// Where the days of one month stand in the calendar's grid: 7 columns, Sunday
// first whatever the locale, row 0 for the weekday names and rows 1 to 6 for
// the day numbers.
inline constexpr int CalendarColumns = 7;
inline constexpr int CalendarRows = 7;

struct GridCell
{
    int row = 0;
    int column = 0;

    friend bool operator==(const GridCell&, const GridCell&) = default;
};

struct MonthLayout
{
    int year = 0;
    int month = 0;
    int firstColumn = 0; // the weekday of the 1st, Sunday = 0 ... Saturday = 6
    int lastDay = 0;     // the number of days of the month

    // The cell holding day (1 to lastDay).
    GridCell cellOf(int day) const;
    // The day a cell holds; 0 for the heading row and the cells before the
    // 1st and after the last day.
    int dayAt(const GridCell& cell) const;
};

// The layout of the month of date.
MonthLayout layoutMonth(const QDate& date);

// The heading of column 0 to 6: the locale's abbreviated weekday name between
// blanks, " Sun " to " Sat ".
QString weekdayHeading(int column);
