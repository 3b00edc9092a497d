// The read paths every list, export and start-up goes through: every column of
// every book in each browse order, each lookup list, and the start-up's own
// reads, each beside SQLite stepping the same query and fetching every column
// as text, as its shell does when it prints them.
#include "bare_connection.h"
#include "sqlite_reads.h"

#include "catalogue/book_order.h"
#include "catalogue/lookup_tables.h"
#include "database/database.h"
#include "database/recordset.h"
#include "database/text_order.h"

#include <sqlite3.h>
#include <stdexcept>

using namespace Qt::StringLiterals;

qint64 readAll(sqlite3* db, const QByteArray& sql)
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &statement, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db));
    qint64 rows = 0;
    qint64 bytes = 0;
    const int width = sqlite3_column_count(statement);
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        ++rows;
        for (int i = 0; i < width; ++i) {
            sqlite3_column_text(statement, i);
            bytes += sqlite3_column_bytes(statement, i);
        }
    }
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE || bytes < 0)
        throw std::runtime_error(sqlite3_errmsg(db));
    return rows;
}

namespace {

QByteArray listQuery(LookupField field)
{
    const LookupTable& table = lookupTable(field);
    return (u"SELECT "_s + table.keyColumn + u", "_s + table.nameColumns.join(u", "_s) + u" FROM "_s +
            table.table + u" ORDER BY "_s + table.nameColumns.join(u", "_s))
        .toUtf8();
}

} // namespace

void startUpReadsBySqlite(BenchCatalogue& catalogue)
{
    sqlite3* db = nullptr;
    const QByteArray path = catalogue.path.toUtf8();
    if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("cannot open the catalogue with SQLite");
    }
    try {
        readAll(db, "PRAGMA locking_mode=EXCLUSIVE");
        // The catalogue's text is declared with the program's collation, which
        // a bare connection needs to read the indexes in their order.
        sqlite3_create_collation(db, TextOrder::CollationName, SQLITE_UTF8, nullptr,
                                 &TextOrder::sqliteCollation);
        readAll(db, "SELECT rowid FROM Books ORDER BY SortTitle");
        readAll(db, "SELECT * FROM Books WHERE rowid = (SELECT rowid FROM Books ORDER BY SortTitle LIMIT 1)");
        for (const LookupField field : LookupOpenOrder)
            readAll(db, listQuery(field));
    } catch (...) {
        sqlite3_close(db);
        throw;
    }
    sqlite3_close(db);
}

namespace {

// Every value of every row, as a list or an export reads them.
qint64 walk(Recordset& rows)
{
    qint64 count = 0;
    const int width = rows.fieldCount();
    for (; !rows.eof(); rows.moveNext()) {
        for (int i = 0; i < width; ++i)
            rows.value(i);
        ++count;
    }
    return count;
}

std::function<void(BenchCatalogue&)> fullRead(int order)
{
    return [order](BenchCatalogue& catalogue) {
        auto books = BookOrder::openBooks(*catalogue.db, order);
        if (walk(*books) != catalogue.books)
            throw std::runtime_error("the full read missed books");
    };
}

std::function<void(BenchCatalogue&)> fullReadBySqlite(int order)
{
    return [order](BenchCatalogue& catalogue) {
        if (readAll(bareConnection(catalogue), BookOrder::query(order).toUtf8()) != catalogue.books)
            throw std::runtime_error("the full read missed books");
    };
}

// A list's fill: the key and the shown name of every entry, in the list's order.
std::function<void(BenchCatalogue&)> listFill(LookupField field)
{
    return [field](BenchCatalogue& catalogue) {
        qlonglong keys = 0;
        readLookupList(*catalogue.db, field, [&](qlonglong key, const QString&) { keys += key; });
        if (keys < 0)
            throw std::runtime_error("impossible keys");
    };
}

std::function<void(BenchCatalogue&)> listFillBySqlite(LookupField field)
{
    return [field](BenchCatalogue& catalogue) { readAll(bareConnection(catalogue), listQuery(field)); };
}

const BenchRegistration registration{
    {u"full read, title order"_s, fullRead(BookOrder::ByTitle), fullReadBySqlite(BookOrder::ByTitle)},
    {u"full read, author order"_s, fullRead(BookOrder::ByAuthor), fullReadBySqlite(BookOrder::ByAuthor)},
    {u"full read, category order"_s, fullRead(BookOrder::ByCategory),
     fullReadBySqlite(BookOrder::ByCategory)},
    {u"list fill: authors"_s, listFill(LookupField::Author), listFillBySqlite(LookupField::Author), false,
     u"<= 2x"_s},
    {u"list fill: publishers"_s, listFill(LookupField::Publisher), listFillBySqlite(LookupField::Publisher)},
    {u"list fill: categories"_s, listFill(LookupField::Category), listFillBySqlite(LookupField::Category)},
    {u"list fill: owners"_s, listFill(LookupField::Owner), listFillBySqlite(LookupField::Owner)},
    {u"list fill: locations"_s, listFill(LookupField::Location), listFillBySqlite(LookupField::Location)},
    {u"list fill: formats"_s, listFill(LookupField::Format), listFillBySqlite(LookupField::Format)},
    {u"list fill: series"_s, listFill(LookupField::Series), listFillBySqlite(LookupField::Series)},
};

} // namespace
