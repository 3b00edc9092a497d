#include "custom_reports/report_query.h"

#include "common/locale_formats.h"
#include "custom_reports/field_catalogue.h"
#include "custom_reports/report_criteria.h"

#include <QLocale>
#include <QStringList>
#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

enum DataType : qint16 { Text = 1, Number = 2, Date = 3, YesNo = 4, Time = 5 };

// A bound as a #...# literal in month/day/year order, whatever the locale.
QString dateLiteral(const QDate& date)
{
    return u"#%1/%2/%3#"_s.arg(date.month()).arg(date.day()).arg(date.year());
}

// A time bound keeps its date unless it has none (a time of day alone).
QString timeLiteral(const QDateTime& bound)
{
    const QString time = bound.time().toString(u"H:mm:ss"_s);
    if (bound.date() == QDate(1899, 12, 30))
        return u"#"_s + time + u"#"_s;
    const QString date =
        u"%1/%2/%3"_s.arg(bound.date().month()).arg(bound.date().day()).arg(bound.date().year());
    return u"#"_s + date + u" "_s + time + u"#"_s;
}

QString numberLiteral(double value)
{
    return QLocale::c().toString(value, 'g', QLocale::FloatingPointShortest);
}

// Builds the clauses while the chosen fields are walked in report order.
class QueryBuilder
{
public:
    explicit QueryBuilder(const ReportDefinition& report) : m_report(report), m_from(report.ProgramKey) {}

    void add(const FieldSpecRow& field, const FieldSetting& setting)
    {
        m_select.append(field.fieldname);
        if (!setting.HideField) {
            m_formats.append((field.datatype == Number ? u">"_s : QString()) +
                             columnWidthSpec(setting.ColWidth, m_report.widthUnit));
            m_headings.append(field.desc);
        }
        addConditions(field, setting);
        join(field);
    }

    void orderBy(const ReportFields& fields)
    {
        const QList<FieldSpecRow> choices = fields.sortChoices();
        for (int position : {m_report.primarySort, m_report.secondarySort}) {
            if (position >= 0 && position < choices.size())
                m_order.append(choices[position].fieldname);
        }
    }

    void finish(ReportQuery& query) const
    {
        query.sql = u"Select "_s + m_select.join(u", "_s) + u" from "_s + m_from;
        if (!m_where.isEmpty())
            query.sql += u" where "_s + m_where.mid(4);
        if (!m_order.isEmpty())
            query.sql += u" order by "_s + m_order.join(u", "_s);
        query.parameters = m_parameters;
        query.tableFormat = m_formats.join(u'|') + u';';
        query.tableHeader = m_headings.join(u'|') + u';';
    }

private:
    void condition(const QString& text) { m_where += u" and "_s + text; }

    void addConditions(const FieldSpecRow& field, const FieldSetting& setting)
    {
        const QString& f = field.fieldname;
        switch (field.datatype) {
        case Text:
            // Bound as a value: an apostrophe in the text is just a letter.
            if (!setting.StartsWith.isEmpty()) {
                condition(f + u" like ?"_s);
                m_parameters.append(QVariant(setting.StartsWith + u'*'));
            }
            break;
        case Number:
            if (!setting.LessThan.isEmpty())
                condition(f + u" < "_s + number(field, setting.LessThan));
            if (!setting.GreaterThan.isEmpty())
                condition(f + u" > "_s + number(field, setting.GreaterThan));
            break;
        case Date:
            if (setting.StartValue.isValid())
                condition(f + u" >= "_s + dateLiteral(setting.StartValue.date()));
            if (setting.EndValue.isValid())
                condition(f + u" <= "_s + dateLiteral(setting.EndValue.date()));
            break;
        case Time:
            if (setting.StartValue.isValid())
                condition(f + u" >= "_s + timeLiteral(setting.StartValue));
            if (setting.EndValue.isValid())
                condition(f + u" <= "_s + timeLiteral(setting.EndValue));
            break;
        case YesNo:
            if (setting.SelTrue)
                condition(f);
            else if (setting.SelFalse)
                m_where += u" and not "_s + f;
            break;
        default:
            break;
        }
    }

    // Only a number goes into the query: a report file may hold any text here.
    static QString number(const FieldSpecRow& field, const QString& text)
    {
        const std::optional<double> value = criterionNumber(text);
        if (!value)
            throw ReportQueryRefusal{field.desc + u": "_s + ReportCriteria::NumberRefusal};
        return numberLiteral(*value);
    }

    // One left join per lookup table, whatever the names of the tables
    // joined before (one may be part of another's name).
    void join(const FieldSpecRow& field)
    {
        const QString& table = field.fileName;
        if (table.isEmpty() || table.compare(m_report.ProgramKey, Qt::CaseInsensitive) == 0)
            return;
        for (const QString& joined : m_joined) {
            if (joined.compare(table, Qt::CaseInsensitive) == 0)
                return;
        }
        m_joined.append(table);
        const LinkColumns link = linkColumns(field.linkfield);
        m_from = u"("_s + m_from + u" left join "_s + table + u" on "_s + m_report.ProgramKey + u'.' +
                 link.booksColumn + u" = "_s + table + u'.' + link.lookupColumn + u')';
    }

    const ReportDefinition& m_report;
    QStringList m_select;
    QString m_from;
    QString m_where;
    QStringList m_order;
    QStringList m_formats;
    QStringList m_headings;
    QStringList m_joined;
    QVariantList m_parameters;
};

} // namespace

qsizetype ReportQuery::shownCount() const
{
    return std::count_if(columns.begin(), columns.end(), [](const ReportColumn& c) { return c.shown(); });
}

bool ReportQuery::anyTotal() const
{
    return std::any_of(columns.begin(), columns.end(),
                       [](const ReportColumn& c) { return c.shown() && c.setting.ShowTotal; });
}

ColumnFormat ReportQuery::tableColumns() const
{
    ColumnFormat format = ColumnFormat::parse(tableFormat);
    qsizetype position = 0;
    for (const ReportColumn& column : columns) {
        if (!column.shown())
            continue;
        if (position < format.size() && column.field.datatype != Text)
            format.columns[position].keepWhole = true;
        ++position;
    }
    return format;
}

ReportQuery buildReportQuery(const ReportDefinition& report, const ReportFields& fields)
{
    ReportQuery query;
    for (qint16 specid : report.chosenFields) {
        const FieldSpecRow* row = fields.find(specid);
        if (row && report.settings.contains(specid))
            query.columns.append(ReportColumn{*row, report.settings[specid]});
    }
    if (query.columns.isEmpty())
        throw ReportQueryRefusal{NoFieldsMessage};
    if (query.shownCount() == 0)
        throw ReportQueryRefusal{AllHiddenMessage};
    QueryBuilder builder(report);
    for (const ReportColumn& column : std::as_const(query.columns))
        builder.add(column.field, column.setting);
    builder.orderBy(fields);
    builder.finish(query);
    return query;
}

QString columnWidthSpec(float width, int widthUnit)
{
    const float unitTwips = widthUnit == 1 ? 561.6F : 1440.0F;
    const float twips = unitTwips * width;
    // Seven significant digits, as many as single precision carries.
    QString text = QString::number(double(twips), 'g', 7);
    if (text.contains(u'e'))
        text = QString::number(double(twips), 'f', 0);
    return text;
}

std::optional<double> criterionNumber(const QString& text)
{
    if (const std::optional<double> value = LocaleFormats::toNumber(text))
        return value;
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}
