// The program's collation for other SQLite tools: loaded into a connection,
// it registers the order the catalogue's text columns are declared with,
// from the same source as the program's own.
#include "database/text_order.h"

#include <sqlite3ext.h>

SQLITE_EXTENSION_INIT1

extern "C" __attribute__((visibility("default"))) int
sqlite3_quillarycollation_init(sqlite3* db, char** /*errorMessage*/, const sqlite3_api_routines* api)
{
    SQLITE_EXTENSION_INIT2(api)
    return sqlite3_create_collation(db, TextOrder::CollationName, SQLITE_UTF8, nullptr,
                                    &TextOrder::sqliteCollation);
}
