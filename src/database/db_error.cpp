#include "database/db_error.h"

#include "common/safe_file_writer.h"
#include "database/sqlite_error.h"

#include <sqlite3.h>

using namespace Qt::StringLiterals;

DbError::DbError(int number, QString text)
    : m_number(number), m_text(std::move(text)), m_what(QByteArray::number(number) + "  " + m_text.toUtf8())
{
}

DbError fileSaveDbError(const FileSaveError& error)
{
    return DbError(error.diskFull() ? DbErrorNumber::DiskFull : DbErrorNumber::CannotOpenFile, error.text());
}

DbError writingFile(const DbError& error, const QString& path)
{
    if (error.number() != DbErrorNumber::DiskFull)
        return error;
    return DbError(DbErrorNumber::DiskFull, notEnoughSpaceText(path));
}

namespace {

QString connectionFile(sqlite3* db)
{
    const char* name = db ? sqlite3_db_filename(db, "main") : nullptr;
    return name ? QString::fromUtf8(name) : QString();
}

// SQLite names the missing object after a colon: "no such table: Bookz".
QString nameAfterColon(const QString& message)
{
    const qsizetype colon = message.indexOf(u':');
    return colon < 0 ? message : message.mid(colon + 1).trimmed();
}

} // namespace

DbError sqliteError(sqlite3* db, int resultCode, const QString& subject)
{
    const int primary = resultCode & 0xff;
    const QString engineText =
        db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(resultCode));
    const QString file = connectionFile(db);

    switch (primary) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return DbError(DbErrorNumber::RecordLocked, u"Couldn't update; currently locked."_s);
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return DbError(
            DbErrorNumber::NotADatabase,
            u"Cannot open database '%1'. It is not a catalogue, or the file is damaged."_s.arg(file));
    case SQLITE_FULL:
        return DbError(DbErrorNumber::DiskFull, u"Not enough space on disk to write to '%1'."_s.arg(file));
    case SQLITE_READONLY:
        return DbError(DbErrorNumber::ReadOnly, u"Cannot update. Database or object is read-only."_s);
    case SQLITE_IOERR:
        return DbError(DbErrorNumber::DiskError,
                       u"Disk or network error while reading or writing '%1' (%2)."_s.arg(file, engineText));
    case SQLITE_CONSTRAINT:
        return DbError(DbErrorNumber::DuplicateValue,
                       u"The change was not stored: it would create a duplicate key or break a rule of the "
                       u"table (%1)."_s.arg(engineText));
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return DbError(DbErrorNumber::CannotOpenFile,
                       u"Cannot open the file '%1' (%2)."_s.arg(file, engineText));
    default:
        break;
    }
    if (engineText.startsWith(u"no such table"))
        return DbError(DbErrorNumber::TableNotFound,
                       u"Cannot find the input table or query '%1'."_s.arg(nameAfterColon(engineText)));
    if (engineText.startsWith(u"no such column"))
        return DbError(DbErrorNumber::UnknownName,
                       u"Unknown name '%1' in '%2'."_s.arg(nameAfterColon(engineText), subject));
    if (engineText.contains(u"syntax error") || engineText.startsWith(u"unrecognized token") ||
        engineText.startsWith(u"incomplete input"))
        return DbErrors::syntax(subject, engineText);
    return DbError(DbErrorNumber::General, engineText);
}

void throwSqliteError(sqlite3* db, int resultCode, const QString& subject)
{
    throw sqliteError(db, resultCode, subject);
}

void refuseParameters(sqlite3_stmt* statement, const QString& subject)
{
    if (sqlite3_bind_parameter_count(statement) == 0)
        return;
    const char* name = sqlite3_bind_parameter_name(statement, 1);
    throw DbErrors::syntax(subject, u"'%1' is not a value"_s.arg(name ? QString::fromUtf8(name) : u"?"_s));
}

namespace DbErrors {

DbError noCurrentRecord()
{
    return DbError(DbErrorNumber::NoCurrentRecord, u"No current record."_s);
}

DbError updateWithoutEdit()
{
    return DbError(DbErrorNumber::UpdateWithoutEdit, u"Update or CancelUpdate without AddNew or Edit."_s);
}

DbError unknownField(const QString& name)
{
    return DbError(DbErrorNumber::ItemNotFound,
                   u"Item not found in this collection: there is no field '%1'."_s.arg(name));
}

DbError objectClosed()
{
    return DbError(DbErrorNumber::ObjectClosed,
                   u"Object invalid or no longer set: the recordset or database is closed."_s);
}

DbError readOnlyRecordset()
{
    return DbError(DbErrorNumber::ReadOnly, u"Cannot update. Database or object is read-only."_s);
}

DbError notSupported()
{
    return DbError(DbErrorNumber::Operation, u"Operation is not supported for this type of object."_s);
}

DbError recordDeleted()
{
    return DbError(3167, u"Record is deleted."_s);
}

DbError fieldNotUpdatable(const QString& name)
{
    return DbError(3164, u"Field '%1' cannot be updated."_s.arg(name));
}

DbError conversion(const QString& column, const QString& value)
{
    return DbError(
        3421, u"Data type conversion error: '%1' cannot be stored in the field '%2'."_s.arg(value, column));
}

DbError syntax(const QString& sql, const QString& detail)
{
    if (detail.isEmpty())
        return DbError(DbErrorNumber::SyntaxError, u"Syntax error in query expression '%1'."_s.arg(sql));
    return DbError(DbErrorNumber::SyntaxError,
                   u"Syntax error (%1) in query expression '%2'."_s.arg(detail, sql));
}

} // namespace DbErrors
