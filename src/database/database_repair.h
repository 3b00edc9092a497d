#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// One object of the layout a repaired file must have.
struct KnownDefinition
{
    QString type; // "table" or "index"
    QString name;
    QString table;       // the table an index belongs to; for a table its own name
    QString sql;         // the CREATE statement, in SQLite's own dialect
    qint64 rootPage = 0; // where a file made in this layout keeps it (0: not known)
};

// The layout a repaired file gets whatever the damaged one still tells: every
// table and index here exists in it, made from these definitions, and the
// header values are set as a new file of the layout has them.
struct KnownLayout
{
    std::vector<KnownDefinition> definitions;
    std::optional<qint64> applicationId;
    std::optional<qint64> userVersion;
};

// How one table came back.
struct TableRecovery
{
    QString table;
    bool found = false;          // its pages were found in the damaged file
    qint64 rows = 0;             // rows the repaired table holds
    qint64 rowsFromIndexes = 0;  // of them, rows only an index still held: the index's columns alone
    qint64 unreadableRows = 0;   // rows seen on its pages that could not be read
    qint64 damagedPages = 0;     // pages of it that could not be read, rows unknown
    QStringList columnsNotFound; // columns of the layout the damaged table did not have

    // Whether the table may have held more than came back whole.
    bool cameBackShort() const
    {
        return !found || rowsFromIndexes > 0 || unreadableRows > 0 || damagedPages > 0;
    }
};

// What a repair did. The damaged file is never changed: when anything could be
// read from it, it is renamed to damagedCopyPath and a new file holding every
// readable row takes its place.
struct RepairResult
{
    bool recovered = false;
    QString damagedCopyPath; // where the damaged original now lies (when recovered)
    qint64 rowsRecovered = 0;
    std::vector<TableRecovery> tables; // table by table, as in the repaired file
    QString message;                   // what to tell the user
};

// Rebuilds the file at path, which no connection may hold, from every row its
// pages still hold: rows are read by the tables' root pages whatever the
// schema text says, past damaged pages, and rows a table lost but an index
// still holds come back from the index. Reports progress through
// progressReporter().
RepairResult repairDatabase(const QString& path, const KnownLayout& layout = {});
