#pragma once

class Database;

// The catalogue's text columns are declared with the program's own collation
// (TextOrder::CollationName), whose rules have a version, kept in the file's
// user_version. SQLite stores the collation's order in every index over such a
// column, so a file whose indexes were built under other rules (an older
// version of the program, or another tool) would list rows out of order and
// find them unreliably.
//
// Files recording a version below 2 declared their text columns with SQLite's
// own name NOCASE, under which every other tool used its ASCII-only rule and
// took the indexes for damaged.

// Brings a file that records another version to the current rules, in one
// transaction: NOCASE declarations of tables and indexes become the
// collation's own name, every index over text in the collation is rebuilt,
// and the current version is recorded. Rows, keys and the AUTOINCREMENT
// counters stay as they are. Returns true when the file was changed. Throws
// DbError, and the file is then exactly as it was.
bool bringTextOrderUpToDate(Database& db);

// Whether bringTextOrderUpToDate has work to do on the file: its text indexes
// may then be in another order than the program's, which SQLite's check of
// indexes against their tables would report until they are rebuilt.
bool textOrderOutOfDate(Database& db);

// Records that the file's indexes follow the current rules (a new file).
void markCollationCurrent(Database& db);
