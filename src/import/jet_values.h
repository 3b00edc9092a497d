#pragma once

#include <QVariant>
#include <QtGlobal>

// The classic engine's stored number forms, turned into the values the
// program keeps.
namespace JetValues {

// A Date/Time is a day number counted from 30 December 1899 with the time of
// day as its fraction (before that day the fraction still counts forward from
// midnight). Gives a QDateTime in UTC, or a null QVariant when the number lies
// outside the years 100 to 9999 the engine allows (a damaged value).
QVariant dateTime(double dayNumber);

// A Currency is a 64-bit count of ten-thousandths.
double currency(qint64 tenThousandths);

// A Single as the shortest decimal that reads back as the same Single, so
// 0.15 stays 0.15 rather than becoming 0.15000000596046448.
double single(float value);

} // namespace JetValues
