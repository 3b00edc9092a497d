// The calendar's steppers held down: each step computes the new month and lays
// it out, a hundred years of months here.
#include "bare_connection.h"

#include "database/native_sql.h"
#include "dates/calendar_navigation.h"
#include "dates/date_format.h"
#include "dates/month_layout.h"

#include <sqlite3.h>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

constexpr int MonthsStepped = 1200;

void stepAndLayOutMonths(BenchCatalogue&)
{
    ChkDateFmt();
    QDate shown(2000, 1, 31);
    qint64 check = 0;
    for (int i = 0; i < MonthsStepped; ++i) {
        shown = steppedDate(shown, CalendarStep::NextMonth).value_or(QDate());
        const MonthLayout layout = layoutMonth(shown);
        check += layout.firstColumn + layout.cellOf(layout.lastDay).row;
    }
    if (shown != QDate(2100, 1, 1) || check == 0)
        throw std::runtime_error("the calendar lost its way stepping the months");
}

// The same months from SQLite's date functions: the weekday of each 1st and
// the number of days of the month.
void monthsFromSqlite(BenchCatalogue& catalogue)
{
    sqlite3_stmt* months = nullptr;
    sqlite3_prepare_v2(bareConnection(catalogue),
                       "WITH RECURSIVE m(i, first) AS (SELECT 1, '2000-02-01' UNION ALL "
                       "SELECT i + 1, date(first, '+1 month') FROM m WHERE i < 1200) "
                       "SELECT strftime('%w', first), strftime('%d', date(first, '+1 month', '-1 day')) "
                       "FROM m",
                       -1, &months, nullptr);
    qint64 check = 0;
    int count = 0;
    while (sqlite3_step(months) == SQLITE_ROW) {
        check += sqlite3_column_int(months, 0) + sqlite3_column_int(months, 1);
        ++count;
    }
    sqlite3_finalize(months);
    if (count != MonthsStepped || check == 0)
        throw std::runtime_error("SQLite lost its way stepping the months");
}

const BenchRegistration registration{
    {u"calendar: step and lay out 1,200 months"_s, stepAndLayOutMonths, monthsFromSqlite},
};

} // namespace
