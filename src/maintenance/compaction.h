#pragma once

#include "maintenance/file_operations.h"

#include <QString>

// Compacts the closed catalogue file in place:
//  1. the compacted copy is written as "booknew.mdb" beside it (SQLite's
//     VACUUM INTO) and checked: integrity, and every table with as many rows
//     as in the catalogue;
//  2. the previous "bookdb.bak" is removed, the catalogue renamed to
//     "bookdb.bak" and the copy renamed to the catalogue's name.
// Until the copy has passed its check the catalogue is not touched. A rename
// that fails puts the catalogue back under its name. Stopped at any point
// (even by a power cut), the folder holds the old or the new catalogue under
// its name, or the old one as "bookdb.bak" with no catalogue (see
// interrupted_compaction.h).
struct CompactionResult
{
    enum class Outcome {
        Compacted,
        Unchanged, // a step failed; the catalogue is as it was, under its name
        SetAside,  // a rename failed and so did putting the catalogue back: it is "bookdb.bak"
    };
    Outcome outcome = Outcome::Compacted;
    QString message; // what to tell the user; empty when compacted
};

CompactionResult compactCatalogue(const QString& cataloguePath,
                                  FileOperations& files = systemFileOperations());
