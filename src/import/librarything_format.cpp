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
    return mappingByName(TableFormat::LibraryThing, header,
                         {{BookField::Title, {u"Title"_s}},
                          {BookField::Author, {u"Primary Author"_s}},
                          {BookField::Isbn, {u"ISBN"_s, u"ISBNs"_s}},
                          {BookField::Publisher, {u"Publication"_s}},
                          {BookField::Format, {u"Media"_s}},
                          {BookField::Year, {u"Date"_s}},
                          {BookField::BuyDate, {u"Acquired"_s}},
                          {BookField::ReadDate, {u"Date Read"_s}},
                          {BookField::CoverPrice, {u"List Price"_s}},
                          {BookField::BuyPrice, {u"Purchase Price"_s}},
                          {BookField::LoanedTo, {u"Lending Patron"_s}},
                          {BookField::LoanDate, {u"Lending Start"_s}},
                          {BookField::Notes, {u"Private Comment"_s, u"Comment"_s, u"Review"_s}}});
}
