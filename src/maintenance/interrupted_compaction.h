#pragma once

#include "maintenance/file_operations.h"

#include <QString>

// A compaction stopped between setting the catalogue aside as "bookdb.bak"
// and moving the compacted copy into its place leaves no catalogue, but the
// whole catalogue as "bookdb.bak". The start-up looks for that before it
// offers to create a new, empty catalogue. A compaction stopped earlier
// leaves the catalogue as it was and its copy "booknew.mdb" (perhaps half
// written, perhaps with a journal) beside it, which the start-up removes.

// True when there is no file at cataloguePath but a "bookdb.bak" beside it.
bool catalogueSetAside(const QString& cataloguePath);

// The question the start-up asks before restoring.
QString restoreSetAsideQuestion(const QString& cataloguePath);

// Renames "bookdb.bak" back to the catalogue's name; never replaces a
// catalogue. Returns why it failed, or an empty text.
QString restoreSetAsideCatalogue(const QString& cataloguePath,
                                 FileOperations& files = systemFileOperations());

// Removes "booknew.mdb" and its journal beside the catalogue when the
// catalogue is there and sound: only then is the copy of no use. A copy
// beside a missing or damaged catalogue stays (it may be the better one).
// Returns true when something was removed.
bool removeLeftCompactedCopy(const QString& cataloguePath, FileOperations& files = systemFileOperations());
