// The check every open of the catalogue makes, the start-up after a change
// (which adds SQLite's quick check), and a repair of the whole file, each
// beside SQLite doing the work alone.
#include "bench_registry.h"
#include "main_window_session.h"
#include "sqlite_reads.h"

#include "catalogue/open_check.h"
#include "catalogue/schema.h"
#include "database/database.h"
#include "database/native_sql.h"
#include "database/salvage.h"
#include "database/sqlite_extensions.h"
#include "editor/gui/frm_main.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

MainWindowSession& session()
{
    static auto* instance = new MainWindowSession;
    return *instance;
}

void checkUnchanged(BenchCatalogue& catalogue)
{
    checkCatalogueAtOpen(*catalogue.db, true);
}

void checkAfterChange(BenchCatalogue& catalogue)
{
    checkCatalogueAtOpen(*catalogue.db, false);
}

// SQLite's own count of every table's rows: its cheapest pass over every leaf.
void countEveryTable(BenchCatalogue& catalogue)
{
    QList<QByteArray> tables;
    {
        NativeStatement names(*catalogue.db, "SELECT name FROM sqlite_master WHERE type = 'table'");
        while (names.step())
            tables << names.columnText(0).toUtf8();
    }
    for (const QByteArray& table : tables)
        readAll(catalogue.db->handle(), "SELECT count(*) FROM \"" + table + "\" NOT INDEXED");
}

void quickCheckBySqlite(BenchCatalogue& catalogue)
{
    readAll(catalogue.db->handle(), "PRAGMA quick_check(1)");
}

void startUpAfterChange(BenchCatalogue& catalogue)
{
    session().startWindow(catalogue, true);
}

QString besideCatalogue(const BenchCatalogue& catalogue, const QString& name)
{
    return QFileInfo(catalogue.path).absoluteDir().filePath(name);
}

void rebuildFromPages(BenchCatalogue& catalogue)
{
    static const KnownLayout layout = catalogueLayout();
    const QString target = besideCatalogue(catalogue, u"rebuilt.mdb"_s);
    QFile::remove(target);
    if (!salvageInto(catalogue.path, target, layout).written)
        throw std::runtime_error("the rebuild failed");
}

void vacuumInto(BenchCatalogue& catalogue)
{
    const QString target = besideCatalogue(catalogue, u"vacuumed.mdb"_s);
    QFile::remove(target);
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(catalogue.path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    registerSqliteExtensions(db);
    const QByteArray sql = "VACUUM INTO '" + QFile::encodeName(target) + "'";
    const int rc = sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    if (rc != SQLITE_OK)
        throw std::runtime_error("VACUUM INTO failed");
}

const BenchRegistration registration{
    {u"check at open, unchanged since close"_s, checkUnchanged, countEveryTable, false},
    {u"check at open, after a change"_s, checkAfterChange, quickCheckBySqlite, false},
    {u"main window: start-up after a change"_s, startUpAfterChange, startUpReadsBySqlite, true},
    {u"repair: rebuild from the pages (vs VACUUM INTO)"_s, rebuildFromPages, vacuumInto, true},
};

} // namespace
