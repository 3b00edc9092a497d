#include "search/search_criterion.h"

#include "common/locale_formats.h"
#include "custom_reports/field_catalogue.h"
#include "custom_reports/field_catalogue_source.h"

#include <QDate>
#include <QLocale>

using namespace Qt::StringLiterals;

namespace SearchCriterion {

namespace {

QString comparison(int code)
{
    switch (code) {
    case Equal:
        return u" = "_s;
    case NotEqual:
        return u" <> "_s;
    case Less:
        return u" < "_s;
    case Greater:
        return u" > "_s;
    case LessOrEqual:
        return u" <= "_s;
    case GreaterOrEqual:
        return u" >= "_s;
    default:
        return {};
    }
}

// The shortest text that reads back as the same double, without grouping and
// with "." as the decimal point whatever the user's locale.
QString numberLiteral(double value)
{
    return QLocale::c().toString(value, 'g', QLocale::FloatingPointShortest);
}

} // namespace

FieldKind kindOf(const FieldSpecRow& field)
{
    switch (field.datatype) {
    case 1:
        return field.linkfield.isEmpty() ? FieldKind::Text : FieldKind::Lookup;
    case 2:
        return FieldKind::Number;
    case 3:
        return FieldKind::Date;
    case 4:
        return FieldKind::YesNo;
    default:
        return FieldKind::Unsupported;
    }
}

QString quotedText(const QString& text)
{
    QString doubled = text;
    doubled.replace(u'"', u"\"\""_s);
    return u'"' + doubled + u'"';
}

QString text(const QString& fieldname, int code, const QString& typed)
{
    QString pattern;
    switch (code) {
    case Contains:
        pattern = u'*' + typed + u'*';
        break;
    case BeginsWith:
        pattern = typed + u'*';
        break;
    case EndsWith:
        pattern = u'*' + typed;
        break;
    case Equals:
        pattern = typed;
        break;
    default:
        return {};
    }
    return fieldname + u" like "_s + quotedText(pattern);
}

std::optional<QString> number(const QString& fieldname, int code, const QString& typed)
{
    const std::optional<double> value = LocaleFormats::toNumber(typed);
    if (!value)
        return std::nullopt;
    const QString op = comparison(code);
    return op.isEmpty() ? QString() : fieldname + op + numberLiteral(*value);
}

std::optional<QString> date(const QString& fieldname, int code, const QString& typed)
{
    const std::optional<QDate> value = LocaleFormats::toDate(typed);
    if (!value)
        return std::nullopt;
    const QString op = comparison(code);
    return op.isEmpty() ? QString() : fieldname + op + u'#' + value->toString(u"M/d/yyyy"_s) + u'#';
}

QString yesNo(const QString& fieldname, int code)
{
    // Another tool may have stored -1 for true or left a flag Null; the
    // window shows those as true and false, so the search must agree.
    switch (code) {
    case IsTrue:
        return fieldname + u" <> false"_s;
    case IsFalse:
        return u"("_s + fieldname + u" = false or "_s + fieldname + u" is null)"_s;
    default:
        return {};
    }
}

QString lookup(const QString& linkfield, qint64 key)
{
    return linkColumns(linkfield).booksColumn + u" = "_s + QString::number(key);
}

QString lookupValuesQuery(const FieldSpecRow& field)
{
    return u"select "_s + linkColumns(field.linkfield).lookupColumn + u" as id, "_s + field.fieldname +
           u" as descr from "_s + field.fileName + u" order by "_s + field.fieldname;
}

} // namespace SearchCriterion
