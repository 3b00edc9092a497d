// The text order itself: SQLite sorting the catalogue's titles and author
// names with the program's collation, beside the same sort of the same keys
// with its built-in NOCASE, on a bare in-memory connection.
#include "bench_registry.h"

#include "database/database.h"
#include "database/native_sql.h"
#include "database/text_order.h"

#include <sqlite3.h>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

// The keys, copied once per catalogue by the untimed first run.
struct KeyTable
{
    sqlite3* db = nullptr;
    int books = -1;
    ~KeyTable() { sqlite3_close(db); }
};

sqlite3* keyTable(BenchCatalogue& catalogue)
{
    static KeyTable table;
    if (table.books == catalogue.books)
        return table.db;
    sqlite3_close(table.db);
    table.db = nullptr;
    sqlite3_open(":memory:", &table.db);
    sqlite3_create_collation(table.db, TextOrder::CollationName, SQLITE_UTF8, nullptr,
                             &TextOrder::sqliteCollation);
    sqlite3_exec(table.db, "CREATE TABLE order_keys (k TEXT); BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(table.db, "INSERT INTO order_keys VALUES (?1)", -1, &insert, nullptr);
    NativeStatement keys(*catalogue.db, "SELECT Title FROM Books UNION ALL "
                                        "SELECT LastName || ', ' || ifnull(FirstName, '') FROM Authors");
    while (keys.step()) {
        const QByteArray key = keys.columnText(0).toUtf8();
        sqlite3_bind_text(insert, 1, key.constData(), int(key.size()), SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(table.db, "COMMIT", nullptr, nullptr, nullptr);
    table.books = catalogue.books;
    return table.db;
}

std::function<void(BenchCatalogue&)> sortKeys(const QByteArray& collation)
{
    return [collation](BenchCatalogue& catalogue) {
        sqlite3* db = keyTable(catalogue);
        const QByteArray sql = "SELECT k FROM order_keys ORDER BY k COLLATE " + collation;
        sqlite3_stmt* sorted = nullptr;
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &sorted, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db));
        qint64 rows = 0;
        while (sqlite3_step(sorted) == SQLITE_ROW)
            ++rows;
        sqlite3_finalize(sorted);
        if (rows < catalogue.books)
            throw std::runtime_error("keys are missing");
    };
}

const BenchRegistration registration{
    {u"text order: sort titles, names (vs NOCASE)"_s, sortKeys("QUILLARY"), sortKeys("NOCASE")},
};

} // namespace
