#pragma once

#include <QDate>
#include <QString>
#include <optional>

// Reads the order and separator of the locale's short date into
// dateEntry().DateOrder and DateSep. Runs once at start-up, before any date
// is entered.
void ChkDateFmt();

// The date as three plain numbers separated by blanks, in the order of
// DateOrder: "30 5 1998" for day-first locales, "1998 5 30" for year-first
// ones, "5 30 1998" otherwise. The locale reads this form back as a date.
QString FormatDate(qint16 intMonth, qint16 intDay, qint16 intYear);

// The date FormatDate writes, read back as the locale reads it; none when
// there is no such day (30 February).
std::optional<QDate> dateFromParts(int month, int day, int year);
