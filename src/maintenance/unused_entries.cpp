#include "maintenance/unused_entries.h"

#include "catalogue/database.h"
#include "catalogue/native_sql.h"
#include "catalogue/select_shape.h"

using namespace Qt::StringLiterals;

const std::array<LookupTableUse, 7>& lookupTableUses()
{
    static const std::array<LookupTableUse, 7> uses{{
        {u"&Authors"_s, u"Authors"_s, u"AuthID"_s, u"AuthID"_s},
        {u"&Publishers"_s, u"Publishers"_s, u"PubID"_s, u"PubID"_s},
        {u"&Categories"_s, u"Categories"_s, u"CatID"_s, u"CatID"_s},
        {u"&Owners"_s, u"Owners"_s, u"OwnID"_s, u"OwnerID"_s},
        {u"&Locations"_s, u"Locations"_s, u"LocID"_s, u"LocID"_s},
        {u"&Formats"_s, u"Formats"_s, u"ForID"_s, u"ForID"_s},
        {u"&Series"_s, u"Series"_s, u"SerID"_s, u"SerID"_s},
    }};
    return uses;
}

// The keys in use are gathered once (from the index on the Books column, or
// in one pass when a file lacks it) rather than looked up entry by entry. The
// Null filter matters: one Null among them would make NOT IN match nothing.
int deleteUnusedEntries(Database& db, const LookupTableUse& lookup)
{
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
