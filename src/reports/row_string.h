#pragma once

#include "reports/column_format.h"

#include <QList>
#include <QString>
#include <QStringList>

// The text form in which a table row is handed to a document as one string:
// a column format followed by one or more rows, each part ended by ";", the
// cells of a row joined by "|":
//     "6000|4320;" "Category|Book Count;"
// Nothing is escaped, so a "|" or ";" inside a cell splits it. The program's
// own reports therefore hand their data rows over as cell lists
// (ReportDocument::addRow); the text form remains for fixed texts such as
// header rows.
struct RowString
{
    ColumnFormat format;
    QList<QStringList> rows; // each padded or cut to the format's column count

    static RowString parse(const QString& text);
};

// The row string of one row: the format's text, the cells joined by "|", ";".
QString joinRowString(const ColumnFormat& format, const QStringList& cells);

// Cells of a row given as text ("Title|Author"); a trailing ";" is allowed.
QStringList splitRowCells(QStringView row);
