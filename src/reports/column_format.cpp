#include "reports/column_format.h"

#include "common/locale_formats.h"

#include <QLocale>

using namespace Qt::StringLiterals;

namespace {

double parseWidth(QStringView text)
{
    QString number = text.trimmed().toString();
    const QString decimalPoint = QLocale().decimalPoint();
    if (decimalPoint != u"."_s)
        number.replace(decimalPoint, u"."_s);
    bool ok = false;
    const double width = QLocale::c().toDouble(number, &ok);
    return ok && width > 0 ? width : 0;
}

} // namespace

ColumnFormat ColumnFormat::parse(QStringView text)
{
    if (text.endsWith(u';'))
        text.chop(1);
    ColumnFormat format;
    if (text.isEmpty())
        return format;
    for (QStringView spec : text.split(u'|')) {
        spec = spec.trimmed();
        ColumnSpec column;
        if (spec.startsWith(u'>')) {
            column.rightAligned = true;
            spec = spec.mid(1);
        }
        column.width = parseWidth(spec);
        format.columns.append(column);
    }
    return format;
}

QString ColumnFormat::text() const
{
    QString result;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        if (i > 0)
            result += u'|';
        if (columns[i].rightAligned)
            result += u'>';
        result += LocaleFormats::plainNumber(columns[i].width);
    }
    return result + u';';
}

ColumnFormat ColumnFormat::withWholeCells(std::initializer_list<qsizetype> positions) const
{
    ColumnFormat format = *this;
    for (const qsizetype position : positions) {
        if (position >= 0 && position < format.size())
            format.columns[position].keepWhole = true;
    }
    return format;
}

double ColumnFormat::totalWidth() const
{
    double total = 0;
    for (const ColumnSpec& column : columns)
        total += column.width;
    return total;
}
