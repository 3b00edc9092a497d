#include "bare_connection.h"

#include "database/sqlite_extensions.h"
#include "database/text_order.h"

#include <QFile>
#include <map>
#include <sqlite3.h>
#include <stdexcept>

namespace {

struct Connections
{
    std::map<QString, sqlite3*> open;
    ~Connections()
    {
        for (const auto& [path, db] : open)
            sqlite3_close(db);
    }
};

sqlite3* connectionOn(const QString& path, bool withLike)
{
    static Connections connections;
    const QString name = path + (withLike ? u"|like" : u"");
    sqlite3*& db = connections.open[name];
    if (db)
        return db;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK)
        throw std::runtime_error("cannot open " + path.toStdString() + " with SQLite");
    const int rc = withLike ? registerSqliteExtensions(db)
                            : sqlite3_create_collation(db, TextOrder::CollationName, SQLITE_UTF8, nullptr,
                                                       &TextOrder::sqliteCollation);
    if (rc != SQLITE_OK)
        throw std::runtime_error("cannot register the collation");
    return db;
}

} // namespace

sqlite3* bareConnection(const BenchCatalogue& catalogue)
{
    return connectionOn(catalogue.barePath, false);
}

sqlite3* bareConnectionWithLike(const BenchCatalogue& catalogue)
{
    return connectionOn(catalogue.barePath, true);
}

sqlite3* bareConnectionOn(const QString& path)
{
    return connectionOn(path, false);
}
