#pragma once

#include <QtGlobal>

class Database;

// The check of the catalogue at every open, before anything reads a book.
//  - Always: a walk over every table and index (database/structure_check.h),
//    which finds damaged pages in the trees' structure, tables that lost rows
//    an index still lists, and indexes that miss entries.
//  - SQLite's quick check as well, which reads and checks every page, when
//    the file is small enough for it to cost little beside the start-up
//    (QuickCheckEveryOpenUpTo), and at any size when the file changed since
//    this program last closed it sound, or the program did not end cleanly.
// Damage throws DbError 3049, which the error routine repairs; indexes that
// miss entries are rebuilt from their tables at once, and the user is told.
// Returning normally, it found the file sound: the close may vouch for it.
void checkCatalogueAtOpen(Database& db, bool unchangedSinceCleanClose);

// About 55,000 books: the quick check then adds under a tenth of a second.
inline constexpr qint64 QuickCheckEveryOpenUpTo = 16 * 1024 * 1024;

bool quickCheckAtOpen(qint64 fileSize, bool unchangedSinceCleanClose);
