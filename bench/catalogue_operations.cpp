// Opening the catalogue and the browse recordset in each sort order, the paths
// every start-up, sort and save goes through.
#include "bare_connection.h"
#include "sqlite_reads.h"

#include "catalogue/book_order.h"
#include "database/database.h"
#include "database/native_sql.h"
#include "database/recordset.h"

#include <sqlite3.h>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

void openCatalogue(BenchCatalogue& catalogue)
{
    Database::open(catalogue.path, Database::OpenMode::Exclusive)->close();
}

// A bare SQLite open that also reads the schema, as any first statement must.
void openWithSqlite(BenchCatalogue& catalogue)
{
    sqlite3* db = nullptr;
    const QByteArray path = catalogue.path.toUtf8();
    if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("cannot open the catalogue with SQLite");
    }
    sqlite3_exec(db, "PRAGMA locking_mode=EXCLUSIVE; SELECT count(*) FROM sqlite_master", nullptr, nullptr,
                 nullptr);
    sqlite3_close(db);
}

// Opens rsBooks in one sort order, as the Sort menu and every save do, and
// finds a book by key.
std::function<void(BenchCatalogue&)> openBrowseAndFind(int order)
{
    return [order](BenchCatalogue& catalogue) {
        auto books = BookOrder::openBooks(*catalogue.db, order);
        books->findFirst(u"bookid = "_s + QString::number(catalogue.probeBookId));
        if (books->noMatch())
            throw std::runtime_error("the probe book was not found");
    };
}

// The ordered keys alone, straight from SQLite: the least any browse
// recordset in that order can cost.
std::function<void(BenchCatalogue&)> orderedKeys(const QByteArray& sql)
{
    return [sql](BenchCatalogue& catalogue) {
        if (readAll(bareConnection(catalogue), sql) != catalogue.books)
            throw std::runtime_error("the ordered keys miss books");
    };
}

const BenchRegistration registration{
    {u"open catalogue"_s, openCatalogue, openWithSqlite, true, {}, u"bare connection, opened"_s},
    {u"rsBooks by title + find by key"_s, openBrowseAndFind(BookOrder::ByTitle),
     orderedKeys("SELECT BookID FROM Books ORDER BY SortTitle")},
    {u"rsBooks by author + find by key"_s, openBrowseAndFind(BookOrder::ByAuthor),
     orderedKeys("SELECT Books.BookID FROM Books LEFT JOIN Authors ON Books.AuthID = Authors.AuthID "
                 "ORDER BY LastName, FirstName, SortTitle")},
    {u"rsBooks by category + find by key"_s, openBrowseAndFind(BookOrder::ByCategory),
     orderedKeys("SELECT Books.BookID FROM Books LEFT JOIN Categories ON Books.CatID = Categories.CatID "
                 "ORDER BY CatName, SortTitle")},
};

} // namespace
