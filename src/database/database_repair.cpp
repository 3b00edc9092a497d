// Compaction and repair of a catalogue file that no one has open.

#include "common/clock.h"
#include "database/catalogue_file_check.h"
#include "database/database.h"
#include "database/select_shape.h"
#include "database/sqlite_error.h"
#include "database/sqlite_extensions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <limits>
#include <sqlite3.h>
#include <vector>

using namespace Qt::StringLiterals;

void compactDatabase(const QString& source, const QString& destination)
{
    if (QFileInfo::exists(destination))
        throw DbError(3204, u"Database '%1' already exists."_s.arg(QDir::toNativeSeparators(destination)));
    std::unique_ptr<Database> database = Database::open(source, Database::OpenMode::Shared);
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(database->handle(), "VACUUM INTO ?1", -1, &statement, nullptr);
    if (rc == SQLITE_OK) {
        const QByteArray target = QFile::encodeName(destination);
        sqlite3_bind_text(statement, 1, target.constData(), int(target.size()), SQLITE_TRANSIENT);
        rc = sqlite3_step(statement);
    }
    if (rc != SQLITE_OK && rc != SQLITE_DONE) {
        const DbError error = sqliteError(database->handle(), rc, u"compacting into '%1'"_s.arg(destination));
        sqlite3_finalize(statement);
        database->close();
        QFile::remove(destination);
        throw error;
    }
    sqlite3_finalize(statement);
    database->close();
}

namespace {

// A connection that closes itself; statements are finalised by their users.
struct Handle
{
    sqlite3* db = nullptr;
    ~Handle() { sqlite3_close_v2(db); }
};

struct Query
{
    sqlite3_stmt* statement = nullptr;
    Query(sqlite3* db, const QString& sql)
    {
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK) {
            sqlite3_finalize(statement);
            statement = nullptr;
        }
    }
    ~Query() { sqlite3_finalize(statement); }
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;
    explicit operator bool() const { return statement != nullptr; }
    QString text(int column) const
    {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)));
    }
};

bool run(sqlite3* db, const QString& sql)
{
    return sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

struct SchemaEntry
{
    QString type;
    QString name;
    QString sql;
};

std::vector<SchemaEntry> readableSchema(sqlite3* db)
{
    std::vector<SchemaEntry> entries;
    Query query(db, u"SELECT type, name, sql FROM sqlite_master WHERE sql IS NOT NULL ORDER BY rowid"_s);
    if (!query)
        return entries;
    while (sqlite3_step(query.statement) == SQLITE_ROW)
        entries.push_back({query.text(0), query.text(1), query.text(2)});
    return entries;
}

// The columns to copy besides the rowid: an INTEGER PRIMARY KEY is the rowid
// itself and is left out.
QStringList columnsBesideRowid(sqlite3* db, const QString& table)
{
    QStringList columns;
    QString integerKey;
    int keyParts = 0;
    Query info(db, u"SELECT name, type, pk FROM pragma_table_info(%1)"_s.arg(
                       u"'"_s + QString(table).replace(u'\'', u"''"_s) + u"'"_s));
    if (!info)
        return columns;
    while (sqlite3_step(info.statement) == SQLITE_ROW) {
        columns << info.text(0);
        if (sqlite3_column_int(info.statement, 2) > 0) {
            ++keyParts;
            if (info.text(1).compare(u"INTEGER"_s, Qt::CaseInsensitive) == 0)
                integerKey = info.text(0);
        }
    }
    if (keyParts == 1 && !integerKey.isEmpty())
        columns.removeAll(integerKey);
    return columns;
}

// How many rows a scan of the damaged file may still read. A damaged page can
// lead a scan round in a circle; no file holds more rows than it has bytes,
// so every loop over it ends when the budget does.
struct ReadBudget
{
    qint64 rowsLeft;
    bool spend() { return rowsLeft-- > 0; }
};

// Copies every row of table that can still be read, in rowid order. A damaged
// page makes the scan fail; the scan then starts again behind the last row
// read, jumping ever further ahead until it finds readable rows again. A key
// that does not grow means the scan went astray: it counts as a failure too.
int copyReadableRows(sqlite3* source, sqlite3* target, const QString& table, ReadBudget& budget)
{
    const QStringList columns = columnsBesideRowid(source, table);
    QStringList quoted;
    for (const QString& column : columns)
        quoted << quoteSqlName(column);
    const QString list = quoted.isEmpty() ? QString() : u", "_s + quoted.join(u", "_s);
    Query read(source,
               u"SELECT rowid%1 FROM %2 WHERE rowid > ?1 ORDER BY rowid"_s.arg(list, quoteSqlName(table)));
    QString placeholders = u"?"_s;
    for (qsizetype i = 0; i < columns.size(); ++i)
        placeholders += u", ?"_s;
    Query write(target,
                u"INSERT INTO %1 (rowid%2) VALUES (%3)"_s.arg(quoteSqlName(table), list, placeholders));
    if (!read || !write)
        return 0;

    constexpr qint64 NoRowYet = std::numeric_limits<qint64>::min();
    int copied = 0;
    qint64 after = NoRowYet;
    qint64 jump = 1;
    int failuresInARow = 0;
    while (failuresInARow < 64 && budget.rowsLeft > 0) {
        sqlite3_bind_int64(read.statement, 1, after);
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(read.statement)) == SQLITE_ROW) {
            const qint64 key = sqlite3_column_int64(read.statement, 0);
            if ((after != NoRowYet && key <= after) || !budget.spend()) {
                rc = SQLITE_CORRUPT;
                break;
            }
            failuresInARow = 0;
            jump = 1;
            after = key;
            for (int i = 0; i <= int(columns.size()); ++i)
                sqlite3_bind_value(write.statement, i + 1, sqlite3_column_value(read.statement, i));
            if (sqlite3_step(write.statement) == SQLITE_DONE)
                ++copied;
            sqlite3_reset(write.statement);
        }
        sqlite3_reset(read.statement);
        if (rc == SQLITE_DONE)
            break;
        ++failuresInARow;
        if (after == NoRowYet)
            after = 0;
        if (after > std::numeric_limits<qint64>::max() - jump)
            break;
        after += jump;
        jump = jump > std::numeric_limits<qint64>::max() / 2 ? jump : jump * 2;
    }
    return copied;
}

void copySequence(sqlite3* source, sqlite3* target)
{
    Query read(source, u"SELECT name, seq FROM sqlite_sequence"_s);
    Query write(target, u"UPDATE sqlite_sequence SET seq = max(seq, ?2) WHERE name = ?1"_s);
    Query add(target, u"INSERT INTO sqlite_sequence (name, seq) SELECT ?1, ?2 WHERE NOT EXISTS "
                      u"(SELECT 1 FROM sqlite_sequence WHERE name = ?1)"_s);
    if (!read || !write || !add)
        return;
    while (sqlite3_step(read.statement) == SQLITE_ROW) {
        for (sqlite3_stmt* statement : {write.statement, add.statement}) {
            sqlite3_bind_value(statement, 1, sqlite3_column_value(read.statement, 0));
            sqlite3_bind_value(statement, 2, sqlite3_column_value(read.statement, 1));
            sqlite3_step(statement);
            sqlite3_reset(statement);
        }
    }
}

QString unusedPath(const QString& folder, const QString& baseName, const QString& suffix)
{
    QString candidate = folder + u'/' + baseName + suffix;
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = folder + u'/' + baseName + u" "_s + QString::number(n) + suffix;
    return candidate;
}

RepairResult nothingRecovered(const QString& path, const QString& reason)
{
    RepairResult result;
    result.message =
        u"The catalogue '%1' could not be repaired: %2 Nothing could be recovered, and the file was "
        u"left as it was."_s.arg(QDir::toNativeSeparators(path), reason);
    return result;
}

using KnownTables = std::vector<std::pair<QString, QString>>;

bool isReadableTable(sqlite3* db, const QString& table)
{
    Query info(db, u"SELECT 1 FROM pragma_table_info(%1)"_s.arg(
                       u"'"_s + QString(table).replace(u'\'', u"''"_s) + u"'"_s));
    return info && sqlite3_step(info.statement) == SQLITE_ROW;
}

// When the definitions of known tables cannot be read, their pages may still
// be intact: a working copy of the damaged file gets the known definitions
// written into its schema so that the rows can be read by their layout.
// Returns whether any definition was put back.
bool restoreKnownDefinitions(const QString& workingCopy, const KnownTables& knownTables)
{
    Handle copy;
    if (knownTables.empty() || sqlite3_open_v2(QFile::encodeName(workingCopy).constData(), &copy.db,
                                               SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        return false;
    run(copy.db, u"PRAGMA writable_schema = ON"_s);
    Query patch(copy.db, u"UPDATE sqlite_master SET sql = ?2 WHERE type = 'table' AND name = ?1"_s);
    Query dropIndexes(copy.db, u"DELETE FROM sqlite_master WHERE type = 'index' AND tbl_name = ?1"_s);
    if (!patch || !dropIndexes)
        return false;
    bool restored = false;
    for (const auto& [table, definition] : knownTables) {
        if (isReadableTable(copy.db, table))
            continue;
        const QByteArray name = table.toUtf8();
        const QByteArray sql = definition.toUtf8();
        sqlite3_bind_text(patch.statement, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(patch.statement, 2, sql.constData(), int(sql.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(patch.statement) == SQLITE_DONE && sqlite3_changes(copy.db) > 0) {
            restored = true;
            // Its indexes are rebuilt from the known definitions instead.
            sqlite3_bind_text(dropIndexes.statement, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
            sqlite3_step(dropIndexes.statement);
            sqlite3_reset(dropIndexes.statement);
        }
        sqlite3_reset(patch.statement);
    }
    return restored;
}

struct Rebuilt
{
    bool readable = false;
    std::vector<std::pair<QString, int>> rowsByTable;
};

// Builds the new file beside the damaged one from source (the damaged file or
// a working copy of it).
Rebuilt rebuildInto(const QString& damaged, const QString& rebuilt, const KnownTables& knownIndexes)
{
    Rebuilt result;
    Handle source;
    if (sqlite3_open_v2(QFile::encodeName(damaged).constData(), &source.db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK)
        return result;
    registerSqliteExtensions(source.db);
    // A definition that cannot be read is passed over rather than stopping
    // every table from being read.
    run(source.db, u"PRAGMA writable_schema = ON"_s);
    std::vector<SchemaEntry> schema = readableSchema(source.db);
    for (const auto& [indexName, sql] : knownIndexes) {
        const QString& name = indexName; // a lambda cannot capture a structured binding on every compiler
        const bool present = std::any_of(schema.begin(), schema.end(), [&name](const SchemaEntry& entry) {
            return entry.name.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (!present)
            schema.push_back({u"index"_s, name, sql});
    }
    if (schema.empty())
        return result;

    Handle target;
    if (sqlite3_open_v2(QFile::encodeName(rebuilt).constData(), &target.db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        return result;
    registerSqliteExtensions(target.db);
    for (const char* setting : {"application_id", "user_version"}) {
        Query value(source.db, u"PRAGMA %1"_s.arg(QLatin1String(setting)));
        if (value && sqlite3_step(value.statement) == SQLITE_ROW)
            run(target.db, u"PRAGMA %1 = %2"_s.arg(QLatin1String(setting))
                               .arg(sqlite3_column_int64(value.statement, 0)));
    }
    run(target.db, u"BEGIN"_s);
    ReadBudget budget{QFileInfo(damaged).size()};
    for (const SchemaEntry& entry : schema) {
        if (entry.type == u"table" && !entry.name.startsWith(u"sqlite_"_s, Qt::CaseInsensitive) &&
            isReadableTable(source.db, entry.name) && run(target.db, entry.sql))
            result.rowsByTable.emplace_back(entry.name,
                                            copyReadableRows(source.db, target.db, entry.name, budget));
    }
    copySequence(source.db, target.db);
    // Indexes, views and triggers last: an index is rebuilt from the rows
    // copied, and one that the recovered rows break is left out.
    for (const SchemaEntry& entry : schema) {
        if (entry.type != u"table")
            run(target.db, entry.sql);
    }
    result.readable = !result.rowsByTable.empty() && run(target.db, u"COMMIT"_s);
    return result;
}

} // namespace

RepairResult repairDatabase(const QString& path, const KnownTables& knownTables)
{
    const QString shown = QDir::toNativeSeparators(path);
    if (HeldCatalogueFiles::isHeld(path)) {
        RepairResult result;
        result.message = u"The catalogue '%1' cannot be repaired while it is open."_s.arg(shown);
        return result;
    }
    switch (inspectCatalogueFile(path)) {
    case CatalogueFileKind::Missing:
        return nothingRecovered(path, u"the file does not exist."_s);
    case CatalogueFileKind::Directory:
        return nothingRecovered(path, u"it is a folder."_s);
    case CatalogueFileKind::Unreadable:
        return nothingRecovered(path, u"the file cannot be read."_s);
    case CatalogueFileKind::Empty:
        return nothingRecovered(path, u"the file is empty."_s);
    case CatalogueFileKind::Foreign:
        return nothingRecovered(path, u"it is not a catalogue file of this program."_s);
    case CatalogueFileKind::JetOrAce:
        return nothingRecovered(
            path, u"it is a catalogue of the older kind, which must be converted, not repaired."_s);
    case CatalogueFileKind::TruncatedSqlite:
        return nothingRecovered(path, u"the file is cut short before the end of its first page."_s);
    case CatalogueFileKind::Sqlite:
        break;
    }
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    const QString suffix = info.suffix().isEmpty() ? QString() : u"."_s + info.suffix();
    for (const QString& leftover :
         QDir(folder).entryList({info.completeBaseName() + u" (repairing)*"_s}, QDir::Files))
        QFile::remove(folder + u'/' + leftover);
    const QString rebuilt = unusedPath(folder, info.completeBaseName() + u" (repairing)"_s, suffix);
    const auto removeRebuilt = [&rebuilt] {
        QFile::remove(rebuilt);
        QFile::remove(rebuilt + u"-journal"_s);
    };

    Rebuilt rows = rebuildInto(path, rebuilt, {});
    if (!rows.readable || std::all_of(rows.rowsByTable.begin(), rows.rowsByTable.end(),
                                      [](const auto& table) { return table.second == 0; })) {
        // The definitions may be what is damaged: try again on a working
        // copy that has the known ones put back.
        QTemporaryDir work;
        const QString copy = work.filePath(u"working copy"_s);
        KnownTables tables;
        KnownTables indexes;
        for (const auto& entry : knownTables)
            (entry.second.startsWith(u"CREATE TABLE"_s, Qt::CaseInsensitive) ? tables : indexes)
                .push_back(entry);
        if (work.isValid() && QFile::copy(path, copy) && restoreKnownDefinitions(copy, tables)) {
            removeRebuilt();
            rows = rebuildInto(copy, rebuilt, indexes);
        }
    }
    if (!rows.readable) {
        removeRebuilt();
        return nothingRecovered(path, u"not even the list of its tables can be read."_s);
    }
    const QString stamp = Clock::now().toString(u"yyyy-MM-dd hh-mm-ss"_s);
    const QString damagedCopy =
        unusedPath(folder, info.completeBaseName() + u" (damaged "_s + stamp + u")"_s, suffix);
    if (!QFile::rename(path, damagedCopy)) {
        removeRebuilt();
        RepairResult result;
        result.message =
            u"The catalogue '%1' is damaged, but it could not be repaired: the damaged file could not "
            u"be set aside. Nothing was changed."_s.arg(shown);
        return result;
    }
    if (!QFile::rename(rebuilt, path)) {
        QFile::rename(damagedCopy, path);
        removeRebuilt();
        RepairResult result;
        result.message =
            u"The catalogue '%1' is damaged, but the repaired copy could not take its place. Nothing "
            u"was changed."_s.arg(shown);
        return result;
    }
    RepairResult result;
    result.recovered = true;
    result.damagedCopyPath = damagedCopy;
    result.rowsByTable = rows.rowsByTable;
    for (const auto& table : rows.rowsByTable)
        result.rowsRecovered += table.second;
    result.message =
        u"The catalogue was damaged. %1 rows were recovered; the damaged file was kept as '%2'."_s
            .arg(result.rowsRecovered)
            .arg(QDir::toNativeSeparators(damagedCopy));
    return result;
}
