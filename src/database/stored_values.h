#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>

struct sqlite3_stmt;

// How values are kept in the file and how they come back to the program.
//
// A value "as stored" is a QVariant holding exactly what SQLite keeps: nothing
// (Null), qlonglong, double, QString or QByteArray. A value "for the program"
// follows the column's declared type: bool for BOOLEAN, QDateTime for
// DATETIME, double for CURRENCY and REAL, qlonglong for the INTEGER types and
// QString for text.
namespace StoredValue {

enum class ColumnKind { Boolean, DateTime, Currency, Integer, SmallInteger, Real, Text, Untyped };

ColumnKind kindOfDeclaredType(const char* declaredType);

QVariant read(sqlite3_stmt* statement, int column);
void bind(sqlite3_stmt* statement, int parameter, const QVariant& stored);

QVariant forProgram(const QVariant& stored, ColumnKind kind);

// Throws DbError 3421 when the value cannot be kept in a column of that kind.
QVariant forStorage(const QVariant& value, ColumnKind kind, const QString& columnName);

// Date/Time as text that orders correctly: "YYYY-MM-DD" at midnight, else
// "YYYY-MM-DD HH:MM:SS"; a time alone lies on 1899-12-30.
QString dateTimeText(const QDate& date, const QTime& time);
QString dateTimeText(const QDateTime& dateTime);
QDateTime parseDateTimeText(const QString& text); // invalid when it is not such a text

inline const QDate TimeOnlyDate{1899, 12, 30};

} // namespace StoredValue
