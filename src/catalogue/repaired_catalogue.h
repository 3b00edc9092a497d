#pragma once

#include "database/database_repair.h"

#include <QString>

class Database;

// What the user is told after a repair: the books and the other entries
// recovered as the user counts them, where the damaged file was kept, and
// each table that came back short, with its counts.
QString repairedCatalogueMessage(const RepairResult& repair);

// Finishes a repaired catalogue where the repair itself, which knows no
// books, cannot: books that came from a file of the earlier layout get their
// formats as the upgrade gives them, and a book only an index kept gets its
// sort title as its title, so that it can be shown and stored again. Throws
// DbError.
void completeRepairedCatalogue(Database& db, const RepairResult& repair);
