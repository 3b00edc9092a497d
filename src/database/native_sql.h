#pragma once

#include "database/db_error.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

class Database;
struct sqlite3;
struct sqlite3_stmt;

// Plain SQLite statements on a Database's own connection, for the few places
// that work beneath the classic dialect: creating the schema with its indexes,
// filling generated catalogues in bulk and measuring SQLite itself. Failures
// throw DbError like every other database call.

// Runs one or more statements without a result.
void executeNative(Database& db, const QByteArray& sql);

// Makes name(text) call function on db's connection: one text in, one text
// out, Null for Null and for an empty result. A connection's functions die
// with it, so they serve its temporary tables and triggers only: nothing the
// file keeps may depend on them.
using TextFunction = QString (*)(const QString&);
void registerTextFunction(Database& db, const char* name, TextFunction function);

// One prepared statement, finalized when it goes out of scope.
class NativeStatement
{
public:
    NativeStatement(Database& db, const QByteArray& sql);
    ~NativeStatement();
    NativeStatement(const NativeStatement&) = delete;
    NativeStatement& operator=(const NativeStatement&) = delete;

    // Parameters count from 1. A null QVariant binds Null; bool binds 0 or 1;
    // a QByteArray binds a blob.
    void bind(int index, const QVariant& value);
    void bindNull(int index);
    void bindInt(int index, qint64 value);
    void bindDouble(int index, double value);
    void bindText(int index, const QString& text);
    void bindBlob(int index, const QByteArray& bytes);

    // Advances to the next row; false when there is none (the statement is done).
    bool step();
    // Runs a statement without a result to its end and makes it ready to run again.
    void run();
    void reset();

    int columnCount() const;
    qint64 columnInt(int index) const;
    QString columnText(int index) const;
    QVariant column(int index) const; // by the stored value's own type

private:
    [[noreturn]] void fail() const;

    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

// The database layer's error number for an SQLite result code, with SQLite's
// message as the text.
DbError nativeError(sqlite3* db, int resultCode);

// The size an SQLite file declares in its header: its page size times its
// page count. -1 when the header does not vouch for the count (a file being
// changed, or one that is not SQLite's).
qint64 declaredSqliteFileSize(const QString& path);
