#pragma once

#include <QStringList>
#include <functional>

class Database;

// What a walk over every table and index of an open file found. It reads
// every interior page and the header and cell pointers of every leaf through
// the connection's own file handle, and counts what each tree holds, without
// reading a single row: cheap enough for every open.
struct StructureCheck
{
    // Trees with pages that are not what their parents say (zeroed or
    // overwritten pages, pages shared by two trees, pointers out of the file),
    // and tables that hold fewer rows than one of their indexes has entries.
    QStringList damage;
    // Indexes with fewer entries than their table has rows: rebuilding them
    // from the table loses nothing.
    QStringList indexesMissingEntries;
};

// Throws DbError when the schema cannot be read (a damaged file).
StructureCheck checkStructure(Database& db,
                              const std::function<void(qint64 pages, qint64 total)>& advance = {});
