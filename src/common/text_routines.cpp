#include "common/text_routines.h"

#include <limits>

// An empty delimiter or search text never "occurs": splitting at it leaves the
// text whole and replacing it changes nothing (a naive scan for the empty text
// would find it at every position and never end).

qint16 CountFields(const QString& text, const QString& delimiter)
{
    if (text.isEmpty()) {
        return 0;
    }
    if (delimiter.isEmpty()) {
        return 1;
    }
    // Occurrences are counted as GetField walks them, each scan resuming after
    // the delimiter just found ("aaa" holds "aa" once, not twice).
    qsizetype fields = 1;
    for (qsizetype at = text.indexOf(delimiter, 0, Qt::CaseSensitive); at >= 0;
         at = text.indexOf(delimiter, at + delimiter.size(), Qt::CaseSensitive)) {
        ++fields;
    }
    // The count is 16 bits wide; a text with more fields than that saturates
    // instead of wrapping round to a negative count.
    constexpr qsizetype largest = std::numeric_limits<qint16>::max();
    return static_cast<qint16>(fields > largest ? largest : fields);
}

QString GetField(const QString& text, const QString& delimiter, int n)
{
    if (n < 1) {
        return QString();
    }
    if (delimiter.isEmpty()) {
        return n == 1 ? text : QString();
    }
    qsizetype start = 0;
    for (int field = 1; field < n; ++field) {
        const qsizetype next = text.indexOf(delimiter, start, Qt::CaseSensitive);
        if (next < 0) {
            return QString();
        }
        start = next + delimiter.size();
    }
    const qsizetype end = text.indexOf(delimiter, start, Qt::CaseSensitive);
    return end < 0 ? text.mid(start) : text.mid(start, end - start);
}

QString ReplaceText(const QString& text, const QString& search, const QString& replacement)
{
    if (search.isEmpty()) {
        return text;
    }
    QString result;
    qsizetype start = 0;
    for (;;) {
        const qsizetype found = text.indexOf(search, start, Qt::CaseSensitive);
        if (found < 0) {
            break;
        }
        result += QStringView(text).mid(start, found - start);
        result += replacement;
        start = found + search.size();
    }
    if (start == 0) {
        return text;
    }
    result += QStringView(text).mid(start);
    return result;
}
