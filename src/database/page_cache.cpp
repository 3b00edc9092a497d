#include "database/page_cache.h"

#include <QByteArray>
#include <sqlite3.h>

namespace PageCache {

std::optional<qint64> size(sqlite3* db)
{
    sqlite3_stmt* pragma = nullptr;
    std::optional<qint64> kib;
    if (sqlite3_prepare_v2(db, "PRAGMA cache_size", -1, &pragma, nullptr) == SQLITE_OK &&
        sqlite3_step(pragma) == SQLITE_ROW)
        kib = sqlite3_column_int64(pragma, 0);
    sqlite3_finalize(pragma);
    return kib;
}

void setSize(sqlite3* db, qint64 size)
{
    QByteArray sql = "PRAGMA cache_size = ";
    sql += QByteArray::number(size);
    sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
}

std::optional<qint64> holdForOnePass(sqlite3* db)
{
    const std::optional<qint64> browsing = size(db);
    if (!browsing || *browsing >= -OnePassKiB)
        return std::nullopt;
    setSize(db, -OnePassKiB);
    return browsing;
}

} // namespace PageCache
