// Date-time serial numbers: whole days since 30 December 1899, the time of day
// as the fraction. Before that day the whole part counts back but the fraction
// still counts forward from midnight, so -1.25 is 29 December 1899, 06:00.

#include "common/locale_formats.h"

#include <cmath>

namespace LocaleFormats {

namespace {

const QDate SerialEpoch(1899, 12, 30);
constexpr double MillisecondsPerDay = 86400000.0;

} // namespace

double toSerial(const QDateTime& value)
{
    if (!value.isValid()) {
        return 0.0;
    }
    const double days = static_cast<double>(SerialEpoch.daysTo(value.date()));
    const double fraction = value.time().msecsSinceStartOfDay() / MillisecondsPerDay;
    return days >= 0 ? days + fraction : days - fraction;
}

QDateTime fromSerial(double serial)
{
    if (!std::isfinite(serial) || std::abs(serial) > 3e6) {
        return QDateTime();
    }
    double days = std::trunc(serial);
    // Serials written as text carry about 15 significant digits; rounding to
    // the millisecond gives back the time that was written.
    qint64 milliseconds = std::llround(std::abs(serial - days) * MillisecondsPerDay);
    if (milliseconds >= qint64(MillisecondsPerDay)) {
        milliseconds -= qint64(MillisecondsPerDay);
        days += 1;
    }
    const QDate date = SerialEpoch.addDays(static_cast<qint64>(days));
    if (date.year() < 100 || date.year() > 9999) {
        return QDateTime();
    }
    // UTC, so that no daylight-saving gap can shift or void the time written.
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(int(milliseconds)), Qt::UTC);
}

} // namespace LocaleFormats
