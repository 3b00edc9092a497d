#include "common/locale_formats.h"

#include "common/locale_internals.h"

#include <QLocale>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace LocaleFormats {

namespace {

// One piece of a QLocale date or time format: a run of one pattern letter
// ("yy", "MMMM") or literal text between the runs (quoted text included).
struct FormatPiece
{
    QString text;
    QChar field; // the pattern letter; null for literal text
};

bool isPatternLetter(QChar c)
{
    return u"dMyhHmszapAPt"_s.contains(c);
}

QList<FormatPiece> splitFormat(const QString& format)
{
    QList<FormatPiece> pieces;
    auto appendLiteral = [&pieces](QChar c) {
        if (pieces.isEmpty() || !pieces.last().field.isNull()) {
            pieces.append({QString(), QChar()});
        }
        pieces.last().text += c;
    };
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == u'\'') {
            quoted = !quoted;
            appendLiteral(c);
        } else if (quoted || !isPatternLetter(c)) {
            appendLiteral(c);
        } else if (!pieces.isEmpty() && pieces.last().field == c) {
            pieces.last().text += c;
        } else {
            pieces.append({QString(c), c});
        }
    }
    return pieces;
}

QString joinFormat(const QList<FormatPiece>& pieces)
{
    QString format;
    for (const FormatPiece& piece : pieces) {
        format += piece.text;
    }
    return format;
}

// The number of decimals the locale's currency shows (2 for dollars and euros,
// 0 for yen), read from how it writes zero.
int currencyDecimals()
{
    const QLocale locale;
    const QString zero = locale.toCurrencyString(0.0);
    const qsizetype point = zero.lastIndexOf(locale.decimalPoint());
    if (point < 0) {
        return 0;
    }
    int digits = 0;
    for (qsizetype i = point + locale.decimalPoint().size(); i < zero.size() && zero.at(i).isDigit(); ++i) {
        ++digits;
    }
    return digits;
}

} // namespace

namespace internal {

QString foldLookAlikes(const QString& text)
{
    QString folded;
    folded.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case 0x00A0: // no-break space
        case 0x2007: // figure space
        case 0x2009: // thin space
        case 0x202F: // narrow no-break space
        case u'\t':
            folded += u' ';
            break;
        case 0x2019: // right single quotation mark, the Swiss group separator
            folded += u'\'';
            break;
        case 0x2212: // minus sign
            folded += u'-';
            break;
        case 0x200E: // left-to-right mark
        case 0x200F: // right-to-left mark
        case 0x061C: // Arabic letter mark
            break;
        default:
            folded += c;
            break;
        }
    }
    return folded;
}

QString asciiDigits(const QString& text)
{
    const QList<uint> zeroDigit = QLocale().zeroDigit().toUcs4();
    if (zeroDigit.size() != 1 || zeroDigit.first() == u'0') {
        return text;
    }
    const char32_t zero = zeroDigit.first();
    QString ascii;
    ascii.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text.at(i).unicode();
        qsizetype width = 1;
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            width = 2;
        }
        if (c >= zero && c - zero <= 9) {
            ascii += QChar(u'0' + int(c - zero));
        } else {
            ascii += QStringView(text).mid(i, width);
        }
        i += width - 1;
    }
    return ascii;
}

QString shortDateFormat()
{
    QList<FormatPiece> pieces = splitFormat(QLocale().dateFormat(QLocale::ShortFormat));
    for (FormatPiece& piece : pieces) {
        if (piece.field == u'y') {
            piece.text = u"yyyy"_s;
        }
    }
    return joinFormat(pieces);
}

QString hoursAndMinutesFormat()
{
    const QList<FormatPiece> pieces = splitFormat(QLocale().timeFormat(QLocale::ShortFormat));
    QList<FormatPiece> kept;
    for (const FormatPiece& piece : pieces) {
        const bool dropped = piece.field == u's' || piece.field == u'z' || piece.field == u't';
        if (!dropped) {
            kept.append(piece);
        } else if (!kept.isEmpty() && kept.last().field.isNull()) {
            kept.removeLast();
        }
    }
    while (!kept.isEmpty() && kept.last().field.isNull() && kept.last().text.trimmed().isEmpty()) {
        kept.removeLast();
    }
    return joinFormat(kept);
}

QStringList timeWords()
{
    QStringList words;
    for (const FormatPiece& piece : splitFormat(hoursAndMinutesFormat())) {
        const QString word = foldLookAlikes(QString(piece.text).remove(u'\'')).trimmed();
        if (piece.field.isNull() &&
            std::any_of(word.cbegin(), word.cend(), [](QChar c) { return c.isLetter(); })) {
            words.append(word);
        }
    }
    return words;
}

QString dateFieldOrder()
{
    QString order;
    for (const FormatPiece& piece : splitFormat(shortDateFormat())) {
        // "ddd" and "dddd" are weekday names, not the day of the month.
        const bool dayOfMonth = piece.field == u'd' && piece.text.size() <= 2;
        const QChar letter = dayOfMonth            ? u'D'
                             : piece.field == u'M' ? u'M'
                             : piece.field == u'y' ? u'Y'
                                                   : QChar();
        if (!letter.isNull() && !order.contains(letter)) {
            order += letter;
        }
    }
    // A format that lacks a field (none shipped does) falls back on the
    // month-first order, the most common one.
    return order.size() == 3 ? order : u"MDY"_s;
}

} // namespace internal

QString shortDatePattern()
{
    return internal::shortDateFormat();
}

QString mediumTimePattern()
{
    return internal::hoursAndMinutesFormat();
}

QString shortDate(const QDate& date)
{
    return date.isValid() ? QLocale().toString(date, internal::shortDateFormat()) : QString();
}

QString mediumTime(const QTime& time)
{
    return time.isValid() ? QLocale().toString(time, internal::hoursAndMinutesFormat()) : QString();
}

QString currency(double amount)
{
    if (!std::isfinite(amount)) {
        return QString();
    }
    // Round to the shown decimals first, so that an amount that shows as zero
    // never shows as a negative zero, "-$0.00".
    const double scale = std::pow(10.0, currencyDecimals());
    double shown = std::round(amount * scale) / scale;
    if (shown == 0.0) {
        shown = 0.0;
    }
    return QLocale().toCurrencyString(shown);
}

QString monthName(int month)
{
    if (month < 1 || month > 12) {
        return QString();
    }
    return QLocale().standaloneMonthName(month, QLocale::LongFormat);
}

QString shortWeekdayName(int dayOfWeek)
{
    if (dayOfWeek < 1 || dayOfWeek > 7) {
        return QString();
    }
    return QLocale().standaloneDayName(dayOfWeek, QLocale::ShortFormat);
}

QString groupedNumber(qint64 value)
{
    if (value == 0) {
        return QString();
    }
    // The format asks for grouping even where the locale's number options
    // leave it out (the C locale does).
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale.toString(value);
}

QString plainNumber(double value)
{
    if (!std::isfinite(value)) {
        return QString();
    }
    // Fifteen significant digits, as many as a double holds exactly, written
    // out without exponent, grouping or trailing zeros: 0.1 + 0.2 gives "0.3".
    constexpr int significantDigits = 15;
    const int integerDigits =
        value == 0.0 ? 1 : static_cast<int>(std::floor(std::log10(std::abs(value)))) + 1;
    const int decimals = std::clamp(significantDigits - integerDigits, 0, 30);
    QString text = QString::number(value, 'f', decimals);
    if (text.contains(u'.')) {
        while (text.endsWith(u'0')) {
            text.chop(1);
        }
        if (text.endsWith(u'.')) {
            text.chop(1);
        }
    }
    if (text == u"-0"_s) {
        text = u"0"_s;
    }
    const QLocale locale;
    text.replace(u'.', locale.decimalPoint());
    if (text.startsWith(u'-')) {
        text.replace(0, 1, locale.negativeSign());
    }
    return text;
}

QString shortDateOrder()
{
    return internal::dateFieldOrder();
}

QChar shortDateSeparator()
{
    // The first of the usual separators that the short date uses; the slash
    // when it uses none of them.
    QString literals;
    for (const FormatPiece& piece : splitFormat(internal::shortDateFormat())) {
        if (piece.field.isNull()) {
            literals += piece.text;
        }
    }
    for (QChar candidate : {u'/', u'.', u' ', u'-'}) {
        if (literals.contains(candidate)) {
            return candidate;
        }
    }
    return u'/';
}

} // namespace LocaleFormats
