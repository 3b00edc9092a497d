#include "common/year_rules.h"

#include "common/locale_formats.h"

using namespace Qt::StringLiterals;

int fullYear(const QString& digits)
{
    const int year = digits.toInt();
    if (digits.size() > 2)
        return year;
    return year < 30 ? 2000 + year : 1900 + year;
}

std::optional<QDate> storedDate(const QString& text)
{
    if (!LocaleFormats::isDate(text))
        return std::nullopt;
    const std::optional<QDate> date = LocaleFormats::toDate(text);
    if (!date || !date->isValid())
        return std::nullopt;
    if (date->year() < 1900 || date->year() > 1929)
        return date;
    // Rebuilt as "<month> <day>, <year + 100>", a form the locale always reads.
    const QString later = LocaleFormats::monthName(date->month()) + u' ' + QString::number(date->day()) +
                          u", "_s + QString::number(date->year() + 100);
    const std::optional<QDate> rebuilt = LocaleFormats::toDate(later);
    return rebuilt && rebuilt->isValid() ? rebuilt : date->addYears(100);
}
