#pragma once

#include <QString>
#include <array>

class Database;

// A lookup table as the removal of unused entries sees it: its key, and the
// column of Books that refers to it.
struct LookupTableUse
{
    QString menuItem;    // the item of "&Delete Unused..."
    QString table;
    QString keyColumn;
    QString booksColumn;
};

// The seven lookup tables in the order of the "&Delete Unused..." menu
// (index 0 is the menu's item 1).
const std::array<LookupTableUse, 7>& lookupTableUses();

// Deletes every entry of the table that no book refers to, in one statement
// and one transaction. A book's "none" (-1) and an empty key match no entry.
// Returns how many entries were removed. Throws DbError; nothing is removed
// then.
int deleteUnusedEntries(Database& db, const LookupTableUse& lookup);
