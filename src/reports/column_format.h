#pragma once

#include <QList>
#include <QString>
#include <QStringView>
#include <initializer_list>

// One column of a printed table: its width in twips (1440 to the inch),
// whether its cells are right-aligned, and whether they hold values (amounts,
// numbers, dates) that are never broken across lines: such a cell too wide
// for its column is drawn smaller instead.
struct ColumnSpec
{
    double width = 0;
    bool rightAligned = false;
    bool keepWhole = false;

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
    // Whether a column keeps its cells whole has no text form.
    QString text() const;
    // The same columns, those at these positions (from 0) keeping their
    // cells whole.
    ColumnFormat withWholeCells(std::initializer_list<qsizetype> positions) const;

    qsizetype size() const { return columns.size(); }
    double totalWidth() const;

    friend bool operator==(const ColumnFormat&, const ColumnFormat&) = default;
};
