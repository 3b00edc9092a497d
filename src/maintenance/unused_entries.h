#pragma once

#include "catalogue/lookup_tables.h"

class Database;

// Deletes every entry of the field's lookup table that no book refers to, in
// one statement and one transaction. A book's "none" (-1) and an empty key
// match no entry. Returns how many entries were removed. Throws DbError;
// nothing is removed then.
int deleteUnusedEntries(Database& db, LookupField field);
