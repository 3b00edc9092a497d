// Reading dates and times as the user types them in their locale.

#include "common/locale_formats.h"

#include "common/locale_internals.h"
#include "common/year_rules.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace LocaleFormats {

namespace {

// The years a date may have, as in the classic date type.
constexpr int FirstYear = 100;
constexpr int LastYear = 9999;

std::optional<QDate> validDate(int year, int month, int day)
{
    const QDate date(year, month, day);
    if (!date.isValid() || year < FirstYear || year > LastYear) {
        return std::nullopt;
    }
    return date;
}

// Three numbers separated by "/", ".", "-" or blanks, the same separator both
// times: in the locale's order of day, month and year, or year first when the
// first number has more than two digits (ISO 2029-01-31). A trailing point,
// as some locales write ("2029. 01. 31."), is allowed.
std::optional<QDate> numericDate(const QString& text)
{
    static const QRegularExpression pattern(
        u"^([0-9]{1,4})([ ./-]+)([0-9]{1,4})([ ./-]+)([0-9]{1,4})\\.?$"_s);
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    if (match.captured(2).remove(u' ') != match.captured(4).remove(u' ')) {
        return std::nullopt;
    }
    const QStringList numbers = {match.captured(1), match.captured(3), match.captured(5)};
    const QString order = numbers.at(0).size() > 2 ? u"YMD"_s : internal::dateFieldOrder();
    QString year;
    QString month;
    QString day;
    for (int i = 0; i < 3; ++i) {
        (order.at(i) == u'Y' ? year : order.at(i) == u'M' ? month : day) = numbers.at(i);
    }
    if (month.size() > 2 || day.size() > 2) {
        return std::nullopt;
    }
    return validDate(fullYear(year), month.toInt(), day.toInt());
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Compares a word typed by the user with a name of the locale, without regard
// to case and to the point that ends an abbreviated name ("janv.").
bool sameName(const QString& word, QString name)
{
    if (name.endsWith(u'.')) {
        name.chop(1);
    }
    return !name.isEmpty() && word.compare(name, Qt::CaseInsensitive) == 0;
}

// The month, 1 to 12, that a word names, in full or abbreviated, in the form
// used inside a date and in the form used alone (they differ in Polish or
// Russian); 0 when it names none.
int monthNamed(const QString& word)
{
    const QLocale locale;
    for (int month = 1; month <= 12; ++month) {
        for (QLocale::FormatType type : {QLocale::LongFormat, QLocale::ShortFormat}) {
            if (sameName(word, locale.monthName(month, type)) ||
                sameName(word, locale.standaloneMonthName(month, type))) {
                return month;
            }
        }
    }
    return 0;
}

bool isWeekdayName(const QString& word)
{
    const QLocale locale;
    for (int day = 1; day <= 7; ++day) {
        for (QLocale::FormatType type : {QLocale::LongFormat, QLocale::ShortFormat}) {
            if (sameName(word, locale.dayName(day, type)) ||
                sameName(word, locale.standaloneDayName(day, type))) {
                return true;
            }
        }
    }
    return false;
}

// A date with its month written as a name: "January 1, 2029", "1 January
// 2029", "Monday, January 1, 2029", "Montag, 1. Januar 2029". Words must be one
// month name and at most one weekday name (which is not checked against the
// date); there must be two numbers, the day and the year.
std::optional<QDate> namedMonthDate(const QString& text)
{
    int month = 0;
    int weekdays = 0;
    bool monthBeforeNumbers = false;
    QStringList numbers;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text.at(i);
        qsizetype end = i + 1;
        if (isAsciiDigit(c)) {
            while (end < text.size() && isAsciiDigit(text.at(end))) {
                ++end;
            }
            numbers.append(text.mid(i, end - i));
        } else if (c.isLetter()) {
            while (end < text.size() && (text.at(end).isLetter() || text.at(end).isMark())) {
                ++end;
            }
            const QString word = text.mid(i, end - i);
            if (const int named = monthNamed(word); named != 0 && month == 0) {
                month = named;
                monthBeforeNumbers = numbers.isEmpty();
            } else if (isWeekdayName(word) && weekdays == 0) {
                ++weekdays;
            } else {
                return std::nullopt;
            }
        } else if (!u" ,./-"_s.contains(c)) {
            return std::nullopt;
        }
        i = end;
    }
    if (month == 0 || numbers.size() != 2) {
        return std::nullopt;
    }
    const bool firstIsYear = numbers.at(0).size() > 2;
    const bool secondIsYear = numbers.at(1).size() > 2;
    if (numbers.at(0).size() > 4 || numbers.at(1).size() > 4 || (firstIsYear && secondIsYear)) {
        return std::nullopt;
    }
    // With two short numbers, the day comes first after a leading month
    // ("May 30, 98") and otherwise as in the locale's short date.
    bool yearFirst = firstIsYear;
    if (!firstIsYear && !secondIsYear && !monthBeforeNumbers) {
        const QString order = internal::dateFieldOrder();
        yearFirst = order.indexOf(u'Y') < order.indexOf(u'D');
    }
    const QString& year = yearFirst ? numbers.at(0) : numbers.at(1);
    const QString& day = yearFirst ? numbers.at(1) : numbers.at(0);
    if (day.size() > 2) {
        return std::nullopt;
    }
    return validDate(fullYear(year), month, day.toInt());
}

// "<month name> <day>, <year>", the form the program builds to move a date by a
// century, matched against the month names as wholes since some contain
// digits (Japanese "1月").
std::optional<QDate> monthFirstDate(const QString& text)
{
    static const QRegularExpression dayAndYear(u"^([0-9]{1,2})(?:, ?| )([0-9]{1,4})$"_s);
    const QLocale locale;
    for (int month = 1; month <= 12; ++month) {
        for (const QString& name : {locale.standaloneMonthName(month), locale.monthName(month)}) {
            if (name.isEmpty() || !text.startsWith(name + u' ', Qt::CaseInsensitive)) {
                continue;
            }
            const QRegularExpressionMatch match =
                dayAndYear.match(internal::asciiDigits(text.mid(name.size() + 1)));
            if (match.hasMatch()) {
                return validDate(fullYear(match.captured(2)), month, match.captured(1).toInt());
            }
        }
    }
    return std::nullopt;
}

// Forms the readers above cannot split into words and numbers, such as
// the Japanese long date, read by Qt with the locale's own formats.
std::optional<QDate> localeFormatDate(const QString& text)
{
    const QLocale locale;
    for (const QString& format : {locale.dateFormat(QLocale::LongFormat), internal::shortDateFormat()}) {
        const QDate date = locale.toDate(text, format);
        if (date.isValid()) {
            return validDate(date.year(), date.month(), date.day());
        }
    }
    return std::nullopt;
}

// The separator between hours and minutes in the locale's time ("." in
// Finnish); ":" is accepted everywhere besides.
QString timeSeparator()
{
    static const QRegularExpression separator(u"[hH]+([^hHmM']+)m"_s);
    const QRegularExpressionMatch match = separator.match(QLocale().timeFormat(QLocale::ShortFormat));
    return match.hasMatch() ? match.captured(1).trimmed() : u":"_s;
}

// Takes an AM or PM mark off the start or the end of the text: the locale's
// own and the English ones. Returns 0 for none, 1 for AM, 2 for PM.
int takeDayHalf(QString& text)
{
    const QLocale locale;
    const QList<std::pair<QString, int>> marks = {{internal::foldLookAlikes(locale.amText()), 1},
                                                  {internal::foldLookAlikes(locale.pmText()), 2},
                                                  {u"AM"_s, 1},
                                                  {u"PM"_s, 2}};
    for (const auto& [mark, half] : marks) {
        if (mark.isEmpty()) {
            continue;
        }
        if (text.endsWith(mark, Qt::CaseInsensitive)) {
            text = text.left(text.size() - mark.size()).trimmed();
            return half;
        }
        if (text.startsWith(mark, Qt::CaseInsensitive)) {
            text = text.mid(mark.size()).trimmed();
            return half;
        }
    }
    return 0;
}

} // namespace

std::optional<QDate> toDate(const QString& text)
{
    const QString folded = internal::foldLookAlikes(text).simplified();
    if (folded.isEmpty()) {
        return std::nullopt;
    }
    // The locale's own digits are read as ASCII ones; the month names are
    // matched before they are folded, in case one holds such a digit.
    const QString ascii = internal::asciiDigits(folded);
    if (std::optional<QDate> date = numericDate(ascii)) {
        return date;
    }
    if (std::optional<QDate> date = monthFirstDate(folded)) {
        return date;
    }
    if (std::optional<QDate> date = namedMonthDate(ascii)) {
        return date;
    }
    return localeFormatDate(folded);
}

bool isDate(const QString& text)
{
    return toDate(text).has_value();
}

std::optional<QTime> toTime(const QString& text)
{
    QString rest = internal::asciiDigits(internal::foldLookAlikes(text).simplified());
    const int dayHalf = takeDayHalf(rest);
    // The words the locale writes around the numbers: "Kl." in "Kl. 9.05".
    for (const QString& word : internal::timeWords()) {
        if (rest.startsWith(word, Qt::CaseInsensitive)) {
            rest = rest.mid(word.size()).trimmed();
        } else if (rest.endsWith(word, Qt::CaseInsensitive)) {
            rest.chop(word.size());
            rest = rest.trimmed();
        }
    }
    QString separator = QRegularExpression::escape(timeSeparator());
    if (separator != u":"_s) {
        separator = u"(?::|"_s + separator + u')';
    }
    // Hours alone only with an AM/PM mark ("3 PM"): a bare "3" is a number.
    const QRegularExpression pattern(u"^([0-9]{1,2})(?:"_s + separator + u"([0-9]{1,2})(?:"_s + separator +
                                     u"([0-9]{1,2}))?)?$"_s);
    const QRegularExpressionMatch match = pattern.match(rest);
    if (!match.hasMatch()) {
        // Words between the numbers ("09 h 05") are left to Qt, in the form
        // the program writes.
        const QTime time = QLocale().toTime(text.trimmed(), internal::hoursAndMinutesFormat());
        return time.isValid() ? std::optional<QTime>(time) : std::nullopt;
    }
    if (dayHalf == 0 && !match.hasCaptured(2)) {
        return std::nullopt;
    }
    int hour = match.captured(1).toInt();
    const int minute = match.hasCaptured(2) ? match.captured(2).toInt() : 0;
    const int second = match.hasCaptured(3) ? match.captured(3).toInt() : 0;
    if (dayHalf != 0) {
        if (hour < 1 || hour > 12) {
            return std::nullopt;
        }
        hour = hour % 12 + (dayHalf == 2 ? 12 : 0);
    }
    const QTime time(hour, minute, second);
    return time.isValid() ? std::optional<QTime>(time) : std::nullopt;
}

bool isTime(const QString& text)
{
    return toTime(text).has_value();
}

} // namespace LocaleFormats
