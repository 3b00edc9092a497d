#include "database/forward_recordset.h"

#include "database/connection.h"
#include "database/database.h"
#include "database/jet_sql.h"
#include "database/page_cache.h"
#include "database/sqlite_error.h"
#include "database/stored_values.h"

#include <map>
#include <mutex>
#include <optional>
#include <sqlite3.h>
#include <vector>

using StoredValue::ColumnKind;

namespace {

// A report walks its rows once (page_cache.h). While forward readers are
// open on a connection its cache is held small; the first one keeps the size
// to give back and the last one gives it back.
class OnePassCache
{
public:
    static void hold(const Connection& connection)
    {
        const std::lock_guard lock(mutex());
        Held& held = connections()[&connection];
        if (held.readers++ == 0)
            held.browsingSize = PageCache::holdForOnePass(connection.db);
    }

    static void release(const Connection& connection)
    {
        const std::lock_guard lock(mutex());
        const auto held = connections().find(&connection);
        if (held == connections().end() || --held->second.readers > 0)
            return;
        if (connection.db && held->second.browsingSize)
            PageCache::setSize(connection.db, *held->second.browsingSize);
        connections().erase(held);
    }

private:
    struct Held
    {
        int readers = 0;
        std::optional<qint64> browsingSize;
    };

    // Reports may read on other threads than the window's, each on its own
    // connection.
    static std::mutex& mutex()
    {
        static std::mutex instance;
        return instance;
    }

    // By connection: a Connection outlives every reader that holds it.
    static std::map<const Connection*, Held>& connections()
    {
        static std::map<const Connection*, Held> held;
        return held;
    }
};

} // namespace

struct ForwardRecordset::Impl final : ConnectionUser
{
    std::shared_ptr<Connection> connection;
    QString jetSql;
    sqlite3_stmt* statement = nullptr;
    std::vector<ColumnKind> kinds;
    std::vector<QString> names;
    bool atEnd = true;
    bool holdsCache = false;

    ~Impl() override
    {
        finalize();
        if (connection)
            connection->remove(this);
    }

    void connectionClosing() override { finalize(); }

    void finalize()
    {
        sqlite3_finalize(statement);
        statement = nullptr;
        atEnd = true;
        if (holdsCache)
            OnePassCache::release(*connection);
        holdsCache = false;
    }

    sqlite3_stmt* live() const
    {
        if (!statement || !connection->db)
            throw DbErrors::objectClosed();
        return statement;
    }

    // The statement on its current row, with index one of its columns.
    sqlite3_stmt* current(int index) const
    {
        sqlite3_stmt* stepped = live();
        if (atEnd)
            throw DbErrors::noCurrentRecord();
        if (index < 0 || index >= int(kinds.size()))
            throw DbErrors::unknownField(QString::number(index));
        return stepped;
    }

    void step()
    {
        const int rc = sqlite3_step(live());
        if (rc == SQLITE_ROW) {
            atEnd = false;
            return;
        }
        atEnd = true;
        if (rc != SQLITE_DONE)
            throw sqliteError(connection->db, rc, jetSql);
    }
};

ForwardRecordset::ForwardRecordset(Database& db, const QString& jetSql)
    : ForwardRecordset(db, jetSql, QVariantList())
{
}

ForwardRecordset::ForwardRecordset(Database& db, const QString& jetSql, const QVariantList& parameters)
    : d(std::make_unique<Impl>())
{
    if (!db.m_db)
        throw DbErrors::objectClosed();
    d->connection = db.m_connection;
    d->jetSql = jetSql;
    // Before the first step, which may sort: SQLite sizes its sort's memory
    // from the cache too.
    OnePassCache::hold(*d->connection);
    d->holdsCache = true;
    const QByteArray sql = translateJetSql(jetSql).toUtf8();
    const int rc = sqlite3_prepare_v2(db.m_db, sql.constData(), int(sql.size()), &d->statement, nullptr);
    if (rc != SQLITE_OK) {
        const DbError error = sqliteError(db.m_db, rc, jetSql);
        d->finalize();
        throw error;
    }
    if (!d->statement)
        throw DbErrors::syntax(jetSql, QStringLiteral("no statement"));
    if (parameters.isEmpty()) {
        refuseParameters(d->statement, jetSql);
    } else if (sqlite3_bind_parameter_count(d->statement) != parameters.size()) {
        d->finalize();
        throw DbErrors::syntax(jetSql, QStringLiteral("%1 values for the parameters").arg(parameters.size()));
    }
    for (qsizetype i = 0; i < parameters.size(); ++i)
        StoredValue::bind(d->statement, int(i + 1), parameters[i]);
    d->connection->add(d.get());
    const int width = sqlite3_column_count(d->statement);
    for (int i = 0; i < width; ++i) {
        d->kinds.push_back(StoredValue::kindOfDeclaredType(sqlite3_column_decltype(d->statement, i)));
        d->names.push_back(QString::fromUtf8(sqlite3_column_name(d->statement, i)));
    }
    d->step();
}

ForwardRecordset::~ForwardRecordset() = default;

bool ForwardRecordset::eof() const
{
    d->live();
    return d->atEnd;
}

void ForwardRecordset::moveNext()
{
    if (eof())
        throw DbErrors::noCurrentRecord();
    d->step();
}

int ForwardRecordset::fieldCount() const
{
    d->live();
    return int(d->kinds.size());
}

QVariant ForwardRecordset::value(int index) const
{
    sqlite3_stmt* statement = d->live();
    if (d->atEnd)
        throw DbErrors::noCurrentRecord();
    if (index < 0 || index >= int(d->kinds.size()))
        throw DbErrors::unknownField(QString::number(index));
    return StoredValue::forProgram(StoredValue::read(statement, index), d->kinds[size_t(index)]);
}

QString ForwardRecordset::text(int index) const
{
    sqlite3_stmt* statement = d->live();
    if (d->atEnd)
        throw DbErrors::noCurrentRecord();
    if (index < 0 || index >= int(d->kinds.size()))
        throw DbErrors::unknownField(QString::number(index));
    const auto* utf8 = reinterpret_cast<const char*>(sqlite3_column_text(statement, index));
    return utf8 ? QString::fromUtf8(utf8, sqlite3_column_bytes(statement, index)) : QString();
}

QByteArrayView ForwardRecordset::utf8(int index) const
{
    sqlite3_stmt* statement = d->current(index);
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(statement, index));
    return bytes ? QByteArrayView(bytes, sqlite3_column_bytes(statement, index)) : QByteArrayView();
}

qint64 ForwardRecordset::integer(int index) const
{
    return sqlite3_column_int64(d->current(index), index);
}

QVariant ForwardRecordset::value(const QString& column) const
{
    return value(columnIndex(column));
}

int ForwardRecordset::columnIndex(const QString& column) const
{
    d->live();
    for (size_t i = 0; i < d->names.size(); ++i) {
        if (d->names[i].compare(column, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    throw DbErrors::unknownField(column);
}

void ForwardRecordset::close()
{
    d->finalize();
    if (d->connection)
        d->connection->remove(d.get());
}
