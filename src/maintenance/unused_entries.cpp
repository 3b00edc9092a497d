#include "maintenance/unused_entries.h"

#include "database/database.h"
#include "database/native_sql.h"
#include "database/select_shape.h"

using namespace Qt::StringLiterals;

// The keys in use are gathered once (from the index on the Books column, or
// in one pass when a file lacks it) rather than looked up entry by entry. The
// Null filter matters: one Null among them would make NOT IN match nothing.
int deleteUnusedEntries(Database& db, LookupField field)
{
    const LookupTable& lookup = lookupTable(field);
    const QString sql = u"DELETE FROM %1 WHERE %2 NOT IN (SELECT %3 FROM Books WHERE %3 IS NOT NULL)"_s.arg(
        quoteSqlName(lookup.table), quoteSqlName(lookup.keyColumn), quoteSqlName(lookup.booksColumn));
    int removed = 0;
    db.transaction([&] {
        NativeStatement(db, sql.toUtf8()).run();
        NativeStatement changes(db, "SELECT changes()");
        changes.step();
        removed = int(changes.columnInt(0));
    });
    return removed;
}
