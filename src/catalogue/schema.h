#pragma once

#include "database/database_repair.h"

#include <QString>

class Database;

// The catalogue layout: Books (26 columns) and the seven lookup tables, in
// SQLite types (see doc/file-format.md).

// Creates a new, empty catalogue at path (which must not exist) in the current
// layout, with every index the program's orders and lookups use. Throws DbError.
void createCatalogue(const QString& path);
// The same with the five formats an upgraded catalogue gets (Paperback,
// Hardcover, Tape, CD, MP3): the catalogue the program makes for a new user.
void createStarterCatalogue(const QString& path);

// The current layout as a new catalogue holds it (its native definitions,
// where it keeps each table and index, its header values): what a repaired
// catalogue is made in, and where a repair looks for tables when a file's own
// schema is damaged.
KnownLayout catalogueLayout();

// Creates the tables of the current layout in an empty, open database.
void createCatalogueTables(Database& db);

// Creates the tables of the earlier layout (no Formats, Series, ForID, SerID,
// Vol, Issue; text declared with SQLite's NOCASE); used by tests and the sample
// generator to exercise the upgrade.
void createEarlierLayoutTables(Database& db);

// Brings a catalogue in the earlier layout up to the current one, in place;
// a current catalogue (Books has ForID) keeps its layout. Either way, a file
// whose text order is out of date is then brought up to date
// (database/collation_version.h). Works on catalogueState().dbCatalogue and
// does nothing when it is not open. Each of the two runs in one transaction:
// when any step fails, the DbError propagates and the file is left as that
// step found it (a failed layout upgrade leaves it exactly as it was).
void UpgradeCatalogue();

// The same on any open database.
void upgradeCatalogue(Database& db);

// The upgrade's own rows, for a catalogue that already has the current
// tables but whose books came from the earlier layout (a repaired one): the
// five formats, and each book's format from its paperback flag.
void seedFormatsFromPaperbackFlags(Database& db);
