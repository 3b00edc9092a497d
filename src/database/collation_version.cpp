#include "database/collation_version.h"

#include "database/database.h"
#include "database/native_sql.h"

namespace {

int recordedVersion(Database& db)
{
    NativeStatement version(db, "PRAGMA user_version");
    return version.step() ? static_cast<int>(version.columnInt(0)) : 0;
}

} // namespace

void markCollationCurrent(Database& db)
{
    executeNative(db, "PRAGMA user_version = " + QByteArray::number(NoCaseRulesVersion));
}

bool rebuildIndexesForCollation(Database& db)
{
    if (recordedVersion(db) == NoCaseRulesVersion)
        return false;
    // One transaction: an index rebuilt without the version recorded would
    // only be rebuilt again, but a version recorded over stale indexes would
    // never be.
    db.transaction([&db] {
        executeNative(db, "REINDEX NOCASE");
        markCollationCurrent(db);
    });
    return true;
}
