#pragma once

#include "database/db_error.h"

#include <QString>
#include <memory>
#include <vector>

struct sqlite3;
struct Connection;
class Recordset;

enum class RecordsetType {
    Dynaset = 2,  // updatable; sees rows added through it
    Snapshot = 4, // read-only
};

// One open catalogue file. The file is an SQLite database; SQL and criteria are
// accepted in the classic desktop dialect (see jet_sql.h) and translated.
//
// Text columns compare and order without regard to case (also for non-ASCII
// letters), `like` takes the classic wildcards (* ? # [list]), ascending order
// puts Null first, and "= null" matches nothing.
//
// Every failing call throws DbError.
class Database
{
public:
    enum class OpenMode {
        Exclusive, // no other connection or process may open the file while it is open
        Shared,    // read-only, others may read too (the field catalogue)
    };

    // Opens an existing file. A missing file, an empty or foreign file, a
    // Jet/Access file, a read-only file or folder and a file another process
    // holds each throw a DbError with a clear text; the file is never changed.
    static std::unique_ptr<Database> open(const QString& path, OpenMode mode = OpenMode::Exclusive);

    // Creates a new, empty SQLite file (no tables) and opens it exclusively.
    // Throws when the file exists already.
    static std::unique_ptr<Database> create(const QString& path);

    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Data definition and other statements without a result.
    void execute(const QString& jetSql);

    std::unique_ptr<Recordset> openRecordset(const QString& jetSql, RecordsetType type);

    // A recordset over rows of one base table whose order the caller has
    // worked out itself: its rows are the base rows with these keys (rowids),
    // in this order, read with jetSql's select list and joins. The caller
    // vouches that they are the rows jetSql gives. Throws 3251 when jetSql is
    // not a plain SELECT over a base table.
    std::unique_ptr<Recordset> openRecordset(const QString& jetSql, RecordsetType type,
                                             std::vector<qint64> orderedKeys);

    // Runs fn inside one transaction: committed when it returns, rolled back
    // when it throws (the exception then propagates).
    template <typename Fn> void transaction(Fn&& fn);
    void beginTransaction();
    void commit();
    void rollback();

    // Releases read locks: nothing to do on this engine, kept for the callers'
    // sake.
    void idle() {}

    void close();
    bool isOpen() const { return m_db != nullptr; }
    const QString& path() const { return m_path; }
    OpenMode mode() const { return m_mode; }
    // Where a rollback journal of another file found beside this one was set
    // aside at open; empty when there was none.
    const QString& journalSetAside() const { return m_journalSetAside; }

    // For code of the database layer itself (recordsets, schema, benchmark).
    sqlite3* handle() const;

private:
    Database(sqlite3* db, QString path, OpenMode mode);
    friend class Recordset;
    friend class ForwardRecordset;

    void configureConnection();
    void takeExclusiveLock();

    sqlite3* m_db = nullptr;
    QString m_path;
    OpenMode m_mode;
    std::shared_ptr<Connection> m_connection; // shared with the recordsets
    QString m_journalSetAside;
    QString m_heldKey; // set while this process holds the file exclusively
};

template <typename Fn> void Database::transaction(Fn&& fn)
{
    beginTransaction();
    try {
        fn();
    } catch (...) {
        rollback();
        throw;
    }
    commit();
}

// Writes a compacted copy of source to destination, which must not exist yet.
void compactDatabase(const QString& source, const QString& destination);

// Whether SQLite's own check finds the open file sound. The quick check reads
// every page once; the full one also compares every index with its table.
// Throws DbError for failures other than damage.
enum class IntegrityCheck { Quick, Full };
bool isSoundDatabase(Database& database, IntegrityCheck check);
