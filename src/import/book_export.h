#pragma once

#include <QString>
#include <functional>
#include <vector>

class Database;

// Writes books as UTF-8 CSV with a header row, one column per field in the
// order and under the captions of the program's own export (which the import
// recognises): lookups as their names, dates as yyyy-MM-dd, prices as plain
// decimals, flags as Yes or No. The file is saved through the safe writer.
// Returns the number of books written. Throws DbError and FileSaveError;
// progress returning false stops the export and leaves any old file as it was
// (FileSaveError is not thrown then; the count is -1).

using ExportProgress = std::function<bool(qint64 done, qint64 total)>;

// The books with these keys, in this order (a key of no book is passed over).
qint64 exportBooks(Database& db, const std::vector<qint64>& bookKeys, const QString& path,
                   const ExportProgress& progress = {});

// The query the export reads every book with, in title order: one column per
// field in the export's order, lookups as their names (SQLite's own SQL).
QByteArray exportQuery();

// Every book, in title order.
qint64 exportAllBooks(Database& db, const QString& path, const ExportProgress& progress = {});
