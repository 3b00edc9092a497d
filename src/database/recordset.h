#pragma once

#include "database/db_error.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <optional>
#include <vector>

class Database;

// A result set opened on a Database, positioned on its first row when it has
// any. A snapshot or dynaset over rows of one base table keeps only the keys of
// its rows in order and reads a row's values when it becomes current, so that
// opening a large, ordered table costs little more than reading its keys.
//
// Values come back as QVariant: a null QVariant for Null, qlonglong for whole
// numbers, double for Currency and other real numbers, bool for Yes/No,
// QDateTime for Date/Time and QString for text. Column names are matched
// without regard to case.
// Method names follow the classic recordset operations (MoveFirst, FindFirst,
// AddNew, ...) in this project's camelCase.
class Recordset
{
public:
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    bool bof() const;
    bool eof() const;
    // 0 for an empty result, otherwise the number of rows.
    int recordCount() const;

    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();

    // criterion: a condition in the classic dialect over the result's columns,
    // e.g. "bookid = 5", "LastName='O''Brien' and firstname='John'".
    void findFirst(const QString& criterion);
    void findLast(const QString& criterion);
    void findNext(const QString& criterion);
    void findPrevious(const QString& criterion);
    bool noMatch() const;

    // Dynasets only.
    void addNew(); // the new row's AutoNumber key can be read at once
    void edit();
    void update(); // stores the added or edited row
    void cancelUpdate();
    void deleteRow(); // deletes the current row
    bool lockEdits() const;
    void setLockEdits(bool pessimistic);

    QVariant value(const QString& column) const;
    void setValue(const QString& column, const QVariant& value);
    int fieldCount() const;
    QString fieldName(int index) const;
    QVariant value(int index) const;

    void close();
    // The keys of a recordset over the rows of one base table, in its order,
    // handed over to a caller that keeps the order itself (to open the
    // recordset again with a few rows moved); the recordset is closed. Empty
    // when it is closed already or does not keep keys.
    std::optional<std::vector<qint64>> takeKeys();

private:
    friend class Database;
    struct Impl;
    explicit Recordset(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
};
