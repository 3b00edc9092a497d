#pragma once

#include "database/db_error.h"

#include <QString>

struct sqlite3;
struct sqlite3_stmt;

// Turns an SQLite result code into the DbError the rest of the program
// understands. `subject` is what the failing call worked on: the SQL text of a
// statement, or empty when the connection's file is the subject.
DbError sqliteError(sqlite3* db, int resultCode, const QString& subject = QString());
[[noreturn]] void throwSqliteError(sqlite3* db, int resultCode, const QString& subject = QString());

// The program's SQL never leaves values to be bound later: a "$12" or "?"
// typed into a criterion would silently compare with Null, so it is refused
// as the syntax error it is in the classic dialect (DbError 3075).
void refuseParameters(sqlite3_stmt* statement, const QString& subject);

// Errors of the layer's own making, in one place so the texts stay consistent.
namespace DbErrors {
DbError noCurrentRecord();
DbError updateWithoutEdit();
DbError unknownField(const QString& name);
DbError objectClosed();
DbError readOnlyRecordset();
DbError notSupported();
DbError recordDeleted();
DbError fieldNotUpdatable(const QString& name);
DbError conversion(const QString& column, const QString& value);
DbError syntax(const QString& sql, const QString& detail = QString());
} // namespace DbErrors
