#pragma once

#include "database/db_error.h"

#include <QByteArrayView>
#include <QString>
#include <QVariant>
#include <memory>

class Database;

// A read-only result that is read once, front to back, straight from the
// statement: nothing is kept but the current row, so a list of any length
// costs what SQLite needs to produce it. For reports, which walk their query
// once; everything else uses Recordset.
//
// Opening positions it on the first row. Values come back as Recordset gives
// them (Null as a null QVariant, Currency as double, Date/Time as QDateTime).
// When the Database closes first, every further call throws 3420.
class ForwardRecordset
{
public:
    ForwardRecordset(Database& db, const QString& jetSql);
    // The same with a value for each "?" of jetSql, in order: for texts the
    // user typed, which must never become part of the SQL itself. Throws
    // 3075 when the number of "?" and of values differ.
    ForwardRecordset(Database& db, const QString& jetSql, const QVariantList& parameters);
    ~ForwardRecordset();
    ForwardRecordset(const ForwardRecordset&) = delete;
    ForwardRecordset& operator=(const ForwardRecordset&) = delete;

    bool eof() const;
    void moveNext();

    int fieldCount() const;
    QVariant value(int index) const;
    QVariant value(const QString& column) const;
    // A text column's value without the detour through QVariant: the empty
    // text for Null. (A number comes back in SQLite's own text form.)
    QString text(int index) const;
    // The same text as SQLite holds it, in UTF-8, valid until the next move:
    // for putting texts together before making one QString of them.
    QByteArrayView utf8(int index) const;
    // A whole-number column's value without the detour through QVariant: 0
    // for Null.
    qint64 integer(int index) const;
    // The column's index for value(int); throws 3265 when there is none.
    int columnIndex(const QString& column) const;

    void close();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
