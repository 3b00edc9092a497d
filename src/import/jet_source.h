#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

// What a converter needs to know of a database file of the classic desktop
// engine: its tables, their columns, keys and indexes, and their rows. The
// file reader implements it over the file; tests implement it over tables
// held in memory.

// The column types of the classic engine.
enum class JetType {
    Boolean,  // Yes/No
    Byte,     // 0 to 255
    Integer,  // 16-bit
    Long,     // 32-bit (AutoNumber keys are Long)
    Currency, // 64-bit count of ten-thousandths
    Single,
    Double,
    DateTime,
    Text,    // up to 255 characters
    Memo,    // long text
    Binary,  // up to 255 bytes
    Ole,     // long binary (pictures, documents)
    Guid,    // replication ID
    Decimal, // exact number with precision and scale
    Other,   // anything newer this program does not know; kept as its raw number
};

struct JetColumn
{
    QString name;
    JetType type = JetType::Text;
    int size = 0;            // characters of a Text column, bytes of a Binary one
    int precision = 0;       // of a Decimal
    int scale = 0;           // of a Decimal
    bool autoNumber = false; // the engine assigns the value when a row is added
};

struct JetIndex
{
    QString name;
    std::vector<int> columns;     // positions in JetTable::columns
    std::vector<bool> descending; // per column
    bool primaryKey = false;
    bool unique = false;
};

struct JetTable
{
    QString name;
    std::vector<JetColumn> columns;
    std::vector<JetIndex> indexes;
    qint64 rowCount = 0; // as the file's table definition records it

    int columnIndex(const QString& columnName) const; // -1 when absent; without regard to case
};

// Values come as the program keeps them: Null as a null QVariant, Yes/No as
// bool, Byte/Integer/Long as qlonglong, Currency, Single and Double as double
// (Currency exact to four decimals, Single as the shortest decimal that reads
// back as the same Single), Date/Time as a QDateTime in UTC (no time zone
// applies), Text and Memo as QString, Binary and OLE as QByteArray, a
// replication ID as its "{...}" text and a Decimal as its exact text.
class JetRows
{
public:
    virtual ~JetRows() = default;
    // Fills `values` (one per column) with the next row; false after the last.
    virtual bool next(std::vector<QVariant>& values) = 0;
    // What the user should know about the rows read so far (values that
    // could not be read and were left empty).
    virtual QStringList notes() const { return {}; }
};

class JetSource
{
public:
    virtual ~JetSource() = default;
    // The user tables, in the order the file lists them (no system tables,
    // no links to other files).
    virtual const std::vector<JetTable>& tables() const = 0;
    virtual std::unique_ptr<JetRows> rows(const JetTable& table) = 0;
};

// A failure to read or convert, with the text to show the user.
class ConversionError : public std::exception
{
public:
    explicit ConversionError(QString message);
    const QString& message() const { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};
