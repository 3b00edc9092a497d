#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// One column of a printed table: its width in twips (1440 to the inch) and
// whether its cells are right-aligned.
struct ColumnSpec
{
    double width = 0;
    bool rightAligned = false;

    friend bool operator==(const ColumnSpec&, const ColumnSpec&) = default;
};

// The columns of a printed table, left to right. As text (a "column format")
// each column is an optional ">" for right alignment and its width in plain
// decimal form, the columns joined by "|": "3000|4000|>1440|>1440".
struct ColumnFormat
{
    QList<ColumnSpec> columns;

    // Reads a column format; a trailing ";" is allowed. A width may use the
    // point or the locale's decimal separator ("561.6", "561,6"); a width that
    // is not a number, or is negative, counts as 0.
    static ColumnFormat parse(QStringView text);
    // The text form, ended by ";" as row strings carry it: "6000|>1440;".
    QString text() const;

    qsizetype size() const { return columns.size(); }
    double totalWidth() const;

    friend bool operator==(const ColumnFormat&, const ColumnFormat&) = default;
};
