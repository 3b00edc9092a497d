#include "dates/date_format.h"

#include "common/locale_formats.h"
#include "common/text_routines.h"
#include "dates/date_entry_state.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

// The day the locale is asked to write: every part differs from the others.
constexpr int ReferenceYear = 1998;
constexpr int ReferenceMonth = 5;
constexpr int ReferenceDay = 30;

// The number a piece of the short date holds. Digits count in any script, so
// that Arabic, Devanagari or Persian digits read as they are meant; anything
// else in the piece (the direction marks of right-to-left locales, a blank,
// the era "г.") is passed over.
int pieceNumber(const QString& piece)
{
    int number = 0;
    for (const char32_t c : piece.toUcs4()) {
        const int digit = QChar::digitValue(c);
        if (digit >= 0)
            number = number * 10 + digit;
        if (number > ReferenceYear)
            break;
    }
    return number;
}

bool isPermutationOfMdy(const QString& order)
{
    return order.size() == 3 && order.contains(u'm') && order.contains(u'd') && order.contains(u'y');
}

} // namespace

void ChkDateFmt()
{
    DateEntryState& state = dateEntry();
    const QString sample = LocaleFormats::shortDate(QDate(ReferenceYear, ReferenceMonth, ReferenceDay));
    for (const QString& separator : {u"/"_s, u"."_s, u" "_s, u"-"_s}) {
        if (sample.contains(separator)) {
            state.DateSep = separator;
            break;
        }
    }
    QString order;
    for (int n = 1; n <= 3; ++n) {
        const int number = pieceNumber(GetField(sample, state.DateSep, n));
        order += number == ReferenceMonth ? u'm' : number == ReferenceDay ? u'd' : u'y';
    }
    // A short date that does not split into three numbers at its separator
    // (the month written as a name, two different separators) would give an
    // order such as "dyy", and every date the calendar builds would be read
    // back wrongly or not at all; the order the locale declares is used then.
    state.DateOrder = isPermutationOfMdy(order) ? order : LocaleFormats::shortDateOrder().toLower();
}

QString FormatDate(qint16 intMonth, qint16 intDay, qint16 intYear)
{
    const QString month = QString::number(intMonth);
    const QString day = QString::number(intDay);
    const QString year = QString::number(intYear);
    const QString& order = dateEntry().DateOrder;
    QStringList parts;
    if (order == u"dmy"_s)
        parts = {day, month, year};
    else if (order == u"ymd"_s)
        parts = {year, month, day};
    else if (order == u"ydm"_s)
        parts = {year, day, month};
    else
        parts = {month, day, year};
    return parts.join(u' ');
}

std::optional<QDate> dateFromParts(int month, int day, int year)
{
    return LocaleFormats::toDate(
        FormatDate(static_cast<qint16>(month), static_cast<qint16>(day), static_cast<qint16>(year)));
}
