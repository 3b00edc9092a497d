#pragma once

#include <QByteArray>
#include <QString>
#include <array>

// The columns of the book list, left to right. Each shows one value of a book
// (a lookup's name rather than its key) and sorts by it.
enum class BookListColumn {
    Title,
    Author,
    Category,
    Format,
    Series,
    Volume,
    Issue,
    Year,
    Publisher,
    Owner,
    Location,
    Read,
    OnLoan,
    LoanedTo,
    BuyDate,
    CoverPrice,
};

inline constexpr int BookListColumnCount = int(BookListColumn::CoverPrice) + 1;

// How a column's values are shown: the model formats them as the main window
// shows the field.
enum class ColumnKind { Text, Number, Flag, Date, Currency };

struct BookListColumnInfo
{
    BookListColumn column;
    QString header;
    ColumnKind kind;
    // The value as the row query selects it (qualified where a join could
    // make it ambiguous).
    QByteArray value;
    // What the column sorts by, before the sort title and the key that break
    // ties.
    QByteArray sortTerms;
};

const BookListColumnInfo& bookListColumn(BookListColumn column);

// Books joined to every lookup table a column shows, for the row and order
// queries.
QByteArray bookListJoins();
