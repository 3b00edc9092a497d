#include "import/column_mapping.h"

using namespace Qt::StringLiterals;

// The export of the cataloguing service, as CSV or TAB-separated text: its
// header names compared without regard to case.
std::optional<ColumnMapping> recogniseLibraryThing(const QStringList& header)
{
    const auto at = [&header](const QString& name) { return columnNamed(header, name); };
    if (at(u"Title"_s) < 0 || at(u"Primary Author"_s) < 0 ||
        (at(u"Book Id"_s) < 0 && at(u"Sort Character"_s) < 0))
        return std::nullopt;
    ColumnMapping mapping;
    mapping.format = TableFormat::LibraryThing;
    mapping.headers = header;
    const auto map = [&](BookField field, std::initializer_list<QString> names) {
        for (const QString& name : names) {
            if (const int column = at(name); column >= 0)
                mapping[field].append(column);
        }
    };
    map(BookField::Title, {u"Title"_s});
    map(BookField::Author, {u"Primary Author"_s});
    map(BookField::Isbn, {u"ISBN"_s, u"ISBNs"_s});
    map(BookField::Publisher, {u"Publication"_s});
    map(BookField::Format, {u"Media"_s});
    map(BookField::Year, {u"Date"_s});
    map(BookField::BuyDate, {u"Acquired"_s});
    map(BookField::ReadDate, {u"Date Read"_s});
    map(BookField::CoverPrice, {u"List Price"_s});
    map(BookField::BuyPrice, {u"Purchase Price"_s});
    map(BookField::LoanedTo, {u"Lending Patron"_s});
    map(BookField::LoanDate, {u"Lending Start"_s});
    map(BookField::Notes, {u"Private Comment"_s, u"Comment"_s, u"Review"_s});
    return mapping;
}
