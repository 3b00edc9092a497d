#pragma once

class Database;

// The rules of the NOCASE collation have a version, kept in the file's
// user_version. SQLite stores the collation's order in every index over a
// NOCASE column, so a file whose indexes were built under other rules (an
// older version of the program, or another tool with SQLite's own NOCASE)
// would list rows out of order and find them unreliably.
inline constexpr int NoCaseRulesVersion = 1;

// Rebuilds every index that uses the collation when the file records another
// version, and records this one. Returns true when the indexes were rebuilt.
// Throws DbError.
bool rebuildIndexesForCollation(Database& db);

// Records that the file's indexes follow the current rules (a new file).
void markCollationCurrent(Database& db);
