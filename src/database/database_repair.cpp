// Compaction and repair of a catalogue file that no one has open.

#include "database/database_repair.h"

#include "common/clock.h"
#include "common/progress.h"
#include "common/safe_file_writer.h"
#include "database/catalogue_file_check.h"
#include "database/database.h"
#include "database/native_sql.h"
#include "database/salvage.h"
#include "database/sqlite_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

void compactDatabase(const QString& source, const QString& destination)
{
    if (QFileInfo::exists(destination))
        throw DbError(3204, u"Database '%1' already exists."_s.arg(QDir::toNativeSeparators(destination)));
    std::unique_ptr<Database> database = Database::open(source, Database::OpenMode::Shared);
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(database->handle(), "VACUUM INTO ?1", -1, &statement, nullptr);
    if (rc == SQLITE_OK) {
        const QByteArray target = QFile::encodeName(destination);
        sqlite3_bind_text(statement, 1, target.constData(), int(target.size()), SQLITE_TRANSIENT);
        rc = sqlite3_step(statement);
    }
    if (rc != SQLITE_OK && rc != SQLITE_DONE) {
        const DbError error = sqliteError(database->handle(), rc, u"compacting into '%1'"_s.arg(destination));
        sqlite3_finalize(statement);
        database->close();
        QFile::remove(destination);
        throw error;
    }
    sqlite3_finalize(statement);
    database->close();
}

namespace {

QString unusedPath(const QString& folder, const QString& baseName, const QString& suffix)
{
    QString candidate = folder + u'/' + baseName + suffix;
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = folder + u'/' + baseName + u" "_s + QString::number(n) + suffix;
    return candidate;
}

RepairResult nothingRecovered(const QString& path, const QString& reason)
{
    RepairResult result;
    result.message =
        u"The catalogue '%1' could not be repaired: %2 Nothing could be recovered, and the file was "
        u"left as it was."_s.arg(QDir::toNativeSeparators(path), reason);
    return result;
}

// Why a file cannot be repaired at all, judged before reading it; empty when
// it may hold pages to read.
QString unrepairable(CatalogueFileKind kind)
{
    switch (kind) {
    case CatalogueFileKind::Missing:
        return u"the file does not exist."_s;
    case CatalogueFileKind::Directory:
        return u"it is a folder."_s;
    case CatalogueFileKind::Unreadable:
        return u"the file cannot be read."_s;
    case CatalogueFileKind::Empty:
        return u"the file is empty."_s;
    case CatalogueFileKind::Foreign:
        return u"nothing in it reads as a catalogue: it is not a catalogue file of this program, or it is "
               u"damaged throughout."_s;
    case CatalogueFileKind::JetOrAce:
        return u"it is a catalogue of the older kind, which must be converted, not repaired."_s;
    case CatalogueFileKind::TruncatedSqlite:
        return u"the file is cut short before the end of its first page."_s;
    case CatalogueFileKind::DamagedSqlite:
    case CatalogueFileKind::Sqlite:
        break;
    }
    return {};
}

// The rebuilt file is whole (as long as its header says) and on the disk
// before it may take the catalogue's place.
bool wholeOnDisk(const QString& path)
{
    if (QFileInfo(path).size() != declaredSqliteFileSize(path))
        return false;
    try {
        syncWrittenFile(path);
    } catch (const FileSaveError&) {
        return false;
    }
    return true;
}

bool nothingCameBack(const SalvageOutcome& outcome)
{
    return !outcome.anythingFound && std::all_of(outcome.tables.begin(), outcome.tables.end(),
                                                 [](const TableRecovery& table) { return table.rows == 0; });
}

} // namespace

RepairResult repairDatabase(const QString& path, const KnownLayout& layout)
{
    const QString shown = QDir::toNativeSeparators(path);
    if (HeldCatalogueFiles::isHeld(path)) {
        RepairResult result;
        result.message = u"The catalogue '%1' cannot be repaired while it is open."_s.arg(shown);
        return result;
    }
    if (const QString reason = unrepairable(inspectCatalogueFile(path)); !reason.isEmpty())
        return nothingRecovered(path, reason);
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    const QString suffix = info.suffix().isEmpty() ? QString() : u"."_s + info.suffix();
    for (const QString& leftover :
         QDir(folder).entryList({info.completeBaseName() + u" (repairing)*"_s}, QDir::Files))
        QFile::remove(folder + u'/' + leftover);
    const QString rebuilt = unusedPath(folder, info.completeBaseName() + u" (repairing)"_s, suffix);
    const auto removeRebuilt = [&rebuilt] {
        QFile::remove(rebuilt);
        QFile::remove(rebuilt + u"-journal"_s);
    };

    SalvageOutcome outcome;
    {
        ProgressTask progress(u"Repairing the catalogue '%1'..."_s.arg(shown));
        outcome = salvageInto(path, rebuilt, layout,
                              [&progress](qint64 done, qint64 total) { progress.advance(done, total); });
    }
    if (!outcome.written || !wholeOnDisk(rebuilt)) {
        removeRebuilt();
        return nothingRecovered(path, u"the repaired copy could not be written beside it."_s);
    }
    if (nothingCameBack(outcome)) {
        removeRebuilt();
        return nothingRecovered(path, u"not even the list of its tables can be read."_s);
    }
    const QString stamp = Clock::now().toString(u"yyyy-MM-dd hh-mm-ss"_s);
    const QString damagedCopy =
        unusedPath(folder, info.completeBaseName() + u" (damaged "_s + stamp + u")"_s, suffix);
    if (!QFile::rename(path, damagedCopy)) {
        removeRebuilt();
        RepairResult result;
        result.message =
            u"The catalogue '%1' is damaged, but it could not be repaired: the damaged file could not "
            u"be set aside. Nothing was changed."_s.arg(shown);
        return result;
    }
    if (!QFile::rename(rebuilt, path)) {
        QFile::rename(damagedCopy, path);
        removeRebuilt();
        RepairResult result;
        result.message =
            u"The catalogue '%1' is damaged, but the repaired copy could not take its place. Nothing "
            u"was changed."_s.arg(shown);
        return result;
    }
    syncFolder(folder);
    RepairResult result;
    result.recovered = true;
    result.damagedCopyPath = damagedCopy;
    result.tables = outcome.tables;
    for (const TableRecovery& table : result.tables)
        result.rowsRecovered += table.rows;
    result.message =
        u"The catalogue was damaged. %1 rows were recovered; the damaged file was kept as '%2'."_s
            .arg(result.rowsRecovered)
            .arg(QDir::toNativeSeparators(damagedCopy));
    return result;
}
