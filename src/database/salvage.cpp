// Taking every readable row out of a damaged database file into a new one.
//
// The damaged file is read page by page (database/sqlite_pages.h), never
// through SQLite, so that neither a damaged schema text nor a damaged page
// stops the reading: each table is found by its root page, its rows are read
// from every page its tree still reaches, and the rows it lost are looked for
// in its indexes. The new file is written through SQLite, in the layout the
// caller knows, so that it is always complete.

#include "database/salvage.h"

#include "database/declared_columns.h"
#include "database/select_shape.h"
#include "database/sqlite_extensions.h"
#include "database/sqlite_pages.h"

#include <QFile>
#include <QSet>
#include <algorithm>
#include <map>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

// ---------------------------------------------------------------------------
// The new file, through SQLite

struct OwnConnection
{
    sqlite3* db = nullptr;
    ~OwnConnection() { sqlite3_close_v2(db); }
};

class Statement
{
public:
    Statement(sqlite3* db, const QString& sql)
    {
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &m_statement, nullptr) != SQLITE_OK) {
            sqlite3_finalize(m_statement);
            m_statement = nullptr;
        }
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    explicit operator bool() const { return m_statement != nullptr; }
    sqlite3_stmt* get() const { return m_statement; }
    // Runs the statement once with what is bound; true when it changed a row.
    bool runChanging(sqlite3* db)
    {
        const bool changed = sqlite3_step(m_statement) == SQLITE_DONE && sqlite3_changes(db) > 0;
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
        return changed;
    }

private:
    sqlite3_stmt* m_statement = nullptr;
};

bool run(sqlite3* db, const QString& sql)
{
    return sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

enum class TextEncoding { Utf8 = 1, Utf16Le = 2, Utf16Be = 3 };

void bindStored(sqlite3_stmt* statement, int index, const StoredValue& value, TextEncoding encoding)
{
    switch (value.kind) {
    case StoredValue::Kind::Null:
        sqlite3_bind_null(statement, index);
        break;
    case StoredValue::Kind::Integer:
        sqlite3_bind_int64(statement, index, value.integer);
        break;
    case StoredValue::Kind::Real:
        sqlite3_bind_double(statement, index, value.real);
        break;
    case StoredValue::Kind::Text:
        if (encoding == TextEncoding::Utf8) {
            sqlite3_bind_text(statement, index, value.bytes.constData(), int(value.bytes.size()),
                              SQLITE_TRANSIENT);
        } else {
            QByteArray bytes = value.bytes;
            if ((encoding == TextEncoding::Utf16Be) == (QSysInfo::ByteOrder == QSysInfo::LittleEndian))
                for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
                    std::swap(bytes[i], bytes[i + 1]);
            sqlite3_bind_text16(statement, index, bytes.constData(), int(bytes.size() & ~qsizetype(1)),
                                SQLITE_TRANSIENT);
        }
        break;
    case StoredValue::Kind::Blob:
        sqlite3_bind_blob(statement, index, value.bytes.constData(), int(value.bytes.size()),
                          SQLITE_TRANSIENT);
        break;
    }
}

QString textOf(const StoredValue& value, TextEncoding encoding)
{
    if (value.kind != StoredValue::Kind::Text)
        return {};
    if (encoding == TextEncoding::Utf8)
        return QString::fromUtf8(value.bytes);
    QString text(value.bytes.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const quint8 first = quint8(value.bytes[2 * i]);
        const quint8 second = quint8(value.bytes[2 * i + 1]);
        text[i] = encoding == TextEncoding::Utf16Le ? QChar(char16_t(second << 8 | first))
                                                    : QChar(char16_t(first << 8 | second));
    }
    return text;
}

bool sameName(const QString& left, const QString& right)
{
    return left.compare(right, Qt::CaseInsensitive) == 0;
}

// ---------------------------------------------------------------------------
// The damaged file's own account of itself

struct SchemaEntry
{
    QString type;
    QString name;
    QString table;
    QString sql;
    qint64 root = 0;
};

std::vector<SchemaEntry> readSchema(const PageFile& file, TextEncoding encoding)
{
    std::vector<SchemaEntry> entries;
    TreeWalk walk;
    walk.tableRow = [&](qint64, const QByteArray& payload, bool) {
        const std::optional<StoredRecord> record = decodeRecord(payload);
        if (!record || record->size() < 5)
            return;
        const StoredRecord& values = *record;
        SchemaEntry entry{textOf(values[0], encoding), textOf(values[1], encoding),
                          textOf(values[2], encoding), textOf(values[4], encoding),
                          values[3].kind == StoredValue::Kind::Integer ? values[3].integer : 0};
        for (const auto type : {u"table", u"index", u"view", u"trigger"})
            if (entry.type == type && !entry.name.isEmpty())
                entries.push_back(entry);
    };
    walkTree(file, 1, walk);
    return entries;
}

// What the first pages of a tree hold, to judge whether it is the tree of the
// table a definition describes.
struct TreeSample
{
    bool isTable = false;
    bool readable = false; // the root is a b-tree page
    int typicalLength = 0; // the most common number of values in a record; 0 when none was read
};

TreeSample sampleTree(const PageFile& file, qint64 root)
{
    TreeSample sample;
    const std::optional<BtreePage> page = file.btreePage(root);
    if (!page)
        return sample;
    sample.readable = true;
    sample.isTable = page->isTable();
    std::map<int, int> lengths;
    TreeWalk walk;
    walk.pageLimit = 8;
    const auto count = [&lengths](const QByteArray& payload) {
        if (const std::optional<StoredRecord> record = decodeRecord(payload))
            ++lengths[int(record->size())];
    };
    walk.tableRow = [&count](qint64, const QByteArray& payload, bool) { count(payload); };
    walk.indexEntry = count;
    walkTree(file, root, walk);
    int most = 0;
    for (const auto& [length, times] : lengths)
        if (times > most) {
            most = times;
            sample.typicalLength = length;
        }
    return sample;
}

// Whether records of `length` values can be rows of a table of `columns`
// columns: never more values than columns (a row of a wider table, or no row
// at all), and in a wide table at least half as many (columns added later
// are missing from older rows, but a row of two values in a table of twenty
// is a row of another table).
bool fitsColumns(int length, qsizetype columns)
{
    return length <= columns && (columns < 6 || length * 2 >= columns);
}

// ---------------------------------------------------------------------------
// One table of the new file

struct TargetTable
{
    QString name;
    QStringList columns;
    int rowidColumn = -1; // the INTEGER PRIMARY KEY column, which is the rowid itself
};

TargetTable targetTable(sqlite3* db, const QString& name)
{
    TargetTable table{name, {}, -1};
    Statement info(db, u"SELECT name, type, pk FROM pragma_table_info(?1)"_s);
    if (!info)
        return table;
    const QByteArray utf8 = name.toUtf8();
    sqlite3_bind_text(info.get(), 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    int keyColumns = 0;
    int integerKey = -1;
    while (sqlite3_step(info.get()) == SQLITE_ROW) {
        const QString column =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 0)));
        const QString type =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 1)));
        if (sqlite3_column_int(info.get(), 2) > 0) {
            ++keyColumns;
            if (sameName(type, u"INTEGER"_s))
                integerKey = int(table.columns.size());
        }
        table.columns << column;
    }
    if (keyColumns == 1)
        table.rowidColumn = integerKey;
    return table;
}

// For every column of the new table, where its value lies in a record of the
// damaged one: found by name, and a column whose name was damaged by its
// place among the others.
std::vector<int> sourcePositions(const TargetTable& target, const QStringList& source)
{
    std::vector<int> positions(size_t(target.columns.size()), -1);
    std::vector<bool> taken(size_t(source.size()), false);
    for (qsizetype column = 0; column < target.columns.size(); ++column) {
        for (qsizetype at = 0; at < source.size(); ++at)
            if (!taken[size_t(at)] && sameName(source[at], target.columns[column])) {
                positions[size_t(column)] = int(at);
                taken[size_t(at)] = true;
                break;
            }
    }
    const auto knownToTarget = [&target](const QString& name) {
        return std::any_of(target.columns.begin(), target.columns.end(),
                           [&name](const QString& column) { return sameName(column, name); });
    };
    for (qsizetype column = 0; column < target.columns.size(); ++column)
        if (positions[size_t(column)] < 0 && column < source.size() && !taken[size_t(column)] &&
            !knownToTarget(source[column])) {
            positions[size_t(column)] = int(column);
            taken[size_t(column)] = true;
        }
    return positions;
}

class Salvage
{
public:
    Salvage(const PageFile& file, sqlite3* target, const KnownLayout& layout,
            const std::function<void(qint64, qint64)>& advance)
        : m_file(file), m_target(target), m_layout(layout), m_advance(advance)
    {
        const std::optional<quint32> encoding = file.headerField(56);
        if (encoding && (*encoding == 2 || *encoding == 3))
            m_encoding = TextEncoding(*encoding);
        m_schema = readSchema(file, m_encoding);
    }

    bool schemaFound() const { return !m_schema.empty(); }

    void createTables();
    void copyTables();
    void copySequence();
    void createIndexesAndTheRest();
    std::vector<TableRecovery> recoveries() const;
    bool anythingFound() const
    {
        return std::any_of(m_tables.begin(), m_tables.end(),
                           [](const Table& table) { return table.recovery.found; });
    }

private:
    struct Source
    {
        qint64 root = 0;
        QStringList columns;
    };
    struct Table
    {
        TargetTable target;
        QString sourceSql; // the damaged file's own definition, when it has one
        TableRecovery recovery;
        std::vector<qint64> keysFromTable; // sorted once the table is copied
    };

    const KnownDefinition* known(const QString& type, const QString& name) const;
    const SchemaEntry* schemaEntry(const QString& type, const QString& name) const;
    bool rootUsedBySchema(qint64 root) const;
    std::optional<Source> findSource(const Table& table) const;
    void copyRows(Table& table, const Source& source);
    void restoreFromIndexes(Table& table);
    bool mayHoldLostRows(const Table& table, qint64 root);
    void restoreFromIndex(Table& table, qint64 root, const QStringList& indexColumns,
                          QSet<qint64>& fromIndexes);
    void walked(const TreeWalkStats& stats) { m_pagesRead += stats.pages; }
    TreeWalk walkReporting() const;

    const PageFile& m_file;
    sqlite3* m_target;
    const KnownLayout& m_layout;
    std::function<void(qint64, qint64)> m_advance;
    TextEncoding m_encoding = TextEncoding::Utf8;
    std::vector<SchemaEntry> m_schema;
    std::vector<Table> m_tables;
    qint64 m_pagesRead = 0;
};

const KnownDefinition* Salvage::known(const QString& type, const QString& name) const
{
    for (const KnownDefinition& definition : m_layout.definitions)
        if (definition.type == type && sameName(definition.name, name))
            return &definition;
    return nullptr;
}

const SchemaEntry* Salvage::schemaEntry(const QString& type, const QString& name) const
{
    for (const SchemaEntry& entry : m_schema)
        if (entry.type == type && sameName(entry.name, name))
            return &entry;
    // A table whose name was damaged is still named by its indexes' entries.
    if (type == u"table")
        for (const SchemaEntry& entry : m_schema)
            if (entry.type == type && sameName(entry.table, name))
                return &entry;
    return nullptr;
}

bool Salvage::rootUsedBySchema(qint64 root) const
{
    return std::any_of(m_schema.begin(), m_schema.end(),
                       [root](const SchemaEntry& entry) { return entry.root == root; });
}

TreeWalk Salvage::walkReporting() const
{
    TreeWalk walk;
    if (m_advance) {
        const qint64 before = m_pagesRead;
        walk.progress = [this, before](qint64 pages) { m_advance(before + pages, m_file.pageCount()); };
    }
    return walk;
}

// The known tables first, in the layout's order, then whatever other tables
// the damaged file defines readably.
void Salvage::createTables()
{
    for (const KnownDefinition& definition : m_layout.definitions) {
        if (definition.type != u"table" || definition.name.startsWith(u"sqlite_"_s, Qt::CaseInsensitive))
            continue;
        if (!run(m_target, definition.sql))
            continue;
        const SchemaEntry* own = schemaEntry(u"table"_s, definition.name);
        m_tables.push_back({targetTable(m_target, definition.name), own ? own->sql : QString(), {}, {}});
    }
    for (const SchemaEntry& entry : m_schema) {
        // An entry whose name was damaged still names its table in tbl_name.
        if (entry.type != u"table" || entry.name.startsWith(u"sqlite_"_s, Qt::CaseInsensitive) ||
            known(u"table"_s, entry.name) || known(u"table"_s, entry.table) ||
            std::any_of(m_tables.begin(), m_tables.end(),
                        [&entry](const Table& table) { return sameName(table.target.name, entry.name); }))
            continue;
        // A definition SQLite no longer accepts (a damaged type or collation)
        // still names its columns.
        if (!run(m_target, entry.sql)) {
            QStringList columns;
            for (const QString& column : declaredColumns(entry.sql))
                columns << quoteSqlName(column);
            if (columns.isEmpty() || columns.contains(u"\"\""_s) ||
                !run(m_target,
                     u"CREATE TABLE %1 (%2)"_s.arg(quoteSqlName(entry.name), columns.join(u", "_s))))
                continue;
        }
        m_tables.push_back({targetTable(m_target, entry.name), entry.sql, {}, {}});
    }
    for (Table& table : m_tables)
        table.recovery.table = table.target.name;
}

// Where the table's rows lie: the root page the damaged file's schema gives,
// or, when that is lost or leads elsewhere, the root page a file of the known
// layout keeps it at; either only when the tree there holds rows that fit
// the table. The column order of its records comes from its own definition
// when that fits them, else from the known one.
std::optional<Salvage::Source> Salvage::findSource(const Table& table) const
{
    std::vector<qint64> roots;
    if (const SchemaEntry* own = schemaEntry(u"table"_s, table.target.name))
        roots.push_back(own->root);
    if (const KnownDefinition* definition = known(u"table"_s, table.target.name);
        definition && definition->rootPage > 1 && !rootUsedBySchema(definition->rootPage))
        roots.push_back(definition->rootPage);
    const QStringList ownColumns = declaredColumns(table.sourceSql);
    for (const qint64 root : roots) {
        const TreeSample sample = sampleTree(m_file, root);
        if (!sample.readable || !sample.isTable)
            continue;
        if (sample.typicalLength == 0) // no row read: an empty table, or its first pages lost
            return Source{root, ownColumns.isEmpty() ? table.target.columns : ownColumns};
        if (!ownColumns.isEmpty() && fitsColumns(sample.typicalLength, ownColumns.size()))
            return Source{root, ownColumns};
        if (fitsColumns(sample.typicalLength, table.target.columns.size()))
            return Source{root, table.target.columns};
    }
    return std::nullopt;
}

void Salvage::copyTables()
{
    for (Table& table : m_tables) {
        const std::optional<Source> source = findSource(table);
        if (source) {
            table.recovery.found = true;
            copyRows(table, *source);
        } else {
            table.recovery.columnsNotFound = table.target.columns;
        }
        restoreFromIndexes(table);
        Statement count(m_target, u"SELECT count(*) FROM %1"_s.arg(quoteSqlName(table.target.name)));
        if (count && sqlite3_step(count.get()) == SQLITE_ROW)
            table.recovery.rows = sqlite3_column_int64(count.get(), 0);
    }
}

void Salvage::copyRows(Table& table, const Source& source)
{
    const std::vector<int> positions = sourcePositions(table.target, source.columns);
    QStringList names{u"rowid"_s};
    QStringList placeholders{u"?1"_s};
    std::vector<int> bound; // source position of each parameter after the rowid
    for (qsizetype column = 0; column < table.target.columns.size(); ++column) {
        if (column == table.target.rowidColumn)
            continue;
        if (positions[size_t(column)] < 0) {
            table.recovery.columnsNotFound << table.target.columns[column];
            continue;
        }
        names << quoteSqlName(table.target.columns[column]);
        placeholders << u"?%1"_s.arg(placeholders.size() + 1);
        bound.push_back(positions[size_t(column)]);
    }
    Statement insert(m_target,
                     u"INSERT OR IGNORE INTO %1 (%2) VALUES (%3)"_s.arg(
                         quoteSqlName(table.target.name), names.join(u", "_s), placeholders.join(u", "_s)));
    if (!insert)
        return;
    const auto store = [&](qint64 key, const StoredRecord& record) {
        sqlite3_bind_int64(insert.get(), 1, key);
        for (size_t parameter = 0; parameter < bound.size(); ++parameter) {
            const size_t at = size_t(bound[parameter]);
            if (at < record.size())
                bindStored(insert.get(), int(parameter) + 2, record[at], m_encoding);
        }
        if (insert.runChanging(m_target))
            table.keysFromTable.push_back(key);
    };
    // Rows found where no search by key would look (outside the key range
    // their parents give) may be strays: they come after every row found in
    // its place, and never replace one.
    std::vector<std::pair<qint64, StoredRecord>> strays;
    TreeWalk walk = walkReporting();
    walk.tableRow = [&](qint64 key, const QByteArray& payload, bool withinBounds) {
        std::optional<StoredRecord> record = decodeRecord(payload);
        if (!record || !fitsColumns(int(record->size()), source.columns.size())) {
            ++table.recovery.unreadableRows;
            return;
        }
        if (withinBounds)
            store(key, *record);
        else
            strays.emplace_back(key, std::move(*record));
    };
    const TreeWalkStats stats = walkTree(m_file, source.root, walk);
    walked(stats);
    for (const auto& [key, record] : strays)
        store(key, record);
    table.recovery.unreadableRows += stats.unreadableCells;
    table.recovery.damagedPages += stats.damagedPages;
    std::sort(table.keysFromTable.begin(), table.keysFromTable.end());
}

// Rows the table lost come back from every index that still holds them, each
// index giving the columns it keeps; the others take their defaults.
void Salvage::restoreFromIndexes(Table& table)
{
    QSet<qint64> fromIndexes;
    QStringList done;
    for (const SchemaEntry& entry : m_schema) {
        if (entry.type != u"index" || !sameName(entry.table, table.target.name) || entry.root < 2)
            continue;
        QStringList columns = declaredColumns(entry.sql);
        if (const KnownDefinition* definition = known(u"index"_s, entry.name);
            columns.isEmpty() && definition)
            columns = declaredColumns(definition->sql);
        if (!columns.isEmpty() && mayHoldLostRows(table, entry.root))
            restoreFromIndex(table, entry.root, columns, fromIndexes);
        done << entry.name;
    }
    // Indexes the schema no longer lists are looked for where a file of the
    // known layout keeps them.
    for (const KnownDefinition& definition : m_layout.definitions) {
        if (definition.type != u"index" || !sameName(definition.table, table.target.name) ||
            definition.rootPage < 2 || done.contains(definition.name, Qt::CaseInsensitive) ||
            rootUsedBySchema(definition.rootPage))
            continue;
        const TreeSample sample = sampleTree(m_file, definition.rootPage);
        const QStringList columns = declaredColumns(definition.sql);
        if (sample.readable && !sample.isTable && sample.typicalLength == columns.size() + 1 &&
            mayHoldLostRows(table, definition.rootPage))
            restoreFromIndex(table, definition.rootPage, columns, fromIndexes);
    }
    table.recovery.rowsFromIndexes = fromIndexes.size();
}

// Whether the index at root may list rows the table lost: always when the
// table's walk met damage, otherwise only when the index has more entries
// than the table gave rows (its cell counts can be damaged too). Counting is
// cheap; reading every entry of every index of a large table is not.
bool Salvage::mayHoldLostRows(const Table& table, qint64 root)
{
    const TableRecovery& read = table.recovery;
    if (!read.found || read.unreadableRows > 0 || read.damagedPages > 0)
        return true;
    const TreeWalkStats stats = walkTree(m_file, root, walkReporting());
    walked(stats);
    return stats.entries > qint64(table.keysFromTable.size());
}

void Salvage::restoreFromIndex(Table& table, qint64 root, const QStringList& indexColumns,
                               QSet<qint64>& fromIndexes)
{
    // The index's columns that the table has, by their place in an entry.
    std::vector<std::pair<int, QString>> kept;
    for (qsizetype at = 0; at < indexColumns.size(); ++at)
        for (qsizetype column = 0; column < table.target.columns.size(); ++column)
            if (column != table.target.rowidColumn && !indexColumns[at].isEmpty() &&
                sameName(indexColumns[at], table.target.columns[column]))
                kept.emplace_back(int(at), table.target.columns[column]);
    if (kept.empty())
        return;
    QStringList names{u"rowid"_s};
    QStringList placeholders{u"?1"_s};
    QStringList assignments;
    for (const auto& [at, column] : kept) {
        names << quoteSqlName(column);
        placeholders << u"?%1"_s.arg(placeholders.size() + 1);
        assignments << u"%1 = %2"_s.arg(quoteSqlName(column), placeholders.last());
    }
    const QString quotedTable = quoteSqlName(table.target.name);
    Statement insert(m_target, u"INSERT OR IGNORE INTO %1 (%2) VALUES (%3)"_s.arg(
                                   quotedTable, names.join(u", "_s), placeholders.join(u", "_s)));
    Statement update(m_target, assignments.isEmpty() ? u"SELECT 1"_s
                                                     : u"UPDATE %1 SET %2 WHERE rowid = ?1"_s.arg(
                                                           quotedTable, assignments.join(u", "_s)));
    if (!insert || !update)
        return;
    TreeWalk walk = walkReporting();
    walk.indexEntry = [&](const QByteArray& payload) {
        const std::optional<StoredRecord> record = decodeRecord(payload);
        if (!record || record->size() != size_t(indexColumns.size()) + 1 ||
            record->back().kind != StoredValue::Kind::Integer)
            return;
        const qint64 key = record->back().integer;
        if (std::binary_search(table.keysFromTable.begin(), table.keysFromTable.end(), key))
            return;
        const bool seen = fromIndexes.contains(key);
        Statement& statement = seen ? update : insert;
        sqlite3_bind_int64(statement.get(), 1, key);
        for (size_t i = 0; i < kept.size(); ++i)
            bindStored(statement.get(), int(i) + 2, (*record)[size_t(kept[i].first)], m_encoding);
        if (statement.runChanging(m_target) && !seen)
            fromIndexes.insert(key);
    };
    walked(walkTree(m_file, root, walk));
}

// The counters of AUTOINCREMENT tables go on above every key the damaged
// file had given out, so that no key of a lost row is given again.
void Salvage::copySequence()
{
    qint64 root = 0;
    if (const SchemaEntry* sequence = schemaEntry(u"table"_s, u"sqlite_sequence"_s))
        root = sequence->root;
    else if (const KnownDefinition* definition = known(u"table"_s, u"sqlite_sequence"_s);
             definition && !rootUsedBySchema(definition->rootPage) &&
             sampleTree(m_file, definition->rootPage).typicalLength == 2)
        root = definition->rootPage;
    Statement raise(m_target, u"UPDATE sqlite_sequence SET seq = max(seq, ?2) WHERE name = ?1"_s);
    Statement add(m_target, u"INSERT INTO sqlite_sequence (name, seq) SELECT ?1, ?2 WHERE NOT EXISTS "
                            u"(SELECT 1 FROM sqlite_sequence WHERE name = ?1)"_s);
    if (root < 2 || !raise || !add)
        return;
    TreeWalk walk;
    walk.tableRow = [&](qint64, const QByteArray& payload, bool) {
        const std::optional<StoredRecord> record = decodeRecord(payload);
        if (!record || record->size() != 2 || (*record)[1].kind != StoredValue::Kind::Integer)
            return;
        const QString name = textOf((*record)[0], m_encoding);
        const auto table = std::find_if(m_tables.begin(), m_tables.end(), [&name](const Table& candidate) {
            return sameName(candidate.target.name, name);
        });
        if (table == m_tables.end())
            return;
        const QByteArray utf8 = table->target.name.toUtf8();
        for (Statement* statement : {&raise, &add}) {
            sqlite3_bind_text(statement->get(), 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int64(statement->get(), 2, (*record)[1].integer);
            statement->runChanging(m_target);
        }
    };
    walked(walkTree(m_file, root, walk));
}

// Indexes are built from the rows copied, the known ones from their known
// definitions. The damaged file's other indexes, views and triggers follow
// when their definitions still read; one that does not is left out.
void Salvage::createIndexesAndTheRest()
{
    for (const KnownDefinition& definition : m_layout.definitions)
        if (definition.type == u"index")
            run(m_target, definition.sql);
    for (const QString& type : {u"index"_s, u"view"_s, u"trigger"_s})
        for (const SchemaEntry& entry : m_schema)
            if (entry.type == type && !entry.sql.isEmpty() && !known(type, entry.name))
                run(m_target, entry.sql);
}

std::vector<TableRecovery> Salvage::recoveries() const
{
    std::vector<TableRecovery> result;
    for (const Table& table : m_tables)
        result.push_back(table.recovery);
    return result;
}

void copyHeaderValues(sqlite3* target, const PageFile& file, const KnownLayout& layout)
{
    const auto value = [&file](const std::optional<qint64>& wanted, int offset) -> std::optional<qint64> {
        if (wanted)
            return wanted;
        if (const std::optional<quint32> field = file.headerField(offset))
            return qint64(qint32(*field));
        return std::nullopt;
    };
    if (const auto id = value(layout.applicationId, 68))
        run(target, u"PRAGMA application_id = %1"_s.arg(*id));
    if (const auto version = value(layout.userVersion, 60))
        run(target, u"PRAGMA user_version = %1"_s.arg(*version));
}

} // namespace

SalvageOutcome salvageInto(const QString& damaged, const QString& rebuilt, const KnownLayout& layout,
                           const std::function<void(qint64, qint64)>& advance)
{
    SalvageOutcome outcome;
    const FileSource source(damaged);
    if (!source.isOpen())
        return outcome;
    const PageFile file(source);
    OwnConnection target;
    if (QFile::exists(rebuilt) ||
        sqlite3_open_v2(QFile::encodeName(rebuilt).constData(), &target.db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        return outcome;
    registerSqliteExtensions(target.db);
    // The new file is nobody's until it is complete and renamed into place:
    // a journal would only slow it down. Whoever renames it syncs it first.
    run(target.db, u"PRAGMA journal_mode = OFF"_s);
    run(target.db, u"PRAGMA synchronous = OFF"_s);
    run(target.db, u"PRAGMA cache_size = -65536"_s);
    copyHeaderValues(target.db, file, layout);
    Salvage salvage(file, target.db, layout, advance);
    if (!run(target.db, u"BEGIN"_s))
        return outcome;
    salvage.createTables();
    salvage.copyTables();
    salvage.copySequence();
    salvage.createIndexesAndTheRest();
    outcome.tables = salvage.recoveries();
    outcome.anythingFound = salvage.anythingFound();
    outcome.written = run(target.db, u"COMMIT"_s);
    return outcome;
}
