#pragma once

#include "import/book_fields.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <initializer_list>
#include <optional>

// The kinds of table a file of books is recognised as, by its first row.
enum class TableFormat { Goodreads, LibraryThing, OwnExport, HeaderRow, NoHeader };

// "Goodreads library export", ..., as the preview names it.
QString tableFormatName(TableFormat format);

// Which columns of the table fill which field of a book.
struct ColumnMapping
{
    TableFormat format = TableFormat::NoHeader;
    QStringList headers; // the header row; empty without one
    // The columns of each field: the first one that is not empty gives the
    // value; the notes are made of every one, a paragraph each.
    std::array<QList<int>, BookFieldCount> columns;
    // A reading service's shelf column: "read" marks the book read.
    int readShelfColumn = -1;

    QList<int>& operator[](BookField field) { return columns[size_t(field)]; }
    const QList<int>& operator[](BookField field) const { return columns[size_t(field)]; }
    bool hasHeader() const { return format != TableFormat::NoHeader; }
};

// The mapping for a table whose first row is firstRow: one of the known
// exports, else a header row whose names match fields, else a table without
// a header, mapped by position in the order of the program's own export.
ColumnMapping recogniseTable(const QStringList& firstRow);

// The recognisers, each nothing when the row is not its header.
std::optional<ColumnMapping> recogniseGoodreads(const QStringList& header);
std::optional<ColumnMapping> recogniseLibraryThing(const QStringList& header);
std::optional<ColumnMapping> recogniseOwnExport(const QStringList& header);
// Any header row naming at least the title: every column is matched by name.
std::optional<ColumnMapping> recogniseHeaderRow(const QStringList& header);

// The column whose header is name (compared folded), or -1.
int columnNamed(const QStringList& header, const QString& name);

// A known export's mapping: each field takes those of its columns' names the
// header has, in the order given.
struct NamedColumns
{
    BookField field;
    std::initializer_list<QString> names;
};
ColumnMapping mappingByName(TableFormat format, const QStringList& header,
                            std::initializer_list<NamedColumns> fields);
