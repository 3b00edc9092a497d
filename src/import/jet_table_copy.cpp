#include "import/jet_table_copy.h"

#include "database/database.h"
#include "database/native_sql.h"
#include "database/stored_values.h"

#include <QHash>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 RowsPerHeartbeat = 512;

bool isWholeNumber(JetType type)
{
    return type == JetType::Long || type == JetType::Integer || type == JetType::Byte;
}

// The one column of a primary key that can be SQLite's row key, or -1.
int rowKeyColumn(const JetTable& table)
{
    for (const JetIndex& index : table.indexes) {
        if (index.primaryKey && index.columns.size() == 1 &&
            isWholeNumber(table.columns[index.columns[0]].type))
            return index.columns[0];
    }
    return -1;
}

QByteArray columnList(const JetTable& table, const JetIndex& index, bool withOrder)
{
    QByteArrayList names;
    for (size_t k = 0; k < index.columns.size(); ++k) {
        QByteArray name = quotedName(table.columns[index.columns[k]].name);
        if (withOrder && index.descending[k])
            name += " DESC";
        names << name;
    }
    return names.join(", ");
}

QString uniqueIndexName(const QString& wanted, QSet<QString>& namesInUse)
{
    QString name = wanted;
    for (int n = 2; namesInUse.contains(name.toCaseFolded()); ++n)
        name = wanted + u'_' + QString::number(n);
    namesInUse.insert(name.toCaseFolded());
    return name;
}

// The declared type of each column of an existing table, by folded name.
QHash<QString, StoredValue::ColumnKind> columnKinds(Database& db, const QString& table)
{
    QHash<QString, StoredValue::ColumnKind> kinds;
    NativeStatement info(db, "PRAGMA table_info(" + quotedName(table) + ")");
    while (info.step())
        kinds.insert(info.columnText(1).toCaseFolded(),
                     StoredValue::kindOfDeclaredType(info.columnText(2).toUtf8().constData()));
    return kinds;
}

} // namespace

QByteArray quotedName(const QString& name)
{
    QByteArray quoted = name.toUtf8();
    quoted.replace('"', "\"\"");
    return '"' + quoted + '"';
}

QByteArray declaredType(const JetColumn& column)
{
    switch (column.type) {
    case JetType::Boolean:
        return "BOOLEAN";
    case JetType::Byte:
        return "TINYINT";
    case JetType::Integer:
        return "SMALLINT";
    case JetType::Long:
        return "INTEGER";
    case JetType::Currency:
        return "CURRENCY";
    case JetType::Single:
        return "FLOAT";
    case JetType::Double:
        return "DOUBLE";
    case JetType::DateTime:
        return "DATETIME";
    case JetType::Text:
        return column.size > 0 ? "VARCHAR(" + QByteArray::number(column.size) + ") COLLATE QUILLARY"
                               : QByteArray("TEXT COLLATE QUILLARY");
    case JetType::Memo:
        return "TEXT COLLATE QUILLARY";
    case JetType::Guid:
        return "VARCHAR(38) COLLATE QUILLARY";
    case JetType::Binary:
    case JetType::Ole:
        return "BLOB";
    case JetType::Decimal:
        return "DECIMAL(" + QByteArray::number(column.precision) + ", " + QByteArray::number(column.scale) +
               ")";
    case JetType::Other:
        break;
    }
    return QByteArray(); // no type: SQLite keeps each value as it comes
}

QByteArray createTableStatement(const JetTable& table)
{
    const int rowKey = rowKeyColumn(table);
    QByteArrayList definitions;
    for (size_t c = 0; c < table.columns.size(); ++c) {
        const JetColumn& column = table.columns[c];
        QByteArray definition = quotedName(column.name);
        if (int(c) == rowKey)
            definition += column.autoNumber ? " INTEGER PRIMARY KEY AUTOINCREMENT" : " INTEGER PRIMARY KEY";
        else if (const QByteArray type = declaredType(column); !type.isEmpty())
            definition += ' ' + type;
        definitions << definition;
    }
    for (const JetIndex& index : table.indexes) {
        if (index.primaryKey && rowKey < 0)
            definitions << "PRIMARY KEY (" + columnList(table, index, false) + ")";
    }
    return "CREATE TABLE " + quotedName(table.name) + " (\n    " + definitions.join(",\n    ") + "\n)";
}

QList<QByteArray> createIndexStatements(const JetTable& table, QSet<QString>& namesInUse)
{
    QList<QByteArray> statements;
    for (const JetIndex& index : table.indexes) {
        if (index.primaryKey)
            continue;
        const QString name = uniqueIndexName(table.name + u'_' + index.name, namesInUse);
        statements << QByteArray(index.unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ") + quotedName(name) +
                          " ON " + quotedName(table.name) + " (" + columnList(table, index, true) + ")";
    }
    return statements;
}

void copyRows(JetSource& source, const JetTable& table, Database& db, const QString& target,
              const Heartbeat& heartbeat, ConversionReport& report)
{
    const QHash<QString, StoredValue::ColumnKind> targetKinds = columnKinds(db, target);
    std::vector<StoredValue::ColumnKind> kinds;
    QByteArrayList names;
    QByteArrayList parameters;
    for (const JetColumn& column : table.columns) {
        kinds.push_back(targetKinds.value(column.name.toCaseFolded(), StoredValue::ColumnKind::Untyped));
        names << quotedName(column.name);
        parameters << "?";
    }
    NativeStatement insert(db, "INSERT INTO " + quotedName(target) + " (" + names.join(", ") + ") VALUES (" +
                                   parameters.join(", ") + ")");
    const std::unique_ptr<JetRows> rows = source.rows(table);
    std::vector<QVariant> values;
    qint64 count = 0;
    while (rows->next(values)) {
        ++count;
        for (size_t c = 0; c < values.size(); ++c) {
            try {
                insert.bind(int(c) + 1, StoredValue::forStorage(values[c], kinds[c], table.columns[c].name));
            } catch (const DbError& error) {
                throw ConversionError(u"The table '%1' cannot be converted: in row %2, %3"_s.arg(
                    table.name, QString::number(count), error.text()));
            }
        }
        insert.run();
        if (heartbeat && count % RowsPerHeartbeat == 0)
            heartbeat();
    }
    report.tables.push_back({target, count});
    report.notes += rows->notes();
}

void copyWholeTable(JetSource& source, const JetTable& table, Database& db, QSet<QString>& indexNames,
                    const Heartbeat& heartbeat, ConversionReport& report)
{
    try {
        executeNative(db, createTableStatement(table));
        copyRows(source, table, db, table.name, heartbeat, report);
        // Indexes last: building them over the finished table is faster than
        // keeping them up to date row by row.
        for (const QByteArray& statement : createIndexStatements(table, indexNames))
            executeNative(db, statement);
    } catch (const DbError& error) {
        throw ConversionError(u"The table '%1' cannot be converted: %2"_s.arg(table.name, error.text()));
    }
}

ConversionReport copyAllTables(JetSource& source, Database& db, const Heartbeat& heartbeat)
{
    ConversionReport report;
    QSet<QString> indexNames;
    db.transaction([&] {
        for (const JetTable& table : source.tables()) {
            copyWholeTable(source, table, db, indexNames, heartbeat, report);
            if (heartbeat)
                heartbeat();
        }
    });
    return report;
}
