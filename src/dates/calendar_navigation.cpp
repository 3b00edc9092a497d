#include "dates/calendar_navigation.h"

#include "common/clock.h"
#include "common/locale_formats.h"
#include "dates/date_format.h"

using namespace Qt::StringLiterals;

namespace {

bool withinCalendar(int year)
{
    return year >= FirstCalendarYear && year <= LastCalendarYear;
}

// The years a date field's calendar moves forward on opening.
constexpr int FirstMovedYear = 1900;
constexpr int LastMovedYear = 1930;
constexpr int YearsMoved = 100;

} // namespace

std::optional<QDate> steppedDate(const QDate& shown, CalendarStep step)
{
    int month = shown.month();
    int year = shown.year();
    switch (step) {
    case CalendarStep::PreviousMonth:
        month = month == 1 ? 12 : month - 1;
        year = shown.month() == 1 ? year - 1 : year;
        break;
    case CalendarStep::NextMonth:
        month = month == 12 ? 1 : month + 1;
        year = shown.month() == 12 ? year + 1 : year;
        break;
    case CalendarStep::PreviousYear:
        --year;
        break;
    case CalendarStep::NextYear:
        ++year;
        break;
    }
    if (!withinCalendar(year))
        return std::nullopt;
    if (const std::optional<QDate> sameDay = dateFromParts(month, shown.day(), year))
        return sameDay;
    return dateFromParts(month, 1, year);
}

std::optional<QDate> movedByDays(const QDate& shown, int days)
{
    const QDate moved = shown.addDays(days);
    if (!moved.isValid() || !withinCalendar(moved.year()))
        return std::nullopt;
    return moved;
}

QDate calendarStartDate(const QString& fieldText, bool movesOldDatesForward)
{
    const std::optional<QDate> date =
        LocaleFormats::isDate(fieldText) ? LocaleFormats::toDate(fieldText) : std::nullopt;
    if (!date || !date->isValid())
        return Clock::today();
    if (!movesOldDatesForward || date->year() < FirstMovedYear || date->year() > LastMovedYear)
        return *date;
    // Written out as "<month> <day>, <year>", a form every locale reads.
    const QString later = LocaleFormats::monthName(date->month()) + u' ' + QString::number(date->day()) +
                          u", "_s + QString::number(date->year() + YearsMoved);
    const std::optional<QDate> moved = LocaleFormats::toDate(later);
    return moved && moved->isValid() ? *moved : date->addYears(YearsMoved);
}
