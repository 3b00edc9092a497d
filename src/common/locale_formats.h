#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <optional>

// The named formats and locale-aware tests and conversions of the program, all
// over QLocale() (the user's locale; tests pin it with QLocale::setDefault).
namespace LocaleFormats {

// Named formats.
QString shortDate(const QDate& date);    // "short date" / "ddddd"
QString mediumTime(const QTime& time);   // "medium time"
QString currency(double amount);         // "currency": symbol, grouping, the locale's decimals
QString monthName(int month);            // "mmmm": full month name
QString shortWeekdayName(int dayOfWeek); // "ddd": 1 = Monday ... 7 = Sunday
QString groupedNumber(qint64 value);     // "###,###": grouping, no decimals, 0 gives ""
QString plainNumber(double value);       // the platform's plain decimal form: "1440", "561.6"

// The largest currency amount kept exactly. Prices are stored as doubles
// rounded to four decimals: with fifteen significant digits a double gives
// back every such amount below 10^11 to the last decimal, but not beyond
// (922,337,203,685,477.58 would come back as ...477.63).
inline constexpr double LargestCurrency = 99999999999.9999;

// The patterns shortDate and mediumTime hand to QLocale::toString, worked out
// from the locale's formats: for a report that formats many values and works
// them out once.
QString shortDatePattern();
QString mediumTimePattern();

// Tests and conversions.
bool isNumeric(const QString& text); // sign, digits, decimal and group separators, blanks
std::optional<double> toNumber(const QString& text);
std::optional<double> toCurrency(const QString& text); // symbol and grouping accepted; 4 decimals
bool isDate(const QString& text);
// The locale's short date with two- or four-digit year, its long date, and
// "<full month name> <day>, <year>".
std::optional<QDate> toDate(const QString& text);
bool isTime(const QString& text);
std::optional<QTime> toTime(const QString& text);

// Date-time serial numbers: days since 30 December 1899, the time of day as the
// fraction.
double toSerial(const QDateTime& value);
QDateTime fromSerial(double serial);

// The order of day, month and year in the locale's short date, as "MDY",
// "DMY" or "YMD", and its separator.
QString shortDateOrder();
QChar shortDateSeparator();

} // namespace LocaleFormats
