#include "booklist/book_list_columns.h"

using namespace Qt::StringLiterals;

QByteArray bookListJoins()
{
    return "Books LEFT JOIN Authors ON Authors.AuthID = Books.AuthID"
           " LEFT JOIN Categories ON Categories.CatID = Books.CatID"
           " LEFT JOIN Formats ON Formats.ForID = Books.ForID"
           " LEFT JOIN Series ON Series.SerID = Books.SerID"
           " LEFT JOIN Publishers ON Publishers.PubID = Books.PubID"
           " LEFT JOIN Owners ON Owners.OwnID = Books.OwnerID"
           " LEFT JOIN Locations ON Locations.LocID = Books.LocID";
}

namespace {

// The author is one column: its value is "Last, First" put together by the
// reader, which selects both names (see book_list_reader.cpp).
const std::array<BookListColumnInfo, BookListColumnCount> Columns{{
    {BookListColumn::Title, u"Title"_s, ColumnKind::Text, "Books.Title", "Books.SortTitle"},
    {BookListColumn::Author, u"Author"_s, ColumnKind::Text, "Authors.LastName, Authors.FirstName",
     "Authors.LastName, Authors.FirstName"},
    {BookListColumn::Category, u"Category"_s, ColumnKind::Text, "Categories.CatName", "Categories.CatName"},
    {BookListColumn::Format, u"Format"_s, ColumnKind::Text, "Formats.ForDesc", "Formats.ForDesc"},
    {BookListColumn::Series, u"Series"_s, ColumnKind::Text, "Series.SerDesc",
     "Series.SerDesc, Books.Vol, Books.Issue"},
    {BookListColumn::Volume, u"Vol."_s, ColumnKind::Number, "Books.Vol", "Books.Vol"},
    {BookListColumn::Issue, u"Issue"_s, ColumnKind::Number, "Books.Issue", "Books.Issue"},
    {BookListColumn::Year, u"Year"_s, ColumnKind::Number, "Books.Year", "Books.Year"},
    {BookListColumn::Publisher, u"Publisher"_s, ColumnKind::Text, "Publishers.PubName", "Publishers.PubName"},
    {BookListColumn::Owner, u"Owner"_s, ColumnKind::Text, "Owners.OwnName", "Owners.OwnName"},
    {BookListColumn::Location, u"Location"_s, ColumnKind::Text, "Locations.LocName", "Locations.LocName"},
    {BookListColumn::Read, u"Read"_s, ColumnKind::Flag, "Books.Read", "Books.Read"},
    {BookListColumn::OnLoan, u"On Loan"_s, ColumnKind::Flag, "Books.OnLoan", "Books.OnLoan"},
    {BookListColumn::LoanedTo, u"Loaned To"_s, ColumnKind::Text, "Books.LoanedTo", "Books.LoanedTo"},
    {BookListColumn::BuyDate, u"Date Purchased"_s, ColumnKind::Date, "Books.BuyDate", "Books.BuyDate"},
    {BookListColumn::CoverPrice, u"Cover Price"_s, ColumnKind::Currency, "Books.CoverPrice",
     "Books.CoverPrice"},
}};

} // namespace

const BookListColumnInfo& bookListColumn(BookListColumn column)
{
    return Columns[size_t(column)];
}
