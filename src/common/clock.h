#pragma once

#include <QDate>
#include <QDateTime>

// "Today" for the whole program; tests pin it.
namespace Clock {
QDate today();
QDateTime now();
void setFixedNow(const QDateTime& now); // an invalid QDateTime returns to the system clock
} // namespace Clock
