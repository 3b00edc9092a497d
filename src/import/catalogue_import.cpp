#include "import/catalogue_import.h"

#include "catalogue/schema.h"
#include "database/database.h"
#include "database/native_sql.h"
#include "import/jet_table_copy.h"

#include <QDir>
#include <QSet>

using namespace Qt::StringLiterals;

namespace {

const JetTable* findTable(const JetSource& source, const QString& name)
{
    for (const JetTable& table : source.tables()) {
        if (table.name.compare(name, Qt::CaseInsensitive) == 0)
            return &table;
    }
    return nullptr;
}

QStringList firstColumn(Database& db, const QByteArray& sql)
{
    QStringList values;
    NativeStatement statement(db, sql);
    while (statement.step())
        values << statement.columnText(0);
    return values;
}

// The catalogue's tables as the layout just created them, Books first.
QStringList layoutTables(Database& db)
{
    QStringList tables = firstColumn(db, "SELECT name FROM sqlite_master WHERE type = 'table' AND "
                                         "substr(name, 1, 7) <> 'sqlite_' ORDER BY rowid");
    tables.removeAll(u"Books"_s);
    tables.prepend(u"Books"_s);
    return tables;
}

QStringList layoutColumns(Database& db, const QString& table)
{
    QStringList columns;
    NativeStatement info(db, "PRAGMA table_info(" + quotedName(table) + ")");
    while (info.step())
        columns << info.columnText(1);
    return columns;
}

// Everything the layout has that the source lacks, as the user would name it.
QStringList missingFromSource(const JetSource& source, Database& db, const QStringList& tables)
{
    QStringList missing;
    for (const QString& name : tables) {
        const JetTable* table = findTable(source, name);
        if (!table) {
            missing << u"the table %1"_s.arg(name);
            continue;
        }
        for (const QString& column : layoutColumns(db, name)) {
            if (table->columnIndex(column) < 0)
                missing << u"the column %1.%2"_s.arg(name, column);
        }
    }
    return missing;
}

[[noreturn]] void notACatalogue(const QString& sourceName, const QStringList& missing)
{
    constexpr int Shown = 6;
    QStringList named = missing.mid(0, Shown);
    if (missing.size() > Shown)
        named << u"%1 more"_s.arg(missing.size() - Shown);
    throw ConversionError(
        u"'%1' is not a catalogue: it lacks %2. Only a catalogue file of the earlier program "
        u"can become this program's catalogue."_s.arg(QDir::toNativeSeparators(sourceName),
                                                      named.join(u", "_s)));
}

// Columns a user added to a catalogue table come across too.
void addFurtherColumns(Database& db, const QString& name, const JetTable& table)
{
    const QStringList ours = layoutColumns(db, name);
    for (const JetColumn& column : table.columns) {
        if (!ours.contains(column.name, Qt::CaseInsensitive))
            executeNative(db, "ALTER TABLE " + quotedName(name) + " ADD COLUMN " + quotedName(column.name) +
                                  ' ' + declaredType(column));
    }
}

} // namespace

ConversionReport copyCatalogue(JetSource& source, const QString& sourceName, Database& db,
                               const Heartbeat& heartbeat)
{
    const JetTable* books = findTable(source, u"Books"_s);
    if (!books)
        notACatalogue(sourceName, {u"the table Books"_s});
    // As at start-up: a file whose Books has ForID is in the current layout.
    const bool earlierLayout = books->columnIndex(u"ForID"_s) < 0;

    ConversionReport report;
    db.transaction([&] {
        if (earlierLayout)
            createEarlierLayoutTables(db);
        else
            createCatalogueTables(db);
        const QStringList tables = layoutTables(db);
        if (const QStringList missing = missingFromSource(source, db, tables); !missing.isEmpty())
            notACatalogue(sourceName, missing);

        QSet<QString> indexNames;
        for (const QString& index : firstColumn(db, "SELECT name FROM sqlite_master WHERE type = 'index'"))
            indexNames.insert(index.toCaseFolded());
        for (const QString& name : tables) {
            const JetTable& table = *findTable(source, name);
            try {
                addFurtherColumns(db, name, table);
                copyRows(source, table, db, name, heartbeat, report);
            } catch (const DbError& error) {
                throw ConversionError(u"The table '%1' cannot be converted: %2"_s.arg(name, error.text()));
            }
            if (heartbeat)
                heartbeat();
        }
        for (const JetTable& table : source.tables()) {
            if (!tables.contains(table.name, Qt::CaseInsensitive))
                copyWholeTable(source, table, db, indexNames, heartbeat, report);
        }
    });
    if (earlierLayout) {
        upgradeCatalogue(db);
        report.notes << u"The catalogue was in the earlier layout and has been upgraded: it now has formats "
                        u"(each book's taken from its paperback flag) and series."_s;
    }
    return report;
}
