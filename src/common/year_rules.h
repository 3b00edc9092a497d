#pragma once

#include <QDate>
#include <QString>
#include <optional>

// The program's rules for years written short and for the dates it stores.

// A year written with one or two digits follows the classic window: 00 to 29
// are 2000 to 2029, 30 to 99 are 1930 to 1999. Longer years are as written.
int fullYear(const QString& digits);

// The date a typed text is stored as: a date of 1900 to 1929 is taken to mean
// 2000 to 2029, so that "3/5/05" read by a locale that puts two-digit years
// in the last century does not land in 1905. Nothing for a text that is not
// a valid date (empty included).
std::optional<QDate> storedDate(const QString& text);
