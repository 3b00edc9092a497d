// Reading numbers and currency amounts as the user types them in their locale.

#include "common/locale_formats.h"

#include "common/locale_internals.h"

#include <QLocale>
#include <QStringList>
#include <cmath>

using namespace Qt::StringLiterals;

namespace LocaleFormats {

namespace {

// The locale's number symbols, folded like the text they are compared with.
struct NumberSymbols
{
    QString decimal;
    QString group;
    QString localeGroup; // as the locale writes it, before folding
    QString minus;
    QString plus;
    int primaryGroup = 3; // digits in the group just before the decimal separator
    int otherGroups = 3;  // digits in each group before that (2 in India)
};

NumberSymbols numberSymbols()
{
    const QLocale locale;
    NumberSymbols symbols;
    symbols.decimal = internal::foldLookAlikes(locale.decimalPoint());
    symbols.localeGroup = locale.groupSeparator();
    symbols.group = internal::foldLookAlikes(symbols.localeGroup);
    symbols.minus = internal::foldLookAlikes(locale.negativeSign());
    symbols.plus = internal::foldLookAlikes(locale.positiveSign());
    if (symbols.group.isEmpty()) {
        return symbols;
    }
    // Learn the group sizes from how the locale writes a long number, its
    // digits counted one each even where they take two 16-bit units.
    QLocale grouping = locale;
    grouping.setNumberOptions(QLocale::DefaultNumberOptions);
    const QStringList groups =
        internal::asciiDigits(internal::foldLookAlikes(grouping.toString(qint64(1234567890))))
            .split(symbols.group, Qt::SkipEmptyParts);
    if (groups.size() >= 2) {
        symbols.primaryGroup = int(groups.last().size());
    }
    if (groups.size() >= 3) {
        symbols.otherGroups = int(groups.at(groups.size() - 2).size());
    } else {
        symbols.otherGroups = symbols.primaryGroup;
    }
    return symbols;
}

bool allAsciiDigits(QStringView text)
{
    for (QChar c : text) {
        if (c < u'0' || c > u'9') {
            return false;
        }
    }
    return true;
}

// Group separators are accepted only where the locale puts them, so that
// "1,5" in a locale that writes 1.5 as "1.5" is refused instead of being
// read as fifteen.
bool wellGrouped(const QString& integerPart, const NumberSymbols& symbols)
{
    if (symbols.group.isEmpty() || !integerPart.contains(symbols.group)) {
        return allAsciiDigits(integerPart);
    }
    const QStringList groups = integerPart.split(symbols.group);
    bool regular = true;
    for (qsizetype i = 0; i < groups.size(); ++i) {
        const QString& group = groups.at(i);
        if (group.isEmpty() || !allAsciiDigits(group)) {
            return false;
        }
        const bool last = i == groups.size() - 1;
        const qsizetype expected = last ? symbols.primaryGroup : symbols.otherGroups;
        if (i == 0 ? group.size() > expected : group.size() != expected) {
            regular = false;
        }
    }
    // Qt writes some grouping of its own that the rule above does not know
    // (Polish "1234 567" in Qt 6.4); what Qt writes, the program must read.
    bool readByQt = false;
    if (!regular) {
        QLocale().toDouble(QString(integerPart).replace(symbols.group, symbols.localeGroup), &readByQt);
    }
    return regular || readByQt;
}

// Digits with optional grouping and an optional decimal part; no sign, no
// blanks, no exponent.
std::optional<double> parseMagnitude(const QString& text, const NumberSymbols& symbols)
{
    const QString folded = internal::asciiDigits(text);
    const QStringList parts = folded.split(symbols.decimal);
    if (parts.size() > 2) {
        return std::nullopt;
    }
    const QString& integerPart = parts.at(0);
    const QString fraction = parts.size() == 2 ? parts.at(1) : QString();
    if (!allAsciiDigits(fraction) || !wellGrouped(integerPart, symbols)) {
        return std::nullopt;
    }
    QString digits = integerPart;
    if (!symbols.group.isEmpty()) {
        digits.remove(symbols.group);
    }
    if (digits.isEmpty() && fraction.isEmpty()) {
        return std::nullopt;
    }
    // The padding zeros let "5." and ".5" through the C parser unchanged.
    bool ok = false;
    const double value = QString(u'0' + digits + u'.' + fraction + u'0').toDouble(&ok);
    return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

bool takePrefix(QString& text, const QString& prefix)
{
    if (prefix.isEmpty() || !text.startsWith(prefix)) {
        return false;
    }
    text = text.mid(prefix.size()).trimmed();
    return true;
}

bool takeSuffix(QString& text, const QString& suffix)
{
    if (suffix.isEmpty() || !text.endsWith(suffix)) {
        return false;
    }
    text = text.left(text.size() - suffix.size()).trimmed();
    return true;
}

// Takes a leading sign off the text; true when it was a minus. A sign must be
// followed directly by the number or the currency symbol, unless blankAllowed
// (for a locale that itself writes a blank there).
bool takeSign(QString& text, const NumberSymbols& symbols, bool& negative, bool blankAllowed = false)
{
    const auto take = [&text, blankAllowed](const QString& sign) {
        if (sign.isEmpty() || !text.startsWith(sign) || text.size() == sign.size() ||
            (!blankAllowed && text.at(sign.size()) == u' ')) {
            return false;
        }
        text = text.mid(sign.size());
        if (blankAllowed) {
            text = text.trimmed();
        }
        return true;
    };
    for (const QString& minus : {symbols.minus, u"-"_s}) {
        if (take(minus)) {
            negative = true;
            return true;
        }
    }
    return take(symbols.plus) || take(u"+"_s);
}

} // namespace

std::optional<double> toNumber(const QString& text)
{
    const NumberSymbols symbols = numberSymbols();
    QString rest = internal::foldLookAlikes(text).trimmed();
    bool negative = false;
    takeSign(rest, symbols, negative);
    const std::optional<double> magnitude = parseMagnitude(rest, symbols);
    if (!magnitude) {
        return std::nullopt;
    }
    return negative ? -*magnitude : *magnitude;
}

bool isNumeric(const QString& text)
{
    return toNumber(text).has_value();
}

std::optional<double> toCurrency(const QString& text)
{
    const NumberSymbols symbols = numberSymbols();
    const QLocale locale;
    const QString symbol = internal::foldLookAlikes(locale.currencySymbol(QLocale::CurrencySymbol));
    const QString isoCode = locale.currencySymbol(QLocale::CurrencyIsoCode);

    // Kenyan Luyia writes "Ksh- 12.25".
    const QString negativeAmount = internal::foldLookAlikes(locale.toCurrencyString(-1.0));
    const bool blankAfterSign = !symbols.minus.isEmpty() && negativeAmount.contains(symbols.minus + u' ');

    QString rest = internal::foldLookAlikes(text).trimmed();
    bool negative = false;
    bool hasSign = false;
    // Accounting style: "($12.50)".
    if (rest.size() >= 2 && rest.startsWith(u'(') && rest.endsWith(u')')) {
        rest = rest.mid(1, rest.size() - 2).trimmed();
        negative = true;
        hasSign = true;
    }
    if (!hasSign) {
        hasSign = takeSign(rest, symbols, negative, blankAfterSign);
    }
    const bool leadingSymbol = takePrefix(rest, symbol) || takePrefix(rest, isoCode);
    if (!hasSign) {
        hasSign = takeSign(rest, symbols, negative, blankAfterSign);
    }
    if (!leadingSymbol && !takeSuffix(rest, symbol)) {
        takeSuffix(rest, isoCode);
    }
    const std::optional<double> magnitude = parseMagnitude(rest, symbols);
    if (!magnitude) {
        return std::nullopt;
    }
    const double amount = std::round(*magnitude * 10000.0) / 10000.0;
    if (amount > LargestCurrency) {
        return std::nullopt;
    }
    return negative && amount != 0.0 ? -amount : amount;
}

} // namespace LocaleFormats
