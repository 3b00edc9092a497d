#include "catalogue/book_order.h"

#include "database/database.h"
#include "database/native_sql.h"
#include "database/recordset.h"
#include "database/sqlite_extensions.h"

#include <QHash>
#include <algorithm>
#include <optional>
#include <utility>

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
    // Books of one sort title by their keys, as the sort title's index lists
    // them, so that a book moved on its own lands where a full read puts it.
    NativeStatement byTitle(db, "SELECT rowid FROM Books ORDER BY SortTitle, rowid");
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

namespace {

// ---- the books changed since the order was read ---------------------------

// More changed books than this are not worth placing one by one.
constexpr int MostNotedBooks = 1000;

// One trigger of the notes: after event on table, the books that query
// selects are noted, as long as there are not too many already.
QByteArray noteTrigger(const QByteArray& name, const QByteArray& event, const QByteArrayList& queries)
{
    QByteArray sql = "CREATE TEMP TRIGGER IF NOT EXISTS quillary_" + name + ' ' + event + " BEGIN\n";
    for (const QByteArray& query : queries)
        sql += "  INSERT OR IGNORE INTO quillary_moved_books " + query +
               (query.contains(" WHERE ") ? " AND" : " WHERE") +
               " (SELECT count(*) FROM quillary_moved_books) < " + QByteArray::number(MostNotedBooks) + ";\n";
    return sql + "END;\n";
}

// An author or category added, renamed or removed moves the books that
// refer to its key (a new one usually none: no book can refer to it yet).
QByteArray noteLookupChanges(const QByteArray& table, const QByteArray& key)
{
    const QByteArray name = table.toLower();
    const auto booksOf = [&key](const char* row) -> QByteArray {
        return "SELECT rowid FROM main.Books WHERE " + key + " = " + row + '.' + key;
    };
    return noteTrigger(name + "_added", "AFTER INSERT ON main." + table, {booksOf("NEW")}) +
           noteTrigger(name + "_changed", "AFTER UPDATE ON main." + table, {booksOf("OLD"), booksOf("NEW")}) +
           noteTrigger(name + "_deleted", "AFTER DELETE ON main." + table, {booksOf("OLD")});
}

// The notes are temporary, so that the file never sees them: they live and
// die with the connection, and a file opened by any other program has none.
QByteArray noteChanges()
{
    return "CREATE TEMP TABLE IF NOT EXISTS quillary_moved_books (book INTEGER PRIMARY KEY);\n" +
           noteTrigger("book_added", "AFTER INSERT ON main.Books", {"SELECT NEW.rowid"}) +
           noteTrigger("book_changed", "AFTER UPDATE ON main.Books",
                       {"SELECT OLD.rowid", "SELECT NEW.rowid"}) +
           noteTrigger("book_deleted", "AFTER DELETE ON main.Books", {"SELECT OLD.rowid"}) +
           noteLookupChanges("Authors", "AuthID") + noteLookupChanges("Categories", "CatID");
}

void startNotingChanges(Database& db)
{
    static const QByteArray install = noteChanges();
    executeNative(db, install);
    executeNative(db, "DELETE FROM temp.quillary_moved_books");
}

// The books noted since the notes were last cleared, which clears them; empty
// when there are too many, or no notes to read on this connection.
std::optional<std::vector<qint64>> takeNotedBooks(Database& db)
{
    std::vector<qint64> books;
    try {
        NativeStatement noted(db, "SELECT book FROM temp.quillary_moved_books");
        while (noted.step())
            books.push_back(noted.columnInt(0));
        executeNative(db, "DELETE FROM temp.quillary_moved_books");
    } catch (const DbError&) {
        return std::nullopt;
    }
    if (books.size() >= size_t(MostNotedBooks))
        return std::nullopt;
    return books;
}

// Changes committed by other connections since a value of it was read.
qint64 dataVersion(Database& db)
{
    NativeStatement version(db, "PRAGMA data_version");
    return version.step() ? version.columnInt(0) : -1;
}

// ---- placing one book -------------------------------------------------------

// What a book is ordered by: the names of its lookup row (none in title
// order), its sort title, and its key for books alike in everything else.
struct Place
{
    std::vector<NameValue> values;
    qint64 book = 0;
};

int compareValue(const NameValue& a, const NameValue& b)
{
    if (!a || !b)
        return int(bool(a)) - int(bool(b)); // Null first
    return compareNoCase(a->constData(), int(a->size()), b->constData(), int(b->size()));
}

bool before(const Place& a, const Place& b)
{
    for (size_t i = 0; i < a.values.size(); ++i) {
        if (const int order = compareValue(a.values[i], b.values[i]))
            return order < 0;
    }
    return a.book < b.book;
}

class PlaceReader
{
public:
    PlaceReader(Database& db, int order) : m_statement(db, placeQuery(order)) {}

    // Empty when the book is gone.
    std::optional<Place> read(qint64 book)
    {
        m_statement.reset();
        m_statement.bindInt(1, book);
        if (!m_statement.step())
            return std::nullopt;
        Place place;
        place.book = book;
        for (int c = 0; c < m_statement.columnCount(); ++c)
            place.values.push_back(nameValue(m_statement, c));
        return place;
    }

private:
    static QByteArray placeQuery(int order)
    {
        switch (order) {
        case ByAuthor:
            return "SELECT Authors.LastName, Authors.FirstName, Books.SortTitle FROM Books LEFT JOIN Authors "
                   "ON Books.AuthID = Authors.AuthID WHERE Books.rowid = ?1";
        case ByCategory:
            return "SELECT Categories.CatName, Books.SortTitle FROM Books LEFT JOIN Categories ON "
                   "Books.CatID = Categories.CatID WHERE Books.rowid = ?1";
        default:
            return "SELECT SortTitle FROM Books WHERE rowid = ?1";
        }
    }

    NativeStatement m_statement;
};

// Takes the changed books out of keys and puts back each one that still
// exists, where a full read would put it.
void moveBooks(Database& db, int order, std::vector<qint64>& keys, std::vector<qint64> changed)
{
    if (changed.empty())
        return;
    std::sort(changed.begin(), changed.end());
    std::erase_if(keys,
                  [&changed](qint64 key) { return std::binary_search(changed.begin(), changed.end(), key); });
    PlaceReader reader(db, order);
    std::vector<std::pair<size_t, Place>> placed;
    for (qint64 book : changed) {
        std::optional<Place> place = reader.read(book);
        if (!place)
            continue; // deleted
        const auto at = std::partition_point(keys.begin(), keys.end(), [&](qint64 key) {
            const std::optional<Place> other = reader.read(key);
            return !other || before(*other, *place);
        });
        placed.emplace_back(size_t(at - keys.begin()), std::move(*place));
    }
    std::sort(placed.begin(), placed.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : before(a.second, b.second);
    });
    std::vector<qint64> merged;
    merged.reserve(keys.size() + placed.size());
    size_t next = 0;
    for (const auto& [at, place] : placed) {
        merged.insert(merged.end(), keys.begin() + qsizetype(next), keys.begin() + qsizetype(at));
        merged.push_back(place.book);
        next = at;
    }
    merged.insert(merged.end(), keys.begin() + qsizetype(next), keys.end());
    keys = std::move(merged);
}

} // namespace

std::vector<qint64> KeptOrder::readAll(Database& db, int order)
{
    m_order.reset();
    startNotingChanges(db);
    std::vector<qint64> keys = orderedKeys(db, order);
    m_dataVersion = dataVersion(db);
    m_order = order;
    return keys;
}

std::optional<std::vector<qint64>> KeptOrder::keysAfterChanges(Database& db, int order, Recordset& books)
{
    const std::optional<int> keptOrder = std::exchange(m_order, std::nullopt);
    if (keptOrder != order || dataVersion(db) != m_dataVersion)
        return std::nullopt;
    std::optional<std::vector<qint64>> changed = takeNotedBooks(db);
    if (!changed)
        return std::nullopt;
    std::optional<std::vector<qint64>> keys = books.takeKeys();
    if (!keys)
        return std::nullopt;
    moveBooks(db, order, *keys, std::move(*changed));
    m_order = order;
    return keys;
}

} // namespace BookOrder
