#include "reports/date_pattern.h"

namespace {

void appendNumber(QString& text, int value, int digits)
{
    char buffer[8];
    int length = 0;
    do {
        buffer[length++] = char('0' + value % 10);
        value /= 10;
    } while (value > 0 && length < int(sizeof buffer));
    for (int i = length; i < digits; ++i)
        text += u'0';
    while (length > 0)
        text += QLatin1Char(buffer[--length]);
}

} // namespace

DatePattern::DatePattern(const QLocale& locale, const QString& pattern) : m_locale(locale), m_pattern(pattern)
{
    m_ownWay = m_locale.zeroDigit() == u"0" && read(pattern);
    for (int i = 0; i <= 12; ++i) {
        m_shortMonths.append(i ? m_locale.monthName(i, QLocale::ShortFormat) : QString());
        m_longMonths.append(i ? m_locale.monthName(i, QLocale::LongFormat) : QString());
        if (i <= 7) {
            m_shortWeekdays.append(i ? m_locale.dayName(i, QLocale::ShortFormat) : QString());
            m_longWeekdays.append(i ? m_locale.dayName(i, QLocale::LongFormat) : QString());
        }
    }
}

// The pieces of the pattern, as QLocale reads it: runs of d, M and y are
// fields, text in single quotes is kept ('' alone is a quote), other letters
// are fields this class leaves to QLocale. False when it meets one of those,
// or quoting it does not follow.
bool DatePattern::read(const QString& pattern)
{
    const auto literal = [this](QStringView text) {
        if (m_pieces.empty() || m_pieces.back().field != Field::Text)
            m_pieces.push_back({});
        m_pieces.back().text += text;
    };
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern[i];
        if (c == u'\'') {
            if (i + 1 < pattern.size() && pattern[i + 1] == u'\'') {
                literal(u"'");
                i += 2;
                continue;
            }
            const qsizetype close = pattern.indexOf(u'\'', i + 1);
            // Quotes doubled within quoted text are left to QLocale.
            if (close < 0 || (close + 1 < pattern.size() && pattern[close + 1] == u'\''))
                return false;
            literal(QStringView(pattern).sliced(i + 1, close - i - 1));
            i = close + 1;
            continue;
        }
        qsizetype run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c)
            ++run;
        static constexpr Field Days[] = {Field::Day, Field::Day2, Field::ShortWeekday, Field::LongWeekday};
        static constexpr Field Months[] = {Field::Month, Field::Month2, Field::ShortMonth, Field::LongMonth};
        if (c == u'd' && run <= 4)
            m_pieces.push_back({Days[run - 1], {}});
        else if (c == u'M' && run <= 4)
            m_pieces.push_back({Months[run - 1], {}});
        else if (c == u'y' && (run == 2 || run == 4))
            m_pieces.push_back({run == 2 ? Field::Year2 : Field::Year4, {}});
        else if (c.isLetter())
            return false;
        else
            literal(QStringView(pattern).sliced(i, run));
        i += run;
    }
    return true;
}

QString DatePattern::format(const QDate& date) const
{
    if (!date.isValid())
        return QString();
    if (!m_ownWay || date.year() < 1 || date.year() > 9999)
        return m_locale.toString(date, m_pattern);
    QString text;
    text.reserve(m_pattern.size() + 2);
    for (const Piece& piece : m_pieces) {
        switch (piece.field) {
        case Field::Text:
            text += piece.text;
            break;
        case Field::Day:
        case Field::Day2:
            appendNumber(text, date.day(), piece.field == Field::Day2 ? 2 : 1);
            break;
        case Field::ShortWeekday:
            text += m_shortWeekdays[date.dayOfWeek()];
            break;
        case Field::LongWeekday:
            text += m_longWeekdays[date.dayOfWeek()];
            break;
        case Field::ShortMonth:
            text += m_shortMonths[date.month()];
            break;
        case Field::LongMonth:
            text += m_longMonths[date.month()];
            break;
        case Field::Month:
        case Field::Month2:
            appendNumber(text, date.month(), piece.field == Field::Month2 ? 2 : 1);
            break;
        case Field::Year2:
            appendNumber(text, date.year() % 100, 2);
            break;
        case Field::Year4:
            appendNumber(text, date.year(), 4);
            break;
        }
    }
    return text;
}
