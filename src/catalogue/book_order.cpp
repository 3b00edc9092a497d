#include "catalogue/book_order.h"

#include "database/database.h"
#include "database/native_sql.h"
#include "database/recordset.h"
#include "database/sqlite_extensions.h"

#include <QHash>
#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace BookOrder {

QString query(int order)
{
    switch (order) {
    case ByAuthor:
        return u"Select forid, serid, vol, issue, BookID, Title, Books.AuthID as AuthID, PubID, Year, "
               "Paperback, New, Read, BuyDate, ReadDate, Fiction, CatID, ISBN, CoverPrice, BuyPrice, Notes, "
               "OwnerID, LocID, SortTitle, LastName, OnLoan, LoanedTo, LoanDate from Books left join Authors "
               "on Books.AuthID = Authors.AuthID order by LastName, FirstName, SortTitle"_s;
    case ByCategory:
        return u"Select forid, serid, vol, issue, BookID, Title, AuthID, PubID, Year, Paperback, New, Read, "
               "BuyDate, ReadDate, Fiction, Books.CatID as CatID, ISBN, CoverPrice, BuyPrice, Notes, "
               "OwnerID, "
               "LocID, SortTitle, CatName, OnLoan, LoanedTo, LoanDate from Books left join Categories on "
               "Books.CatID = Categories.CatID order by CatName, SortTitle"_s;
    default:
        return u"Select * from Books order by SortTitle"_s;
    }
}

namespace {

// One value of a name column as the ordering sees it: Null apart from every
// text, texts equal when the catalogue's collation says so.
using NameValue = std::optional<QByteArray>;

NameValue nameValue(const NativeStatement& statement, int column)
{
    const QVariant value = statement.column(column);
    if (value.isNull())
        return std::nullopt;
    return value.toString().toUtf8();
}

bool sameName(const NameValue& a, const NameValue& b)
{
    if (!a || !b)
        return !a && !b;
    return compareNoCase(a->constData(), int(a->size()), b->constData(), int(b->size())) == 0;
}

// Ranks the lookup rows by their name columns, read in the collation's order:
// rows whose names are equal share a rank, so their books interleave by sort
// title as they would in one sort. Rank 0 is the all-Null name, which is also
// what a book without a matching lookup row gets.
QHash<qint64, int> rankLookupRows(Database& db, const QByteArray& sql, int nameColumns)
{
    QHash<qint64, int> rankByKey;
    NativeStatement rows(db, sql);
    std::vector<NameValue> previous(static_cast<size_t>(nameColumns));
    int rank = 0;
    while (rows.step()) {
        std::vector<NameValue> names;
        names.reserve(size_t(nameColumns));
        for (int c = 0; c < nameColumns; ++c)
            names.push_back(nameValue(rows, c + 1));
        bool same = true;
        for (int c = 0; c < nameColumns && same; ++c)
            same = sameName(names[size_t(c)], previous[size_t(c)]);
        if (!same) {
            ++rank;
            previous = std::move(names);
        }
        rankByKey.insert(rows.columnInt(0), rank);
    }
    return rankByKey;
}

std::vector<qint64> keysByTitle(Database& db)
{
    std::vector<qint64> keys;
    NativeStatement byTitle(db, "SELECT rowid FROM Books ORDER BY SortTitle");
    while (byTitle.step())
        keys.push_back(byTitle.columnInt(0));
    return keys;
}

// Books in sort-title order, distributed stably into the ranks of their
// lookup key (a counting sort). The lookup keys are read in a separate pass in
// whatever order SQLite finds cheapest, so no index has to carry them.
std::vector<qint64> keysByLookupRank(Database& db, const QByteArray& lookupColumn,
                                     const QHash<qint64, int>& rankByKey)
{
    const std::vector<qint64> byTitle = keysByTitle(db);
    if (byTitle.empty())
        return byTitle;
    const qint64 lowest = *std::min_element(byTitle.begin(), byTitle.end());
    const qint64 highest = *std::max_element(byTitle.begin(), byTitle.end());
    const bool dense = lowest >= 0 && highest - lowest < qint64(byTitle.size()) * 4 + 1024;
    std::vector<int> denseRank(dense ? size_t(highest - lowest + 1) : 0, 0);
    QHash<qint64, int> sparseRank;

    int maxRank = 0;
    NativeStatement lookups(db, "SELECT rowid, " + lookupColumn + " FROM Books");
    while (lookups.step()) {
        const QVariant lookupKey = lookups.column(1);
        const int rank = lookupKey.isNull() ? 0 : rankByKey.value(lookupKey.toLongLong(), 0);
        if (rank == 0)
            continue;
        maxRank = std::max(maxRank, rank);
        const qint64 book = lookups.columnInt(0);
        if (dense)
            denseRank[size_t(book - lowest)] = rank;
        else
            sparseRank.insert(book, rank);
    }
    auto rankOf = [&](qint64 book) {
        return dense ? denseRank[size_t(book - lowest)] : sparseRank.value(book);
    };

    std::vector<size_t> start(size_t(maxRank) + 2, 0);
    for (qint64 book : byTitle)
        ++start[size_t(rankOf(book)) + 1];
    for (size_t r = 1; r < start.size(); ++r)
        start[r] += start[r - 1];
    std::vector<qint64> keys(byTitle.size());
    for (qint64 book : byTitle)
        keys[start[size_t(rankOf(book))]++] = book;
    return keys;
}

} // namespace

std::vector<qint64> orderedKeys(Database& db, int order)
{
    switch (order) {
    case ByAuthor:
        return keysByLookupRank(
            db, "AuthID",
            rankLookupRows(db, "SELECT AuthID, LastName, FirstName FROM Authors ORDER BY LastName, FirstName",
                           2));
    case ByCategory:
        return keysByLookupRank(
            db, "CatID", rankLookupRows(db, "SELECT CatID, CatName FROM Categories ORDER BY CatName", 1));
    default:
        return keysByTitle(db);
    }
}

std::unique_ptr<Recordset> openBooks(Database& db, int order)
{
    return db.openRecordset(query(order), RecordsetType::Snapshot, orderedKeys(db, order));
}

} // namespace BookOrder
