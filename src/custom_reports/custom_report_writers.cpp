#include "custom_reports/custom_report_writers.h"

#include "common/locale_formats.h"
#include "common/program_identity.h"
#include "database/forward_recordset.h"
#include "reports/column_format.h"
#include "reports/report_document.h"

#include <QDateTime>
#include <QLocale>

using namespace Qt::StringLiterals;

namespace {

enum DataType : qint16 { Text = 1, Number = 2, Date = 3, YesNo = 4, Time = 5 };

QString escaped(const QString& text)
{
    return text.toHtmlEscaped();
}

} // namespace

CustomReportLines::CustomReportLines(Database& db, const ReportQuery& query)
    : m_query(query), m_rows(std::make_unique<ForwardRecordset>(db, query.sql, query.parameters)),
      m_datePattern(m_locale, LocaleFormats::shortDatePattern()),
      m_timePattern(LocaleFormats::mediumTimePattern())
{
    for (int index = 0; index < query.columns.size(); ++index) {
        const ReportColumn& column = query.columns[index];
        if (!column.shown())
            continue;
        const bool number = column.field.datatype == Number;
        m_columns.push_back({index, column.field.datatype, column.setting.IsCurrencyFlag,
                             number && column.setting.ShowTotal});
        m_numberColumns.append(number);
        m_anyTotal = m_anyTotal || m_columns.back().total;
    }
    m_totals.assign(m_columns.size(), 0.0);
}

CustomReportLines::~CustomReportLines() = default;

bool CustomReportLines::isEmpty() const
{
    return m_rows->eof();
}

bool CustomReportLines::next(QStringList& cells)
{
    if (m_rows->eof())
        return false;
    cells.resize(qsizetype(m_columns.size()));
    for (std::size_t i = 0; i < m_columns.size(); ++i)
        cells[qsizetype(i)] = cell(m_columns[i], i);
    m_rows->moveNext();
    return true;
}

QString CustomReportLines::cell(Column& column, std::size_t shown)
{
    switch (column.datatype) {
    case Text:
        return m_rows->text(column.index);
    case Number: {
        const QVariant value = m_rows->value(column.index);
        if (value.isNull())
            return QString();
        const double number = value.toDouble();
        if (column.total)
            m_totals[shown] += number;
        return column.currency ? amount(number) : plain(number);
    }
    case Date:
    case Time:
        return moment(column);
    case YesNo:
        return m_rows->value(column.index).toBool() ? u"Yes"_s : u"No"_s;
    default:
        return m_rows->value(column.index).toString();
    }
}

// Dates and times are looked up by their stored text: turning the text into
// a shown date costs more than all the rest of a line, and most days recur.
QString CustomReportLines::moment(const Column& column)
{
    const QString stored = m_rows->text(column.index);
    if (stored.isEmpty())
        return QString();
    QHash<QString, QString>& known = column.datatype == Date ? m_days : m_times;
    auto found = known.constFind(stored);
    if (found == known.constEnd()) {
        const QDateTime value = m_rows->value(column.index).toDateTime();
        QString shown;
        if (column.datatype == Date)
            shown = m_datePattern.format(value.date());
        else if (column.datatype != Date && value.time().isValid())
            shown = m_locale.toString(value.time(), m_timePattern);
        found = known.insert(stored, shown);
    }
    return *found;
}

QString CustomReportLines::amount(double value) const
{
    auto found = m_amounts.constFind(value);
    if (found == m_amounts.constEnd())
        found = m_amounts.insert(value, LocaleFormats::currency(value));
    return *found;
}

// A number as the platform writes it plainly, with the locale's decimal mark.
QString CustomReportLines::plain(double value) const
{
    auto found = m_numbers.constFind(value);
    if (found == m_numbers.constEnd()) {
        QString text = LocaleFormats::plainNumber(value);
        const QString point = QLocale().decimalPoint();
        if (point != u"."_s)
            text.replace(u'.', point);
        found = m_numbers.insert(value, text);
    }
    return *found;
}

QStringList CustomReportLines::totals() const
{
    if (!m_anyTotal)
        return {};
    QStringList cells;
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        const Column& column = m_columns[i];
        if (!column.total)
            cells.append(QString());
        else
            cells.append(column.currency ? amount(m_totals[i]) : plain(m_totals[i]));
    }
    return cells;
}

void CustomReportLines::addClosingRows(ReportDocument& document)
{
    if (m_anyTotal)
        document.addRow(m_query.tableColumns(), totals());
}

QList<QStringList> CustomReportLines::closingTextLines()
{
    if (!m_anyTotal)
        return {};
    return {totals()};
}

void HtmlReportFile::writeStart(const QString& title, const QStringList& headings)
{
    line(u"<html>"_s);
    line(u"<head><meta charset=\"utf-8\"><title>"_s + escaped(title) + u"</title></head>"_s);
    line(u"<body>"_s);
    line(u"<table border=1>"_s);
    line(u"<tr><th colspan = %1>"_s.arg(headings.size()) + escaped(title) + u"</th></tr>"_s);
    line(u"<tr>"_s);
    for (const QString& heading : headings)
        line(u"<th>"_s + escaped(heading) + u"</th>"_s);
    line(u"</tr>"_s);
}

void HtmlReportFile::writeRow(const QStringList& cells, const QList<bool>& numberColumns)
{
    QString row = u"<tr>"_s;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        row += numberColumns.value(i) ? u"<td align=right>"_s : u"<td>"_s;
        row += escaped(cells[i]);
        row += u"</td>"_s;
    }
    row += u"</tr>"_s;
    line(row);
}

void HtmlReportFile::writeTotals(const QStringList& cells)
{
    QString row = u"<tr>"_s;
    for (const QString& cell : cells)
        row += cell.isEmpty() ? u"<TD>&nbsp;</TD>"_s : u"<td align=right>"_s + escaped(cell) + u"</td>"_s;
    row += u"</tr>"_s;
    line(row);
}

void HtmlReportFile::writeEnd()
{
    line(u"</table>"_s);
    line(u"<H6>List Produced by <A HREF=\""_s + ProgramWebAddress + u"\">The Quillary Program</A></H6>"_s);
    line(u"</body>"_s);
    line(u"</html>"_s);
}
