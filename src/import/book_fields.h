#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

// The fields of a book as a table of books holds them: one column each in the
// program's own export, in this order, under these captions.
enum class BookField {
    Title,
    Author,
    Category,
    Series,
    Volume,
    Issue,
    Format,
    Fiction,
    Publisher,
    Year,
    Isbn,
    CoverPrice,
    BuyPrice,
    BuyDate,
    New,
    Paperback,
    Owner,
    Location,
    Read,
    ReadDate,
    OnLoan,
    LoanDate,
    LoanedTo,
    Notes,
};
inline constexpr int BookFieldCount = int(BookField::Notes) + 1;

// What a field's text is read as.
enum class FieldKind { Text, Lookup, WholeNumber, Year, Price, Date, Flag };

struct BookFieldInfo
{
    BookField field;
    QString caption; // the window's caption, the export's header
    QString column;  // the Books column (a lookup field: the column of its key)
    FieldKind kind;
    QStringList aliases; // other names a header may give it (compared folded)
};

const std::array<BookFieldInfo, BookFieldCount>& bookFields();
const BookFieldInfo& bookField(BookField field);

// A header cell reduced to what names it: lower case, letters and digits only
// ("Date Read" and "date_read" both give "dateread").
QString foldedHeader(const QString& header);

// The field a header names by its caption, column name or a usual word.
std::optional<BookField> fieldForHeader(const QString& header);
