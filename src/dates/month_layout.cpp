#include "dates/month_layout.h"

#include "common/locale_formats.h"

GridCell MonthLayout::cellOf(int day) const
{
    const int index = firstColumn + day - 1;
    return {1 + index / CalendarColumns, index % CalendarColumns};
}

int MonthLayout::dayAt(const GridCell& cell) const
{
    if (cell.row < 1 || cell.row >= CalendarRows || cell.column < 0 || cell.column >= CalendarColumns)
        return 0;
    const int day = (cell.row - 1) * CalendarColumns + cell.column - firstColumn + 1;
    return day >= 1 && day <= lastDay ? day : 0;
}

MonthLayout layoutMonth(const QDate& date)
{
    const QDate first(date.year(), date.month(), 1);
    // Qt counts Monday 1 to Sunday 7; the grid starts on Sunday.
    return {date.year(), date.month(), first.dayOfWeek() % 7, first.daysInMonth()};
}

QString weekdayHeading(int column)
{
    const int dayOfWeek = column == 0 ? 7 : column;
    return u' ' + LocaleFormats::shortWeekdayName(dayOfWeek) + u' ';
}
