#include "import/column_mapping.h"

using namespace Qt::StringLiterals;

// The library export of the reading service: recognised by the columns only
// it has, its book's fields taken from the columns a collector would expect.
std::optional<ColumnMapping> recogniseGoodreads(const QStringList& header)
{
    const auto at = [&header](const QString& name) { return columnNamed(header, name); };
    if (at(u"Book Id"_s) < 0 || at(u"Author l-f"_s) < 0 || at(u"Exclusive Shelf"_s) < 0 || at(u"Title"_s) < 0)
        return std::nullopt;
    ColumnMapping mapping =
        mappingByName(TableFormat::Goodreads, header,
                      {{BookField::Title, {u"Title"_s}},
                       {BookField::Author, {u"Author l-f"_s}},
                       {BookField::Isbn, {u"ISBN13"_s, u"ISBN"_s}},
                       {BookField::Publisher, {u"Publisher"_s}},
                       {BookField::Format, {u"Binding"_s}},
                       {BookField::Year, {u"Year Published"_s, u"Original Publication Year"_s}},
                       {BookField::ReadDate, {u"Date Read"_s}},
                       {BookField::BuyDate, {u"Original Purchase Date"_s}},
                       {BookField::Notes, {u"Private Notes"_s, u"My Review"_s}}});
    mapping.readShelfColumn = at(u"Exclusive Shelf"_s);
    return mapping;
}
