#pragma once

#include "import/column_mapping.h"

#include <QVariant>
#include <array>

// A row of a table read as a book: each field's value as it will be stored,
// or Null for an empty field. Texts and lookup fields are QString, whole
// numbers qint32, the year qint16, prices double, dates QDate, flags bool.
struct ImportedBook
{
    std::array<QVariant, BookFieldCount> values;
    bool wrongIsbnCheckDigit = false;

    QVariant& operator[](BookField field) { return values[size_t(field)]; }
    const QVariant& operator[](BookField field) const { return values[size_t(field)]; }
    QString text(BookField field) const { return values[size_t(field)].toString(); }
};

struct ConvertedRow
{
    ImportedBook book;
    QString refusal; // why the row cannot be stored; empty when it can
};

// The book a row of cells makes under mapping. Fields the table does not give
// take what a new book in the window starts with (fiction, bought new, a
// paperback, not read), a paperback flag follows the format's name, a book
// with a reading date counts as read and one with a borrower as on loan.
ConvertedRow convertRow(const QStringList& cells, const ColumnMapping& mapping);

// A value as the program's export writes it and the preview shows it:
// dates as yyyy-MM-dd, prices as plain decimals, flags as Yes or No.
QString shownValue(BookField field, const QVariant& value);
