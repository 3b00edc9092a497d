#pragma once

#include "custom_reports/field_catalogue_source.h"
#include "custom_reports/report_definition.h"
#include "reports/column_format.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <optional>

struct ReportFields;

// One chosen field as the query returns it: the n-th chosen field is the
// query's column n, shown or not.
struct ReportColumn
{
    FieldSpecRow field;
    FieldSetting setting;
    bool shown() const { return !setting.HideField; }
};

// A custom report turned into its query and the shape of its table.
struct ReportQuery
{
    QString sql;             // in the classic dialect, with "?" for each parameter
    QVariantList parameters; // the starts-with patterns, bound in order
    QString tableFormat;     // TableFormatText: "1440|>2160;"
    QString tableHeader;     // TableHeaderText: "Title|Price;"
    QList<ReportColumn> columns;

    qsizetype shownCount() const;
    bool anyTotal() const; // some shown column ends with its total
    // The table's columns as the printed report lays them out: every column
    // but a text one keeps its values whole.
    ColumnFormat tableColumns() const;
};

// Why a definition cannot be run: the message to show.
struct ReportQueryRefusal
{
    QString message;
};

inline const QString NoFieldsMessage =
    QStringLiteral("You have not selected any fields to include in the report");
inline const QString NoRecordsMessage =
    QStringLiteral("No records have been entered that may be included in the specified report");
inline const QString AllHiddenMessage =
    QStringLiteral("Every field selected for the report is hidden, so the report would have no "
                   "columns. Show at least one of them.");

// The query of a report. Chosen fields unknown to the catalogue are left out.
// Throws ReportQueryRefusal when nothing is chosen, every chosen field is
// hidden, or a below/above bound is not a number (a report file may hold
// anything there).
ReportQuery buildReportQuery(const ReportDefinition& report, const ReportFields& fields);

// A column width in twips (1440 to the inch, 561.6 to the centimetre) as the
// column format writes it, reckoned in single precision: "1440", "561.6".
QString columnWidthSpec(float width, int widthUnit);

// The text of a number criterion as a number: the locale's form or the plain
// one; nothing when it is neither.
std::optional<double> criterionNumber(const QString& text);
