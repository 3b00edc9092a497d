#include "import/cell_values.h"

#include "common/locale_formats.h"

#include <QRegularExpression>
#include <cmath>

using namespace Qt::StringLiterals;

QString unwrapFormulaText(const QString& cell)
{
    if (cell.size() >= 3 && cell.startsWith(u"=\""_s) && cell.endsWith(u'"'))
        return cell.mid(2, cell.size() - 3);
    return cell;
}

QString decodeHtmlEntities(const QString& text)
{
    if (!text.contains(u'&'))
        return text;
    static const QRegularExpression entity(u"&(#[0-9]{1,7}|#[xX][0-9a-fA-F]{1,6}|[a-zA-Z]{2,6});"_s);
    QString result;
    qsizetype last = 0;
    for (auto it = entity.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const QString name = match.captured(1);
        char32_t code = 0;
        if (name.startsWith(u"#x"_s, Qt::CaseInsensitive))
            code = name.mid(2).toUInt(nullptr, 16);
        else if (name.startsWith(u'#'))
            code = name.mid(1).toUInt();
        else if (name == u"amp"_s)
            code = u'&';
        else if (name == u"lt"_s)
            code = u'<';
        else if (name == u"gt"_s)
            code = u'>';
        else if (name == u"quot"_s)
            code = u'"';
        else if (name == u"apos"_s)
            code = u'\'';
        else if (name == u"nbsp"_s)
            code = 0xA0;
        if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000))
            continue;
        result += QStringView(text).mid(last, match.capturedStart() - last);
        result += QString::fromUcs4(&code, 1);
        last = match.capturedEnd();
    }
    result += QStringView(text).mid(last);
    return result;
}

std::optional<QDate> readDate(const QString& text)
{
    const QString trimmed = text.trimmed();
    static const QRegularExpression yearFirst(u"^(\\d{4})[-/.](\\d{1,2})[-/.](\\d{1,2})(?:[ T].*)?$"_s);
    if (const auto match = yearFirst.match(trimmed); match.hasMatch()) {
        const QDate date(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
        return date.isValid() ? std::optional(date) : std::nullopt;
    }
    if (!LocaleFormats::isDate(trimmed))
        return std::nullopt;
    std::optional<QDate> date = LocaleFormats::toDate(trimmed);
    if (!date || !date->isValid())
        return std::nullopt;
    static const QRegularExpression fourDigits(u"\\d{3,}"_s);
    if (!trimmed.contains(fourDigits) && date->year() >= 1900 && date->year() <= 1929)
        date = date->addYears(100);
    return date;
}

std::optional<double> readPrice(const QString& text)
{
    QString amount = text.trimmed();
    while (!amount.isEmpty() && amount.front().category() == QChar::Symbol_Currency)
        amount = amount.mid(1).trimmed();
    while (!amount.isEmpty() && amount.back().category() == QChar::Symbol_Currency) {
        amount.chop(1);
        amount = amount.trimmed();
    }
    std::optional<double> value;
    static const QRegularExpression plain(u"^\\d+(\\.\\d+)?$"_s);
    if (plain.match(amount).hasMatch())
        value = amount.toDouble();
    else if (!amount.isEmpty())
        value = LocaleFormats::toCurrency(amount);
    if (!value || *value < 0 || *value > LocaleFormats::LargestCurrency)
        return std::nullopt;
    return std::round(*value * 10000.0) / 10000.0;
}

std::optional<qint32> readWholeNumber(const QString& text)
{
    bool ok = false;
    const qint32 value = text.trimmed().toInt(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

std::optional<qint16> readYear(const QString& text)
{
    bool ok = false;
    const QString trimmed = text.trimmed();
    if (const qint16 value = trimmed.toShort(&ok); ok)
        return value;
    static const QRegularExpression yearAmongOthers(u"^\\D*(\\d{4})\\D*$"_s);
    if (const auto match = yearAmongOthers.match(trimmed); match.hasMatch())
        return qint16(match.captured(1).toInt());
    return std::nullopt;
}

std::optional<bool> readFlag(const QString& text)
{
    const QString word = text.trimmed().toLower();
    static const QStringList yes{u"yes"_s, u"y"_s, u"true"_s, u"1"_s, u"-1"_s, u"x"_s, u"on"_s};
    static const QStringList no{u"no"_s, u"n"_s, u"false"_s, u"0"_s, u"off"_s};
    if (yes.contains(word))
        return true;
    if (no.contains(word))
        return false;
    return std::nullopt;
}
