#include "custom_reports/gui/criteria_calendar.h"

// Until the calendar window is part of the program, dates are typed.
bool criteriaCalendarAvailable()
{
    return false;
}

std::optional<QDate> pickCriteriaDate(QWidget*, const QString&, const QDate&)
{
    return std::nullopt;
}
