#pragma once

#include <QString>

// What lies at a path that is to be opened as a catalogue, judged from the
// file system and the first bytes of the file alone, before SQLite touches it.
enum class CatalogueFileKind {
    Missing,
    Directory,
    Unreadable,
    Empty,
    Sqlite,
    TruncatedSqlite, // an SQLite header, but the file is shorter than its first page
    JetOrAce,        // a catalogue of the older kind
    DamagedSqlite,   // no SQLite header, but SQLite's pages after it: the first page is damaged
    Foreign,         // anything else: text, random bytes, a truncated header
};

CatalogueFileKind inspectCatalogueFile(const QString& path);

// Throws the DbError that tells the user why the file cannot be opened; does
// nothing for an SQLite file that may be opened in this way. `forChanges`
// also refuses a read-only file or a file in a read-only folder.
void checkCatalogueFile(const QString& path, bool forChanges);

// A file or folder counts as read-only when the system refuses writing or when
// its owner's write permission is off (even for an administrator).
bool isWritableFile(const QString& path);

// The files this process holds open exclusively. SQLite's locks are POSIX
// record locks, which the system drops for the whole process as soon as any
// descriptor of the file is closed in it: a held catalogue must therefore
// never be opened again, not even to read its header, while it is held.
class HeldCatalogueFiles
{
public:
    static bool isHeld(const QString& path);
    static QString hold(const QString& path); // returns the key to release
    static void release(const QString& key);
};

// A rollback journal beside the file that does not belong to it (a copy put
// back over the catalogue after a crash) would overwrite pages of the file
// with pages of another: it is renamed aside, kept, rather than applied.
// Returns where it now lies, or an empty text when there is none to set aside.
// Throws DbError when it cannot be moved.
QString setAsideForeignJournal(const QString& path);
