#include "database/recordset.h"

#include "database/connection.h"
#include "database/database.h"
#include "database/jet_sql.h"
#include "database/select_shape.h"
#include "database/sqlite_error.h"
#include "database/stored_values.h"

#include <QHash>
#include <algorithm>
#include <array>
#include <optional>
#include <sqlite3.h>
#include <vector>

using namespace Qt::StringLiterals;
using StoredValue::ColumnKind;

namespace {

class Statement
{
public:
    Statement() = default;
    Statement(sqlite3* db, const QString& sql, const QString& subject) : m_db(db)
    {
        const QByteArray utf8 = sql.toUtf8();
        const int rc = sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &m_statement, nullptr);
        if (rc != SQLITE_OK) {
            const DbError error = sqliteError(db, rc, subject);
            sqlite3_finalize(m_statement);
            m_statement = nullptr;
            throw error;
        }
        if (!m_statement)
            throw DbErrors::syntax(subject, u"no statement"_s);
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(Statement&& other) noexcept
        : m_db(other.m_db), m_statement(std::exchange(other.m_statement, nullptr))
    {
    }
    Statement& operator=(Statement&& other) noexcept
    {
        std::swap(m_db, other.m_db);
        std::swap(m_statement, other.m_statement);
        return *this;
    }

    sqlite3_stmt* get() const { return m_statement; }
    explicit operator bool() const { return m_statement != nullptr; }
    void finalize()
    {
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
    }

    // Steps once: true for a row, false when done; errors throw.
    bool step(const QString& subject)
    {
        const int rc = sqlite3_step(m_statement);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        const DbError error = sqliteError(m_db, rc, subject);
        sqlite3_reset(m_statement);
        throw error;
    }

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_statement = nullptr;
};

bool hasDuplicates(const std::vector<qint64>& keys)
{
    if (keys.empty())
        return false;
    const auto [low, high] = std::minmax_element(keys.begin(), keys.end());
    const qint64 span = *high - *low;
    if (*low >= 0 && span >= 0 && span < qint64(keys.size()) * 8 + (1 << 20)) {
        std::vector<bool> seen(size_t(span) + 1);
        for (qint64 key : keys) {
            const size_t slot = size_t(key - *low);
            if (seen[slot])
                return true;
            seen[slot] = true;
        }
        return false;
    }
    std::vector<qint64> sorted = keys;
    std::sort(sorted.begin(), sorted.end());
    return std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end();
}

// Where each key of a keyset stands, built on first use: a table indexed
// by key when the keys are dense (AutoNumbers), a hash otherwise.
class KeyPositions
{
public:
    void clear()
    {
        m_built = false;
        m_scans = 0;
        m_dense.clear();
        m_sparse.clear();
    }

    // Where key stands: looked up in the table once it is built. The first
    // find after the keys changed (the book just stored, found again) looks
    // for its few matches by a plain scan instead, which costs less than
    // building the table; a second one builds it.
    qsizetype positionOf(const std::vector<qint64>& keys, qint64 key, size_t matches)
    {
        constexpr size_t FewMatches = 4;
        if (!m_built && matches <= FewMatches && m_scans < 1) {
            const auto found = std::find(keys.begin(), keys.end(), key);
            return found == keys.end() ? -1 : qsizetype(found - keys.begin());
        }
        build(keys);
        return positionOf(key);
    }

    // Ends a find that may have scanned.
    void findDone()
    {
        if (!m_built)
            ++m_scans;
    }

    void build(const std::vector<qint64>& keys)
    {
        if (m_built)
            return;
        m_built = true;
        if (keys.empty())
            return;
        const auto [low, high] = std::minmax_element(keys.begin(), keys.end());
        const qint64 span = *high - *low;
        if (span >= 0 && span < qint64(keys.size()) * 4 + 1024) {
            m_lowest = *low;
            m_dense.assign(size_t(span) + 1, -1);
            for (size_t i = 0; i < keys.size(); ++i)
                m_dense[size_t(keys[i] - m_lowest)] = qsizetype(i);
            return;
        }
        m_sparse.reserve(qsizetype(keys.size()));
        for (size_t i = 0; i < keys.size(); ++i)
            m_sparse.insert(keys[i], qsizetype(i));
    }

    // -1 for a key the keyset does not hold.
    qsizetype positionOf(qint64 key) const
    {
        if (m_dense.empty())
            return m_sparse.value(key, -1);
        const qint64 offset = key - m_lowest;
        return offset >= 0 && offset < qint64(m_dense.size()) ? m_dense[size_t(offset)] : -1;
    }

private:
    bool m_built = false;
    int m_scans = 0; // finds answered by scanning since the keys changed
    qint64 m_lowest = 0;
    std::vector<qsizetype> m_dense;
    QHash<qint64, qsizetype> m_sparse;
};

QString foldedName(const QString& name)
{
    return name.toCaseFolded();
}

} // namespace

struct Recordset::Impl final : ConnectionUser
{
    struct Column
    {
        QString name;
        ColumnKind kind = ColumnKind::Untyped;
        int tableColumn = -1; // the base table's column it shows, when it can be written
    };
    struct TableColumn
    {
        QString name;
        ColumnKind kind = ColumnKind::Untyped;
    };
    enum class EditMode { None, Add, Edit };

    std::shared_ptr<Connection> connection;
    RecordsetType type;
    QString jetSql;
    QString sql;
    bool closed = false;

    std::vector<Column> columns;
    QHash<QString, int> columnByName;
    // The last names asked for, as asked: callers ask for the same few names
    // row after row, and folding each anew was a good part of reading a list.
    struct RecentName
    {
        QString name;
        int index = -1; // none yet
    };
    mutable std::array<RecentName, 8> recentNames{};
    mutable size_t nextRecentName = 0;

    // Keyset recordsets: the base rows' keys in order, and a statement that
    // reads one row by key.
    bool keyset = false;
    SelectShape shape;
    mutable std::vector<qint64> keys;
    // A dynaset over one table reads its keys when first used: one that is
    // opened to be ready for changes and never moved costs no scan.
    mutable bool keysPending = false;
    Statement rowStatement;
    // A snapshot walked front to back reads its rows from one statement in
    // the recordset's own order instead of looking each up by key. The stream
    // serves a row only while its key is the one the keyset expects there and
    // nothing changed since it began; otherwise the row is read by key.
    mutable Statement streamStatement;
    mutable qsizetype streamNext = -1; // the position of the stream's next row; -1 when idle
    mutable qint64 streamStamp = 0;
    mutable bool streamUnusable = false;
    // Materialised recordsets: every row, as stored.
    std::vector<std::vector<QVariant>> rows;

    mutable qsizetype position = -1; // -1 before the first row, count() after the last
    bool currentDeleted = false;
    bool lastFindFailed = false;
    mutable std::optional<std::vector<QVariant>> currentValues;

    bool writable = false;
    std::vector<TableColumn> tableColumns;
    int keyColumn = -1; // recordset column of the table's INTEGER PRIMARY KEY
    EditMode editMode = EditMode::None;
    std::vector<QVariant> buffer;
    std::vector<bool> changed;
    bool pessimisticLocking = true;

    // Finding: the matches of the last criterion, reused while the file has
    // not changed (Find Next after Find First), and where each key stands.
    struct Matches
    {
        QString criterion;
        std::optional<std::pair<qint64, unsigned>> changeStamp;
        std::vector<qint64> keys; // sorted
    } lastMatches;
    KeyPositions keyPositions;

    Impl(std::shared_ptr<Connection> conn, RecordsetType recordsetType, QString text)
        : connection(std::move(conn)), type(recordsetType), jetSql(std::move(text))
    {
        connection->add(this);
    }

    ~Impl() override
    {
        if (connection)
            connection->remove(this);
    }

    void connectionClosing() override { release(); }
    void releaseReads() override { stopStream(); }

    void release()
    {
        streamStatement.finalize();
        streamNext = -1;
        rowStatement.finalize();
        closed = true;
        editMode = EditMode::None;
    }

    // Every operation starts here, so a dynaset's keys are read on its first use.
    sqlite3* db() const
    {
        if (closed || !connection->db)
            throw DbErrors::objectClosed();
        if (keysPending)
            readPendingKeys();
        return connection->db;
    }

    qsizetype count() const { return keyset ? qsizetype(keys.size()) : qsizetype(rows.size()); }

    // ---- opening -------------------------------------------------------

    void open(std::optional<std::vector<qint64>> presetKeys = std::nullopt)
    {
        sql = translateJetSql(jetSql);
        // Preparing the whole statement checks it as written, whatever parts
        // of it the keyset queries use.
        const Statement wholeStatement(db(), sql, jetSql);
        refuseParameters(wholeStatement.get(), jetSql);
        shape = analyseSelect(sql);
        if (presetKeys) {
            if (!shape.plain || !isRowidTable(shape.baseTable) || !openKeyset(std::move(*presetKeys)))
                throw DbErrors::notSupported();
            keyset = true;
            // Keys ordered by the caller follow the query's own order at best;
            // a join's order would cost a sort before the first row, wasted
            // when the orders differ.
            streamUnusable = shape.hasJoin;
        } else if (shape.plain && isRowidTable(shape.baseTable) && openKeyset()) {
            keyset = true;
        } else {
            openMaterialised();
        }
        columnByName.clear();
        for (int i = int(columns.size()) - 1; i >= 0; --i)
            columnByName.insert(foldedName(columns[size_t(i)].name), i); // the first of equal names wins
        if (type == RecordsetType::Dynaset && keyset && !shape.hasJoin) {
            prepareWriting();
            keysPending = !presetKeys;
        }
        if (!keysPending && count() > 0)
            position = 0;
    }

    void readPendingKeys() const
    {
        Statement keysStatement(connection->db, keyQuery(), jetSql);
        std::vector<qint64> read;
        while (keysStatement.step(jetSql))
            read.push_back(sqlite3_column_int64(keysStatement.get(), 0));
        keysPending = false;
        keys = std::move(read);
        position = keys.empty() ? -1 : 0;
    }

    QString keyQuery() const
    {
        return u"SELECT "_s + shape.baseReference + u".rowid FROM "_s + shape.fromClause + whereAndOrder();
    }

    bool isRowidTable(const QString& table) const
    {
        Statement lookup(db(),
                         u"SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ?1 COLLATE NOCASE"_s,
                         jetSql);
        const QByteArray name = table.toUtf8();
        sqlite3_bind_text(lookup.get(), 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        if (!lookup.step(jetSql))
            return false;
        const QString definition =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(lookup.get(), 0)));
        return !definition.contains(u"WITHOUT ROWID"_s, Qt::CaseInsensitive);
    }

    QString whereAndOrder() const
    {
        QString text;
        if (!shape.whereClause.isEmpty())
            text += u" WHERE "_s + shape.whereClause;
        // Without an order of their own, rows come in the order of their keys
        // (as in the classic engine), not in that of whatever index SQLite
        // would scan.
        if (!shape.orderClause.isEmpty())
            text += u' ' + shape.orderClause;
        else
            text += u" ORDER BY "_s + shape.baseReference + u".rowid"_s;
        return text;
    }

    // Reads the keys only. Returns false when the query needs to be read as a
    // whole after all (it orders by a name of its own select list, or a join
    // repeats base rows).
    bool openKeyset(std::optional<std::vector<qint64>> presetKeys = std::nullopt)
    {
        Statement keysStatement;
        try {
            if (!presetKeys)
                keysStatement = Statement(db(), keyQuery(), jetSql);
            rowStatement = Statement(db(),
                                     u"SELECT "_s + shape.selectList + u" FROM "_s + shape.fromClause +
                                         u" WHERE "_s + shape.baseReference + u".rowid = ?1"_s,
                                     jetSql);
        } catch (const DbError&) {
            rowStatement.finalize();
            return false;
        }
        if (presetKeys) {
            keys = std::move(*presetKeys);
            readColumns(rowStatement.get());
            return true;
        }
        keys.clear();
        if (type == RecordsetType::Dynaset && !shape.hasJoin) {
            readColumns(rowStatement.get());
            return true; // read on first use
        }
        while (keysStatement.step(jetSql))
            keys.push_back(sqlite3_column_int64(keysStatement.get(), 0));
        if (shape.hasJoin && hasDuplicates(keys)) {
            keys.clear();
            rowStatement.finalize();
            return false;
        }
        readColumns(rowStatement.get());
        return true;
    }

    void openMaterialised()
    {
        Statement statement(db(), sql, jetSql);
        readColumns(statement.get());
        const int width = int(columns.size());
        while (statement.step(jetSql)) {
            std::vector<QVariant> row;
            row.reserve(size_t(width));
            for (int i = 0; i < width; ++i)
                row.push_back(StoredValue::read(statement.get(), i));
            rows.push_back(std::move(row));
        }
    }

    void readColumns(sqlite3_stmt* statement)
    {
        columns.clear();
        const int width = sqlite3_column_count(statement);
        for (int i = 0; i < width; ++i) {
            Column column;
            column.name = QString::fromUtf8(sqlite3_column_name(statement, i));
            column.kind = StoredValue::kindOfDeclaredType(sqlite3_column_decltype(statement, i));
            columns.push_back(column);
        }
    }

    // A dynaset over one table writes through to it: each of its columns
    // that shows a column of the table (not an expression) can be set.
    void prepareWriting()
    {
        Statement info(db(), u"SELECT name, type, pk FROM pragma_table_info(?1)"_s, jetSql);
        const QByteArray table = shape.baseTable.toUtf8();
        sqlite3_bind_text(info.get(), 1, table.constData(), int(table.size()), SQLITE_TRANSIENT);
        int keyTableColumn = -1;
        int keyParts = 0;
        while (info.step(jetSql)) {
            const auto* declared = reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 1));
            tableColumns.push_back(
                {QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 0))),
                 StoredValue::kindOfDeclaredType(declared)});
            if (sqlite3_column_int(info.get(), 2) > 0) {
                ++keyParts;
                if (declared && QByteArray(declared).toUpper() == "INTEGER")
                    keyTableColumn = int(tableColumns.size()) - 1;
            }
        }
        if (keyParts != 1)
            keyTableColumn = -1;
        for (size_t i = 0; i < columns.size(); ++i) {
            const char* origin = sqlite3_column_origin_name(rowStatement.get(), int(i));
            const char* originTable = sqlite3_column_table_name(rowStatement.get(), int(i));
            if (!origin || !originTable ||
                QString::fromUtf8(originTable).compare(shape.baseTable, Qt::CaseInsensitive) != 0)
                continue;
            const QString originName = QString::fromUtf8(origin);
            for (size_t t = 0; t < tableColumns.size(); ++t) {
                if (tableColumns[t].name.compare(originName, Qt::CaseInsensitive) == 0) {
                    columns[i].tableColumn = int(t);
                    if (int(t) == keyTableColumn && keyColumn < 0)
                        keyColumn = int(i);
                }
            }
        }
        writable = true;
    }

    // ---- position and values --------------------------------------------

    void leaveRow()
    {
        editMode = EditMode::None;
        currentValues.reset();
        currentDeleted = false;
    }

    void requireCurrentRow() const
    {
        if (currentDeleted)
            throw DbErrors::recordDeleted();
        if (position < 0 || position >= count())
            throw DbErrors::noCurrentRecord();
    }

    void stopStream() const
    {
        if (streamStatement)
            sqlite3_reset(streamStatement.get());
        streamNext = -1;
    }

    // The current row from the stream: true when it could serve it. A walk
    // starts at the first row; a short skip forward steps over the rows
    // passed, anything else is read by key while the stream waits.
    bool readFromStream() const
    {
        if (type != RecordsetType::Snapshot || streamUnusable)
            return false;
        constexpr qsizetype LongestSkip = 64;
        const bool onCourse = streamNext >= 0 && position >= streamNext &&
                              position - streamNext <= LongestSkip && ownChanges() == streamStamp;
        if (!onCourse) {
            if (position != 0)
                return false;
            if (!startStream())
                return false;
        }
        sqlite3_stmt* statement = streamStatement.get();
        while (streamNext <= position) {
            if (sqlite3_step(statement) != SQLITE_ROW ||
                sqlite3_column_int64(statement, 0) != keys[size_t(streamNext)]) {
                // Another order than the keyset's (ties sorted otherwise), or
                // rows gone: this recordset reads by key from now on.
                stopStream();
                streamUnusable = true;
                return false;
            }
            ++streamNext;
        }
        std::vector<QVariant> values;
        values.reserve(columns.size());
        for (size_t i = 0; i < columns.size(); ++i)
            values.push_back(StoredValue::read(statement, int(i) + 1));
        currentValues = std::move(values);
        if (streamNext >= count())
            stopStream(); // the walk is over: nothing stays pending on the connection
        return true;
    }

    bool startStream() const
    {
        stopStream();
        if (!streamStatement) {
            try {
                streamStatement =
                    Statement(db(),
                              u"SELECT "_s + shape.baseReference + u".rowid, "_s + shape.selectList +
                                  u" FROM "_s + shape.fromClause + whereAndOrder(),
                              jetSql);
            } catch (const DbError&) {
                streamUnusable = true;
                return false;
            }
            if (sqlite3_column_count(streamStatement.get()) != int(columns.size()) + 1) {
                streamStatement.finalize();
                streamUnusable = true;
                return false;
            }
        }
        streamNext = 0;
        streamStamp = ownChanges();
        return true;
    }

    const std::vector<QVariant>& current() const
    {
        requireCurrentRow();
        if (!keyset)
            return rows[size_t(position)];
        if (!currentValues && !readFromStream()) {
            sqlite3_stmt* statement = rowStatement.get();
            sqlite3_bind_int64(statement, 1, keys[size_t(position)]);
            const int rc = sqlite3_step(statement);
            if (rc == SQLITE_ROW) {
                std::vector<QVariant> values;
                values.reserve(columns.size());
                for (size_t i = 0; i < columns.size(); ++i)
                    values.push_back(StoredValue::read(statement, int(i)));
                currentValues = std::move(values);
            }
            sqlite3_reset(statement);
            if (rc == SQLITE_DONE)
                throw DbErrors::recordDeleted(); // removed through another recordset
            if (rc != SQLITE_ROW)
                throw sqliteError(connection->db, rc, jetSql);
        }
        return *currentValues;
    }

    int columnIndex(const QString& name) const
    {
        for (const RecentName& recent : recentNames) {
            if (recent.index >= 0 && recent.name == name)
                return recent.index;
        }
        const auto found = columnByName.constFind(foldedName(name));
        if (found == columnByName.constEnd())
            throw DbErrors::unknownField(name);
        recentNames[nextRecentName] = {name, found.value()};
        nextRecentName = (nextRecentName + 1) % recentNames.size();
        return found.value();
    }

    void requireColumn(int index) const
    {
        if (index < 0 || index >= int(columns.size()))
            throw DbErrors::unknownField(QString::number(index));
    }

    QVariant valueAt(int index) const
    {
        db();
        requireColumn(index);
        const QVariant& stored =
            editMode != EditMode::None ? buffer[size_t(index)] : current()[size_t(index)];
        return StoredValue::forProgram(stored, columns[size_t(index)].kind);
    }

    // ---- finding ----------------------------------------------------------

    // Changes by this connection, statements and triggers. While a stream is
    // running its read lock keeps every other connection from writing, so
    // these are the only changes it can miss.
    qint64 ownChanges() const { return sqlite3_total_changes64(db()); }

    // Changes by this connection (its own statements and triggers) and by
    // any other: whenever either moves, earlier matches may be stale.
    std::pair<qint64, unsigned> changeStamp() const
    {
        unsigned version = 0;
        sqlite3_file_control(db(), "main", SQLITE_FCNTL_DATA_VERSION, &version);
        return {sqlite3_total_changes64(db()), version};
    }

    const std::vector<qint64>& matchesOf(const QString& criterion)
    {
        const auto stamp = changeStamp();
        if (lastMatches.criterion != criterion || lastMatches.changeStamp != stamp) {
            lastMatches.changeStamp.reset();
            lastMatches.keys = matchingKeys(criterion);
            lastMatches.criterion = criterion;
            lastMatches.changeStamp = stamp;
        }
        return lastMatches.keys;
    }

    std::vector<qint64> matchingKeys(const QString& criterion)
    {
        const QString condition = translateJetSql(criterion);
        // The criterion speaks of the result's columns, aliases included; the
        // derived table carries the base table's name so that "Books.Title"
        // works as well. A result that is the table itself needs no derived
        // table, which spares preparing one (most of a find by an indexed key).
        const QString ownCondition =
            shape.whereClause.isEmpty() ? QString() : u"("_s + shape.whereClause + u") AND "_s;
        const QString overTables = u"SELECT "_s + shape.baseReference + u".rowid FROM "_s + shape.fromClause +
                                   u" WHERE "_s + ownCondition + u"("_s + condition + u")"_s;
        std::optional<Statement> statement;
        if (!shape.hasJoin && shape.selectList.trimmed() == u"*"_s) {
            statement.emplace(db(), overTables, criterion);
        } else {
            const QString where = shape.whereClause.isEmpty() ? QString() : u" WHERE "_s + shape.whereClause;
            const QString overResult = u"SELECT __k FROM (SELECT "_s + shape.baseReference +
                                       u".rowid AS __k, "_s + shape.selectList + u" FROM "_s +
                                       shape.fromClause + where + u") AS "_s + shape.baseReference +
                                       u" WHERE "_s + condition;
            try {
                statement.emplace(db(), overResult, criterion);
            } catch (const DbError& first) {
                // A criterion naming a column of a joined table that the select
                // list does not show ("Authors.LastName") needs the tables
                // themselves.
                try {
                    statement.emplace(db(), overTables, criterion);
                } catch (const DbError&) {
                    throw first;
                }
            }
        }
        refuseParameters(statement->get(), criterion);
        std::vector<qint64> matches;
        while (statement->step(criterion))
            matches.push_back(sqlite3_column_int64(statement->get(), 0));
        std::sort(matches.begin(), matches.end());
        return matches;
    }

    enum class Direction { First, Last, Next, Previous };

    // Each match is placed by its position in the recordset, so a find costs
    // one pass over the matches, however far the book found lies.
    void find(const QString& criterion, Direction direction)
    {
        db();
        if (!keyset)
            throw DbErrors::notSupported();
        editMode = EditMode::None;
        const std::vector<qint64>& matches = matchesOf(criterion);
        const qsizetype n = count();
        // The rows a find may land on: [low, high].
        qsizetype low = 0;
        qsizetype high = n - 1;
        switch (direction) {
        case Direction::First:
        case Direction::Last:
            break;
        case Direction::Next:
            low = position < 0 ? 0 : (currentDeleted ? position : position + 1);
            break;
        case Direction::Previous:
            high = std::min(position, n) - 1;
            break;
        }
        const bool forward = direction == Direction::First || direction == Direction::Next;
        qsizetype found = -1;
        for (qint64 key : matches) {
            const qsizetype at = keyPositions.positionOf(keys, key, matches.size());
            if (at < low || at > high)
                continue;
            if (found < 0 || (forward ? at < found : at > found))
                found = at;
        }
        keyPositions.findDone();
        lastFindFailed = found < 0;
        if (found >= 0) {
            leaveRow();
            position = found;
        }
    }

    // ---- writing ----------------------------------------------------------

    void requireWritable() const
    {
        db();
        if (type == RecordsetType::Snapshot || !writable)
            throw DbErrors::readOnlyRecordset();
    }

    qint64 nextAutoNumber()
    {
        const QString table = quoteSqlName(shape.baseTable);
        QString query = u"SELECT coalesce(max(rowid), 0) FROM "_s + table;
        Statement hasSequence(
            db(), u"SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'sqlite_sequence'"_s, jetSql);
        if (hasSequence.step(jetSql))
            query = u"SELECT max(coalesce((SELECT max(seq) FROM sqlite_sequence WHERE name = ?1 COLLATE "
                    u"NOCASE), 0), "
                    u"coalesce((SELECT max(rowid) FROM "_s +
                    table + u"), 0))"_s;
        Statement statement(db(), query, jetSql);
        if (query.contains(u"?1"_s)) {
            const QByteArray name = shape.baseTable.toUtf8();
            sqlite3_bind_text(statement.get(), 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        }
        statement.step(jetSql);
        return sqlite3_column_int64(statement.get(), 0) + 1;
    }

    void addNew()
    {
        requireWritable();
        editMode = EditMode::None;
        buffer.assign(columns.size(), QVariant());
        changed.assign(columns.size(), false);
        if (keyColumn >= 0) {
            // Exclusive access makes the key certain before the row is stored.
            buffer[size_t(keyColumn)] = QVariant(qlonglong(nextAutoNumber()));
            changed[size_t(keyColumn)] = true;
        }
        editMode = EditMode::Add;
    }

    void edit()
    {
        requireWritable();
        editMode = EditMode::None;
        buffer = current();
        changed.assign(columns.size(), false);
        editMode = EditMode::Edit;
    }

    void setValue(int index, const QVariant& value)
    {
        db();
        requireColumn(index);
        if (editMode == EditMode::None)
            throw DbErrors::updateWithoutEdit();
        const Column& column = columns[size_t(index)];
        if (column.tableColumn < 0)
            throw DbErrors::fieldNotUpdatable(column.name);
        const TableColumn& target = tableColumns[size_t(column.tableColumn)];
        buffer[size_t(index)] = StoredValue::forStorage(value, target.kind, column.name);
        changed[size_t(index)] = true;
        // Two names for one table column ("Select *, Title as T") stay alike.
        for (size_t i = 0; i < columns.size(); ++i) {
            if (columns[i].tableColumn == column.tableColumn && int(i) != index) {
                buffer[i] = buffer[size_t(index)];
                changed[i] = true;
            }
        }
    }

    // The columns to write, each table column once.
    std::vector<size_t> changedColumns() const
    {
        std::vector<size_t> result;
        std::vector<int> seen;
        for (size_t i = 0; i < columns.size(); ++i) {
            const int target = columns[i].tableColumn;
            if (!changed[i] || target < 0 || std::find(seen.begin(), seen.end(), target) != seen.end())
                continue;
            seen.push_back(target);
            result.push_back(i);
        }
        return result;
    }

    QString targetName(size_t column) const
    {
        return quoteSqlName(tableColumns[size_t(columns[column].tableColumn)].name);
    }

    void update()
    {
        db();
        if (editMode == EditMode::None)
            throw DbErrors::updateWithoutEdit();
        // On failure the buffer stays, so that the caller may store it again
        // (a locked row is retried).
        if (editMode == EditMode::Add)
            insertBuffer();
        else
            updateCurrentRow();
        editMode = EditMode::None;
        buffer.clear();
        changed.clear();
    }

    void insertBuffer()
    {
        const std::vector<size_t> targets = changedColumns();
        QString names;
        QString placeholders;
        for (size_t n = 0; n < targets.size(); ++n) {
            names += (n ? u", "_s : QString()) + targetName(targets[n]);
            placeholders += (n ? u", ?"_s : u"?"_s);
        }
        const QString table = quoteSqlName(shape.baseTable);
        QString insert = u"INSERT INTO "_s + table + u" DEFAULT VALUES"_s;
        if (!targets.empty())
            insert = u"INSERT INTO "_s + table + u" ("_s + names + u") VALUES ("_s + placeholders + u")"_s;
        Statement statement(db(), insert, jetSql);
        for (size_t n = 0; n < targets.size(); ++n)
            StoredValue::bind(statement.get(), int(n) + 1, buffer[targets[n]]);
        statement.step(jetSql);
        keys.push_back(sqlite3_last_insert_rowid(db()));
        keyPositions.clear();
    }

    void updateCurrentRow()
    {
        requireCurrentRow();
        const std::vector<size_t> targets = changedColumns();
        if (targets.empty())
            return;
        QString assignments;
        for (size_t n = 0; n < targets.size(); ++n)
            assignments += (n ? u", "_s : QString()) + targetName(targets[n]) + u" = ?"_s;
        Statement statement(db(),
                            u"UPDATE "_s + quoteSqlName(shape.baseTable) + u" SET "_s + assignments +
                                u" WHERE rowid = ?"_s,
                            jetSql);
        for (size_t n = 0; n < targets.size(); ++n)
            StoredValue::bind(statement.get(), int(n) + 1, buffer[targets[n]]);
        sqlite3_bind_int64(statement.get(), int(targets.size()) + 1, keys[size_t(position)]);
        statement.step(jetSql);
        if (sqlite3_changes(db()) == 0)
            throw DbErrors::recordDeleted();
        currentValues.reset();
    }

    void deleteRow()
    {
        requireWritable();
        requireCurrentRow();
        editMode = EditMode::None;
        Statement statement(db(), u"DELETE FROM "_s + quoteSqlName(shape.baseTable) + u" WHERE rowid = ?"_s,
                            jetSql);
        sqlite3_bind_int64(statement.get(), 1, keys[size_t(position)]);
        statement.step(jetSql);
        keys.erase(keys.begin() + position);
        keyPositions.clear();
        currentValues.reset();
        currentDeleted = true; // the position now holds the row that followed
    }
};

Recordset::Recordset(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}

Recordset::~Recordset() = default;

std::unique_ptr<Recordset> Database::openRecordset(const QString& jetSql, RecordsetType type)
{
    if (!m_db)
        throw DbErrors::objectClosed();
    auto impl = std::make_unique<Recordset::Impl>(m_connection, type, jetSql);
    impl->open();
    return std::unique_ptr<Recordset>(new Recordset(std::move(impl)));
}

std::unique_ptr<Recordset> Database::openRecordset(const QString& jetSql, RecordsetType type,
                                                   std::vector<qint64> orderedKeys)
{
    if (!m_db)
        throw DbErrors::objectClosed();
    auto impl = std::make_unique<Recordset::Impl>(m_connection, type, jetSql);
    impl->open(std::move(orderedKeys));
    return std::unique_ptr<Recordset>(new Recordset(std::move(impl)));
}

bool Recordset::bof() const
{
    d->db();
    return d->count() == 0 || d->position < 0;
}

bool Recordset::eof() const
{
    d->db();
    return d->count() == 0 || d->position >= d->count();
}

int Recordset::recordCount() const
{
    d->db();
    return int(d->count());
}

void Recordset::moveFirst()
{
    d->db();
    if (d->count() == 0)
        throw DbErrors::noCurrentRecord();
    d->leaveRow();
    d->position = 0;
}

void Recordset::moveLast()
{
    d->db();
    if (d->count() == 0)
        throw DbErrors::noCurrentRecord();
    d->leaveRow();
    d->position = d->count() - 1;
}

void Recordset::moveNext()
{
    d->db();
    if (!d->currentDeleted && eof())
        throw DbErrors::noCurrentRecord();
    const bool stayOnFollowingRow = d->currentDeleted;
    d->leaveRow();
    if (!stayOnFollowingRow)
        ++d->position;
    d->position = std::min(d->position, d->count());
}

void Recordset::movePrevious()
{
    if (bof())
        throw DbErrors::noCurrentRecord();
    d->leaveRow();
    d->position = std::min(d->position, d->count()) - 1;
}

void Recordset::findFirst(const QString& criterion)
{
    d->find(criterion, Impl::Direction::First);
}

void Recordset::findLast(const QString& criterion)
{
    d->find(criterion, Impl::Direction::Last);
}

void Recordset::findNext(const QString& criterion)
{
    d->find(criterion, Impl::Direction::Next);
}

void Recordset::findPrevious(const QString& criterion)
{
    d->find(criterion, Impl::Direction::Previous);
}

bool Recordset::noMatch() const
{
    d->db();
    return d->lastFindFailed;
}

void Recordset::addNew()
{
    d->addNew();
}

void Recordset::edit()
{
    d->edit();
}

void Recordset::update()
{
    d->update();
}

void Recordset::cancelUpdate()
{
    d->db();
    if (d->editMode == Impl::EditMode::None)
        throw DbErrors::updateWithoutEdit();
    d->editMode = Impl::EditMode::None;
    d->buffer.clear();
    d->changed.clear();
}

void Recordset::deleteRow()
{
    d->deleteRow();
}

bool Recordset::lockEdits() const
{
    return d->pessimisticLocking;
}

void Recordset::setLockEdits(bool pessimistic)
{
    d->pessimisticLocking = pessimistic;
}

QVariant Recordset::value(const QString& column) const
{
    d->db();
    return d->valueAt(d->columnIndex(column));
}

void Recordset::setValue(const QString& column, const QVariant& value)
{
    d->db();
    d->setValue(d->columnIndex(column), value);
}

int Recordset::fieldCount() const
{
    d->db();
    return int(d->columns.size());
}

QString Recordset::fieldName(int index) const
{
    d->db();
    d->requireColumn(index);
    return d->columns[size_t(index)].name;
}

QVariant Recordset::value(int index) const
{
    return d->valueAt(index);
}

void Recordset::close()
{
    if (d->connection)
        d->connection->remove(d.get());
    d->release();
}

std::optional<std::vector<qint64>> Recordset::takeKeys()
{
    if (d->closed || !d->connection->db || !d->keyset || d->keysPending)
        return std::nullopt;
    std::vector<qint64> keys = std::move(d->keys);
    d->keys.clear();
    close();
    return keys;
}
