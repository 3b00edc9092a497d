#include "database/database.h"

#include "database/catalogue_file_check.h"
#include "database/connection.h"
#include "database/jet_sql.h"
#include "database/page_cache.h"
#include "database/sqlite_error.h"
#include "database/sqlite_extensions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <optional>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

void runPlain(sqlite3* db, const char* sql)
{
    char* message = nullptr;
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &message);
    sqlite3_free(message);
    if (rc != SQLITE_OK)
        throwSqliteError(db, rc, QString::fromUtf8(sql));
}

DbError alreadyInUse(const QString& path)
{
    return DbError(
        DbErrorNumber::AlreadyInUse,
        u"Could not use '%1'; file already in use. Another copy of the program, or another program, "
        u"has it open."_s.arg(QDir::toNativeSeparators(path)));
}

// Marks a new file as this program's catalogue; writing the header is also
// what makes SQLite put the file on disk.
constexpr const char* MarkNewFile = "PRAGMA application_id = 1364543833"; // "QULY"

// SQLite's default page cache (2 MB) holds a fraction of a large catalogue's
// indexes, so every ordered read went back to the file for most pages. The
// cache grows to the file's size, within a bound that keeps the program's
// memory modest at a million books; pages are only taken as they are read.
void sizePageCache(sqlite3* db, const QString& path)
{
    constexpr qint64 SmallestKiB = 2 * 1024;
    constexpr qint64 LargestKiB = 192 * 1024;
    const qint64 wantedKiB = QFileInfo(path).size() / 1024 + 1024;
    const qint64 kib = std::clamp(wantedKiB, SmallestKiB, LargestKiB);
    runPlain(db, QByteArray("PRAGMA cache_size = -" + QByteArray::number(kib)).constData());
}

} // namespace

Database::Database(sqlite3* db, QString path, OpenMode mode)
    : m_db(db), m_path(std::move(path)), m_mode(mode), m_connection(std::make_shared<Connection>())
{
    m_connection->db = db;
    m_connection->path = m_path;
}

Database::~Database()
{
    try {
        close();
    } catch (...) {
        // Closing only fails for statements still open, which close() ends first.
    }
}

std::unique_ptr<Database> Database::open(const QString& path, OpenMode mode)
{
    if (HeldCatalogueFiles::isHeld(path))
        throw alreadyInUse(path);
    checkCatalogueFile(path, mode == OpenMode::Exclusive);
    const QString journalSetAside = setAsideForeignJournal(path);
    const int flags = (mode == OpenMode::Exclusive ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY);
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const DbError error = sqliteError(db, rc);
        sqlite3_close(db);
        throw error;
    }
    std::unique_ptr<Database> database(new Database(db, path, mode));
    database->m_journalSetAside = journalSetAside;
    database->configureConnection();
    return database;
}

void Database::configureConnection()
{
    const int rc = registerSqliteExtensions(m_db);
    if (rc != SQLITE_OK)
        throwSqliteError(m_db, rc);
    sqlite3_busy_timeout(m_db, 0);
    if (m_mode == OpenMode::Exclusive) {
        if (sqlite3_db_readonly(m_db, "main") != 0)
            throw DbError(DbErrorNumber::CannotOpenFile,
                          u"Cannot open '%1' for changes: the file can only be read."_s.arg(
                              QDir::toNativeSeparators(m_path)));
        takeExclusiveLock();
        m_heldKey = HeldCatalogueFiles::hold(m_path);
        runPlain(m_db, "PRAGMA journal_mode=DELETE");
        runPlain(m_db, "PRAGMA synchronous=FULL");
    }
    // Reading the schema proves that the file is a database at all and, in
    // shared mode, that no one holds it exclusively.
    try {
        runPlain(m_db, "SELECT count(*) FROM sqlite_master");
    } catch (const DbError& error) {
        if (error.number() == DbErrorNumber::RecordLocked)
            throw alreadyInUse(m_path);
        throw;
    }
    sizePageCache(m_db, m_path);
}

// In exclusive locking mode the lock taken by a write transaction is kept
// until the connection closes: no other connection, in this process or
// another, can read or write the file meanwhile.
void Database::takeExclusiveLock()
{
    runPlain(m_db, "PRAGMA locking_mode=EXCLUSIVE");
    try {
        runPlain(m_db, "BEGIN EXCLUSIVE");
    } catch (const DbError& error) {
        if (error.number() == DbErrorNumber::RecordLocked)
            throw alreadyInUse(m_path);
        throw;
    }
    runPlain(m_db, "COMMIT");
}

std::unique_ptr<Database> Database::create(const QString& path)
{
    const QFileInfo info(path);
    if (info.exists())
        throw DbError(3204, u"Database '%1' already exists."_s.arg(QDir::toNativeSeparators(path)));
    if (!info.absoluteDir().exists())
        throw DbError(3044, u"'%1' isn't a valid path: the folder does not exist."_s.arg(
                                QDir::toNativeSeparators(info.absolutePath())));
    if (!isWritableFile(info.absolutePath()))
        throw DbError(
            DbErrorNumber::CannotOpenFile,
            u"Cannot create '%1': its folder '%2' is read-only. Allow writing to the folder, or start the "
            u"program in another."_s.arg(QDir::toNativeSeparators(path),
                                         QDir::toNativeSeparators(info.absolutePath())));
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, MarkNewFile, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        const DbError error = sqliteError(db, rc);
        sqlite3_close(db);
        QFile::remove(path);
        throw error;
    }
    sqlite3_close(db);
    return open(path, OpenMode::Exclusive);
}

void Database::execute(const QString& jetSql)
{
    if (!m_db)
        throw DbErrors::objectClosed();
    m_connection->releaseReads();
    const QByteArray sql = translateJetSql(jetSql).toUtf8();
    const char* tail = sql.constData();
    const char* end = tail + sql.size();
    while (tail < end) {
        sqlite3_stmt* statement = nullptr;
        int rc = sqlite3_prepare_v2(m_db, tail, int(end - tail), &statement, &tail);
        if (rc != SQLITE_OK)
            throwSqliteError(m_db, rc, jetSql);
        if (!statement)
            break; // only blanks were left
        try {
            refuseParameters(statement, jetSql);
        } catch (...) {
            sqlite3_finalize(statement);
            throw;
        }
        do {
            rc = sqlite3_step(statement);
        } while (rc == SQLITE_ROW);
        sqlite3_finalize(statement);
        if (rc != SQLITE_DONE)
            throwSqliteError(m_db, rc, jetSql);
    }
}

void Database::beginTransaction()
{
    if (!m_db)
        throw DbErrors::objectClosed();
    m_connection->releaseReads();
    runPlain(m_db, "BEGIN");
}

void Database::commit()
{
    if (!m_db)
        throw DbErrors::objectClosed();
    if (sqlite3_get_autocommit(m_db))
        throw DbError(3034, u"You tried to commit or roll back without first beginning a transaction."_s);
    runPlain(m_db, "COMMIT");
}

void Database::rollback()
{
    // SQLite may have rolled back already after a failed write (a full disk,
    // for instance); there is nothing left to undo then.
    if (!m_db || sqlite3_get_autocommit(m_db))
        return;
    m_connection->releaseReads();
    runPlain(m_db, "ROLLBACK");
}

void Database::close()
{
    if (!m_db)
        return;
    const std::vector<ConnectionUser*> users = m_connection->users;
    for (ConnectionUser* user : users)
        user->connectionClosing();
    m_connection->users.clear();
    sqlite3* db = m_db;
    m_db = nullptr;
    m_connection->db = nullptr;
    sqlite3_close_v2(db);
    if (!m_heldKey.isEmpty())
        HeldCatalogueFiles::release(std::exchange(m_heldKey, QString()));
}

sqlite3* Database::handle() const
{
    // Whoever works on the connection directly may change the schema.
    m_connection->releaseReads();
    return m_db;
}

bool isSoundDatabase(Database& database, IntegrityCheck check)
{
    sqlite3* db = database.handle();
    if (!db)
        throw DbErrors::objectClosed();
    const char* sql = check == IntegrityCheck::Quick ? "PRAGMA quick_check(1)" : "PRAGMA integrity_check(1)";
    // The check reads every page once.
    const std::optional<qint64> browsingCache = PageCache::holdForOnePass(db);
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    bool sound = false;
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(statement);
        sound = rc == SQLITE_ROW &&
                qstrcmp(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)), "ok") == 0;
    }
    sqlite3_finalize(statement);
    if (browsingCache)
        PageCache::setSize(db, *browsingCache);
    const int primary = rc & 0xff;
    if (rc != SQLITE_ROW && primary != SQLITE_CORRUPT && primary != SQLITE_NOTADB)
        throwSqliteError(db, rc, QString::fromUtf8(sql));
    return sound;
}
