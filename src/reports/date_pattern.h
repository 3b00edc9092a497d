#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <vector>

// A date pattern of QLocale::toString ("dd/MM/yyyy", "M/d/yy") read once,
// for a report that writes a date on every line: each date is then put
// together from the pattern's pieces instead of the pattern being read again.
// Patterns with more than days, months (numbers or names), weekday names and
// years of two or four digits (times, for one), locales with other digits
// than 0-9, and years outside 1-9999 take QLocale's own way, so the text is
// always the one QLocale gives.
class DatePattern
{
public:
    DatePattern(const QLocale& locale, const QString& pattern);

    QString format(const QDate& date) const;

private:
    enum class Field {
        Text,
        Day,
        Day2,
        ShortWeekday,
        LongWeekday,
        Month,
        Month2,
        ShortMonth,
        LongMonth,
        Year2,
        Year4
    };
    struct Piece
    {
        Field field = Field::Text;
        QString text;
    };

    bool read(const QString& pattern);

    QLocale m_locale;
    QString m_pattern;
    std::vector<Piece> m_pieces;
    // The names of months and weekdays, by number from 1, as QLocale gives them.
    QStringList m_shortMonths, m_longMonths, m_shortWeekdays, m_longWeekdays;
    bool m_ownWay = false;
};
