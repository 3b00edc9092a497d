#pragma once

#include "custom_reports/report_query.h"
#include "reports/date_pattern.h"
#include "reports/report_lines.h"
#include "reports/text_report_file.h"

#include <QHash>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class Database;
class ForwardRecordset;

// The lines of a custom report, read from its query: one cell per shown
// column, by the field's kind. An empty date, time or amount gives an empty
// cell. When a shown column keeps a total, a closing line holds the totals.
class CustomReportLines final : public ReportLines
{
public:
    CustomReportLines(Database& db, const ReportQuery& query);
    ~CustomReportLines() override;

    // True when the query found no row.
    bool isEmpty() const;

    bool next(QStringList& cells) override;
    void addClosingRows(ReportDocument& document) override;
    QList<QStringList> closingTextLines() override;

    // The closing line's cells (empty where no total is kept); an empty list
    // when no shown column keeps one.
    QStringList totals() const;
    // Per shown column: whether it holds numbers (right-aligned).
    const QList<bool>& numberColumns() const { return m_numberColumns; }

private:
    struct Column
    {
        int index = 0; // in the query
        qint16 datatype = 1;
        bool currency = false;
        bool total = false;
    };

    QString cell(Column& column, std::size_t shown);
    QString amount(double value) const;
    QString plain(double value) const;
    QString moment(const Column& column);

    ReportQuery m_query;
    std::unique_ptr<ForwardRecordset> m_rows;
    std::vector<Column> m_columns; // the shown ones
    std::vector<double> m_totals;  // per shown column
    QList<bool> m_numberColumns;
    bool m_anyTotal = false;
    // Most amounts, numbers, days and times recur: each is formatted once
    // per run.
    mutable QHash<double, QString> m_amounts;
    mutable QHash<double, QString> m_numbers;
    QHash<QString, QString> m_days;  // by stored text
    QHash<QString, QString> m_times; // by stored text
    // The locale, its date pattern read once per report and its time pattern.
    QLocale m_locale;
    DatePattern m_datePattern;
    QString m_timePattern;
};

// A custom report as an HTML page holding one table: a title row across the
// columns, a heading row, one row per line, the totals and a footer line
// naming the program. Every text is escaped, and the page says it is UTF-8.
// Written like a text report file: the page replaces the chosen file only at
// commit().
class HtmlReportFile
{
public:
    explicit HtmlReportFile(const QString& path) : m_file(path) {}

    void writeStart(const QString& title, const QStringList& headings);
    void writeRow(const QStringList& cells, const QList<bool>& numberColumns);
    void writeTotals(const QStringList& cells);
    void writeEnd();
    void commit() { m_file.commit(); }

private:
    void line(const QString& text) { m_file.writeLine({text}); }

    TextReportFile m_file;
};
