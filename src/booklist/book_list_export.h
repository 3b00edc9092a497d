#pragma once

#include <QString>
#include <vector>

class Database;

// Writes the books with these keys, in this order, to a CSV file at path,
// saved as every file the user keeps is. Throws FileSaveError or DbError.
void exportBooks(Database& db, const std::vector<qint64>& keys, const QString& path);
