#pragma once

// Test data for converting catalogues of the earlier program.

#include "import/fake_jet_source.h"

#include <QDateTime>

namespace FakeCatalogue {

using namespace Qt::StringLiterals;

inline QVariant utc(int year, int month, int day)
{
    return QDateTime(QDate(year, month, day), QTime(0, 0), Qt::UTC);
}

inline QVariant text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

using Row = std::vector<QVariant>;

// A catalogue file of the earlier program as the reader hands it over: keys
// with gaps, a book without author (-1), a date before 1899, four-decimal
// prices, a note with a line break, accented names, a column and a table the
// user added. `omit` leaves out tables ("Authors") or columns ("Books.Title").
inline FakeJetSource catalogueSource(bool currentLayout, const QStringList& omit = {})
{
    struct Spec
    {
        QString name;
        QStringList columns;
        std::vector<Row> rows;
    };
    QStringList bookColumns{
        u"BookID:Counter"_s,      u"Title:Text"_s,        u"SortTitle:Text"_s,   u"AuthID:Long"_s,
        u"PubID:Long"_s,          u"CatID:Long"_s,        u"OwnerID:Long"_s,     u"LocID:Long"_s,
        u"Year:Integer"_s,        u"ISBN:Text"_s,         u"Fiction:YesNo"_s,    u"New:YesNo"_s,
        u"Paperback:YesNo"_s,     u"Read:YesNo"_s,        u"BuyDate:DateTime"_s, u"ReadDate:DateTime"_s,
        u"CoverPrice:Currency"_s, u"BuyPrice:Currency"_s, u"Notes:Memo"_s,       u"OnLoan:YesNo"_s,
        u"LoanedTo:Text"_s,       u"LoanDate:DateTime"_s, u"Signed:YesNo"_s};
    // clang-format off
    std::vector<Row> books{
        {7LL, text("Nana"), text("NANA"), 4LL, 2LL, 5LL, 1LL, 3LL, 1880LL, text("2-07-036"), true, false,
         true, true, utc(1850, 3, 1), QVariant(), 12.3456, 0.5, text("first line\r\nsecond line"), false,
         text(""), QVariant(), true},
        {12LL, text("The Hobbit"), text("HOBBIT"), 9LL, -1LL, -1LL, -1LL, -1LL, QVariant(), text(""), true,
         true, false, false, QVariant(), utc(2001, 2, 28), QVariant(), 7.0, text(""), true, text("Ann"),
         utc(2024, 6, 1), false},
    };
    // clang-format on
    std::vector<Spec> specs{
        {u"Authors"_s,
         {u"AuthID:Counter"_s, u"LastName:Text"_s, u"FirstName:Text"_s},
         {{4LL, text("Zola"), text("Émile")}, {9LL, text("Tolkien"), text("J. R. R.")}}},
        {u"Publishers"_s, {u"PubID:Counter"_s, u"PubName:Text"_s}, {{2LL, text("Charpentier")}}},
        {u"Categories"_s, {u"CatID:Counter"_s, u"CatName:Text"_s}, {{5LL, text("Roman")}}},
        {u"Owners"_s, {u"OwnID:Counter"_s, u"OwnName:Text"_s}, {{1LL, text("Me")}}},
        {u"Locations"_s, {u"LocID:Counter"_s, u"LocName:Text"_s}, {{3LL, text("Grenier")}}},
        {u"Wishlist"_s,
         {u"WishID:Counter"_s, u"Wish:Text"_s, u"Price:Currency"_s},
         {{1LL, text("Ulysses"), 9.99}}},
    };
    if (currentLayout) {
        bookColumns << u"ForID:Long"_s << u"SerID:Long"_s << u"Vol:Long"_s << u"Issue:Long"_s;
        books[0].insert(books[0].end(), {QVariant(6LL), QVariant(2LL), QVariant(3LL), QVariant()});
        books[1].insert(books[1].end(), {QVariant(-1LL), QVariant(-1LL), QVariant(), QVariant()});
        specs.push_back({u"Formats"_s,
                         {u"ForID:Counter"_s, u"ForDesc:Text"_s},
                         {{1LL, text("Paperback")}, {6LL, text("Vinyl")}}});
        specs.push_back(
            {u"Series"_s, {u"SerID:Counter"_s, u"SerDesc:Text"_s}, {{2LL, text("Rougon-Macquart")}}});
    }
    specs.insert(specs.begin(), {u"Books"_s, bookColumns, books});

    FakeJetSource source;
    for (Spec& spec : specs) {
        if (omit.contains(spec.name))
            continue;
        for (qsizetype c = spec.columns.size() - 1; c >= 0; --c) {
            if (omit.contains(spec.name + u'.' + spec.columns[c].section(u':', 0, 0))) {
                spec.columns.removeAt(c);
                for (Row& row : spec.rows)
                    row.erase(row.begin() + c);
            }
        }
        source.addTable(spec.name, spec.columns);
        for (Row& row : spec.rows)
            source.addRow(spec.name, row);
    }
    return source;
}

} // namespace FakeCatalogue
