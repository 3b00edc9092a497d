#pragma once

#include "database/database_repair.h"

#include <QString>
#include <functional>
#include <vector>

// What a salvage took out of a damaged file.
struct SalvageOutcome
{
    bool written = false;       // the new file was written and committed
    bool anythingFound = false; // any table of the damaged file was found at all
    std::vector<TableRecovery> tables;
};

// Writes a new database file at `rebuilt` (which must not exist) in `layout`,
// plus whatever other tables, indexes, views and triggers the damaged file
// still defines readably, holding every row the damaged file's pages still
// give. The damaged file is only read; the new one is not synced to disk. `advance` is told the pages read so
// far and the pages in the file (some pages are read twice: the count may
// pass the total).
SalvageOutcome salvageInto(const QString& damaged, const QString& rebuilt, const KnownLayout& layout,
                           const std::function<void(qint64 pagesRead, qint64 pagesInFile)>& advance = {});
