#include "common/clock.h"

namespace {
QDateTime& fixedNow()
{
    static QDateTime value;
    return value;
}
} // namespace

namespace Clock {

QDate today()
{
    return now().date();
}

QDateTime now()
{
    const QDateTime& fixed = fixedNow();
    return fixed.isValid() ? fixed : QDateTime::currentDateTime();
}

void setFixedNow(const QDateTime& now)
{
    fixedNow() = now;
}

} // namespace Clock
