#pragma once

#include <QDate>
#include <QString>

// What the date fields and the calendar share for the whole run.
struct DateEntryState
{
    // The one value exchanged with the calendar: the caller puts the starting
    // date here, the calendar replaces it with the day chosen (and leaves it
    // alone when closed without a choice).
    QDate PickerDate;
    // The order of month, day and year in the locale's short date ("mdy",
    // "dmy", "ymd") and its separator; read once at start-up by ChkDateFmt.
    QString DateOrder = QStringLiteral("mdy");
    QString DateSep = QStringLiteral("/");
};

DateEntryState& dateEntry();
