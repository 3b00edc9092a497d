#include "database/native_sql.h"

#include "database/database.h"
#include "database/sqlite_error.h"

#include <QFile>
#include <QtEndian>
#include <sqlite3.h>

DbError nativeError(sqlite3* db, int resultCode)
{
    return sqliteError(db, resultCode);
}

namespace {

void callTextFunction(sqlite3_context* context, int, sqlite3_value** values)
{
    const auto* text = static_cast<const char*>(static_cast<const void*>(sqlite3_value_text(values[0])));
    if (!text) {
        sqlite3_result_null(context);
        return;
    }
    const auto function = *static_cast<TextFunction*>(sqlite3_user_data(context));
    const QByteArray result = function(QString::fromUtf8(text, sqlite3_value_bytes(values[0]))).toUtf8();
    if (result.isEmpty())
        sqlite3_result_null(context);
    else
        sqlite3_result_text(context, result.constData(), int(result.size()), SQLITE_TRANSIENT);
}

} // namespace

void registerTextFunction(Database& db, const char* name, TextFunction function)
{
    const int rc = sqlite3_create_function_v2(db.handle(), name, 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                              new TextFunction(function), &callTextFunction, nullptr, nullptr,
                                              [](void* kept) { delete static_cast<TextFunction*>(kept); });
    if (rc != SQLITE_OK)
        throw nativeError(db.handle(), rc);
}

void executeNative(Database& db, const QByteArray& sql)
{
    char* message = nullptr;
    const int rc = sqlite3_exec(db.handle(), sql.constData(), nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        sqlite3_free(message);
        throw nativeError(db.handle(), rc);
    }
}

NativeStatement::NativeStatement(Database& db, const QByteArray& sql) : m_db(db.handle())
{
    const int rc = sqlite3_prepare_v2(m_db, sql.constData(), int(sql.size()), &m_stmt, nullptr);
    if (rc != SQLITE_OK)
        throw nativeError(m_db, rc);
}

NativeStatement::~NativeStatement()
{
    sqlite3_finalize(m_stmt);
}

void NativeStatement::fail() const
{
    throw nativeError(m_db, sqlite3_errcode(m_db));
}

void NativeStatement::bind(int index, const QVariant& value)
{
    if (value.isNull()) {
        bindNull(index);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Bool:
        bindInt(index, value.toBool() ? 1 : 0);
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
        bindInt(index, value.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        bindDouble(index, value.toDouble());
        break;
    case QMetaType::QByteArray:
        bindBlob(index, value.toByteArray());
        break;
    default:
        bindText(index, value.toString());
        break;
    }
}

void NativeStatement::bindNull(int index)
{
    if (sqlite3_bind_null(m_stmt, index) != SQLITE_OK)
        fail();
}

void NativeStatement::bindInt(int index, qint64 value)
{
    if (sqlite3_bind_int64(m_stmt, index, value) != SQLITE_OK)
        fail();
}

void NativeStatement::bindDouble(int index, double value)
{
    if (sqlite3_bind_double(m_stmt, index, value) != SQLITE_OK)
        fail();
}

void NativeStatement::bindText(int index, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    if (sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT) != SQLITE_OK)
        fail();
}

void NativeStatement::bindBlob(int index, const QByteArray& bytes)
{
    if (sqlite3_bind_blob64(m_stmt, index, bytes.constData(), sqlite3_uint64(bytes.size()),
                            SQLITE_TRANSIENT) != SQLITE_OK)
        fail();
}

bool NativeStatement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    // sqlite3_reset hands back the statement's own error and message.
    const int error = sqlite3_reset(m_stmt);
    throw nativeError(m_db, error != SQLITE_OK ? error : rc);
}

void NativeStatement::run()
{
    while (step()) {
    }
    reset();
}

void NativeStatement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

int NativeStatement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

qint64 NativeStatement::columnInt(int index) const
{
    return sqlite3_column_int64(m_stmt, index);
}

QString NativeStatement::columnText(int index) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, index));
    return text ? QString::fromUtf8(text, sqlite3_column_bytes(m_stmt, index)) : QString();
}

QVariant NativeStatement::column(int index) const
{
    switch (sqlite3_column_type(m_stmt, index)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(m_stmt, index)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_stmt, index));
    case SQLITE_NULL:
        return QVariant();
    default:
        return QVariant(columnText(index));
    }
}

qint64 declaredSqliteFileSize(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray header = file.read(100);
    if (header.size() < 100 || !header.startsWith("SQLite format 3"))
        return -1;
    const auto at = [&](int offset) { return qFromBigEndian<quint32>(header.constData() + offset); };
    const quint16 pageSizeField = qFromBigEndian<quint16>(header.constData() + 16);
    const qint64 pageSize = pageSizeField == 1 ? 65536 : pageSizeField;
    // The page count is valid only when written by the same change as the
    // counter beside it.
    const quint32 changeCounter = at(24);
    const quint32 pageCount = at(28);
    if (pageCount == 0 || at(92) != changeCounter)
        return -1;
    return pageSize * pageCount;
}
