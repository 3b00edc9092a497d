#include "catalogue/open_check.h"

#include "common/progress.h"
#include "common/user_dialogs.h"
#include "database/database.h"
#include "database/native_sql.h"
#include "database/select_shape.h"
#include "database/structure_check.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

DbError damaged(const Database& db)
{
    return DbError(DbErrorNumber::NotADatabase,
                   u"The catalogue '%1' is damaged."_s.arg(QDir::toNativeSeparators(db.path())));
}

void rebuildIndexes(Database& db, const QStringList& indexes, ProgressTask& progress)
{
    runKeepingProgressAlive(progress, [&] {
        db.transaction([&] {
            for (const QString& index : indexes)
                executeNative(db, "REINDEX " + quoteSqlName(index).toUtf8());
        });
    });
    userDialogs().message(
        u"Some of the catalogue's indexes (%1) did not list every row of their tables, as a failing "
        u"disk can leave them. They were rebuilt from the tables; no book or entry was changed."_s.arg(
            indexes.join(u", "_s)));
}

} // namespace

bool quickCheckAtOpen(qint64 fileSize, bool unchangedSinceCleanClose)
{
    return fileSize <= QuickCheckEveryOpenUpTo || !unchangedSinceCleanClose;
}

void checkCatalogueAtOpen(Database& db, bool unchangedSinceCleanClose)
{
    ProgressTask progress(u"Checking the catalogue '%1'..."_s.arg(QDir::toNativeSeparators(db.path())));
    const StructureCheck structure =
        checkStructure(db, [&progress](qint64 done, qint64 total) { progress.advance(done, total); });
    if (!structure.damage.isEmpty())
        throw damaged(db);
    if (quickCheckAtOpen(QFileInfo(db.path()).size(), unchangedSinceCleanClose)) {
        bool sound = false;
        runKeepingProgressAlive(progress, [&] { sound = isSoundDatabase(db, IntegrityCheck::Quick); });
        if (!sound)
            throw damaged(db);
    }
    if (!structure.indexesMissingEntries.isEmpty())
        rebuildIndexes(db, structure.indexesMissingEntries, progress);
}
