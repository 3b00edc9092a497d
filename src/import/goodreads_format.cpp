#include "import/column_mapping.h"

using namespace Qt::StringLiterals;

// The library export of the reading service: recognised by the columns only
// it has, its book's fields taken from the columns a collector would expect.
std::optional<ColumnMapping> recogniseGoodreads(const QStringList& header)
{
    const auto at = [&header](const QString& name) { return columnNamed(header, name); };
    if (at(u"Book Id"_s) < 0 || at(u"Author l-f"_s) < 0 || at(u"Exclusive Shelf"_s) < 0 || at(u"Title"_s) < 0)
        return std::nullopt;
    ColumnMapping mapping;
    mapping.format = TableFormat::Goodreads;
    mapping.headers = header;
    const auto map = [&](BookField field, std::initializer_list<QString> names) {
        for (const QString& name : names) {
            if (const int column = at(name); column >= 0)
                mapping[field].append(column);
        }
    };
    map(BookField::Title, {u"Title"_s});
    map(BookField::Author, {u"Author l-f"_s});
    map(BookField::Isbn, {u"ISBN13"_s, u"ISBN"_s});
    map(BookField::Publisher, {u"Publisher"_s});
    map(BookField::Format, {u"Binding"_s});
    map(BookField::Year, {u"Year Published"_s, u"Original Publication Year"_s});
    map(BookField::ReadDate, {u"Date Read"_s});
    map(BookField::BuyDate, {u"Original Purchase Date"_s});
    map(BookField::Notes, {u"Private Notes"_s, u"My Review"_s});
    mapping.readShelfColumn = at(u"Exclusive Shelf"_s);
    return mapping;
}
