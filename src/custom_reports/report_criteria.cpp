#include "custom_reports/report_criteria.h"

#include "common/locale_formats.h"

#include <QByteArray>
#include <QStringList>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace ReportCriteria {

namespace {

// Bounds carry no time zone: a time typed is the time stored.
QDateTime bound(const QDate& date, const QTime& time)
{
    return QDateTime(date, time, Qt::UTC);
}

const QDate TimeOnlyDate(1899, 12, 30); // serial day 0: a time without a date

} // namespace

std::optional<float> columnWidth(const QString& text)
{
    // Beyond this a width would not be written back digit for digit.
    constexpr double LargestWidth = 1e15;
    const std::optional<double> width = LocaleFormats::toNumber(text);
    if (!width || std::abs(*width) >= LargestWidth)
        return std::nullopt;
    return float(*width);
}

QString columnWidthText(float width)
{
    // The fewest digits that read back as the same single-precision number:
    // 0.3, not 0.300000011920929.
    std::array<char, 64> digits{};
    const auto end =
        std::to_chars(digits.data(), digits.data() + digits.size(), width, std::chars_format::fixed).ptr;
    return LocaleFormats::plainNumber(QByteArray(digits.data(), end - digits.data()).toDouble());
}

bool isNumberOrEmpty(const QString& text)
{
    return text.isEmpty() || LocaleFormats::isNumeric(text);
}

bool isStartsWithText(const QString& text)
{
    return !text.contains(u';');
}

std::optional<QDateTime> dateBound(const QString& text)
{
    if (text.isEmpty())
        return QDateTime();
    const std::optional<QDate> date = LocaleFormats::toDate(text);
    return date ? std::optional<QDateTime>(bound(*date, QTime(0, 0))) : std::nullopt;
}

std::optional<QDateTime> timeBound(const QString& text)
{
    if (text.isEmpty())
        return QDateTime();
    if (const std::optional<QTime> time = LocaleFormats::toTime(text))
        return bound(TimeOnlyDate, *time);
    if (const std::optional<QDate> date = LocaleFormats::toDate(text))
        return bound(*date, QTime(0, 0));
    // A date and a time: the time is the last one or two words ("3:15 PM").
    const QStringList words = text.simplified().split(u' ');
    for (qsizetype timeWords = 1; timeWords <= 2 && timeWords < words.size(); ++timeWords) {
        const std::optional<QDate> date =
            LocaleFormats::toDate(words.mid(0, words.size() - timeWords).join(u' '));
        const std::optional<QTime> time =
            LocaleFormats::toTime(words.mid(words.size() - timeWords).join(u' '));
        if (date && time)
            return bound(*date, *time);
    }
    return std::nullopt;
}

QString dateBoundText(const QDateTime& bound)
{
    return bound.isValid() ? LocaleFormats::shortDate(bound.date()) : QString();
}

QString timeBoundText(const QDateTime& bound)
{
    return bound.isValid() ? LocaleFormats::mediumTime(bound.time()) : QString();
}

} // namespace ReportCriteria
