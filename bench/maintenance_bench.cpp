// Backup, compaction and the removal of unused entries, each beside SQLite
// (or the system) doing the same work alone.
#include "bare_connection.h"

#include "database/database.h"
#include "database/native_sql.h"
#include "database/sqlite_extensions.h"
#include "database/text_order.h"
#include "maintenance/backup.h"
#include "maintenance/compaction.h"
#include "maintenance/maintenance_files.h"
#include "maintenance/unused_entries.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <sqlite3.h>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

QString besideCatalogue(const BenchCatalogue& catalogue, const QString& name)
{
    return QFileInfo(catalogue.path).absoluteDir().filePath(name);
}

// The backups go to a folder of their own, as to a medium.
QString backupFolder(const BenchCatalogue& catalogue)
{
    const QString folder = besideCatalogue(catalogue, u"medium"_s);
    QDir().mkpath(folder);
    return folder;
}

void compact(BenchCatalogue& catalogue)
{
    const CompactionResult result = compactCatalogue(catalogue.path);
    if (result.outcome != CompactionResult::Outcome::Compacted)
        throw std::runtime_error(result.message.toStdString());
}

// SQLite's built-in NOCASE, the rule the program's collation equals on ASCII
// text: what the same work costs with the simplest rule there is.
int asciiNoCase(void*, int leftLength, const void* left, int rightLength, const void* right)
{
    const int order = sqlite3_strnicmp(static_cast<const char*>(left), static_cast<const char*>(right),
                                       std::min(leftLength, rightLength));
    return order != 0 ? order : leftLength - rightLength;
}

// VACUUM INTO alone. The catalogue's indexes order text by the program's
// collation, so SQLite needs it registered to do the same work; or, for the
// cost of the order itself, SQLite's own NOCASE under the collation's name.
void vacuumInto(BenchCatalogue& catalogue, bool programCollation)
{
    const QString target = besideCatalogue(catalogue, u"x"_s);
    QFile::remove(target);
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(catalogue.path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    if (programCollation)
        registerSqliteExtensions(db);
    else
        sqlite3_create_collation(db, TextOrder::CollationName, SQLITE_UTF8, nullptr, &asciiNoCase);
    const QByteArray sql = "VACUUM INTO '" + QFile::encodeName(target) + "'";
    const int rc = sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    if (rc != SQLITE_OK)
        throw std::runtime_error("VACUUM INTO failed");
}

void backUp(BenchCatalogue& catalogue)
{
    const QString failure = backupCatalogue(catalogue.path, backupFolder(catalogue));
    if (!failure.isEmpty())
        throw std::runtime_error(failure.toStdString());
}

// What `cp` does: the bytes, nothing more.
void copyFile(BenchCatalogue& catalogue)
{
    const QString target = QDir(backupFolder(catalogue)).filePath(u"copy.mdb"_s);
    QFile::remove(target);
    if (!QFile::copy(catalogue.path, target))
        throw std::runtime_error("copy failed");
}

// Each run first adds a thousand authors no book uses, so that every run has
// entries to remove as well as every author to check.
constexpr int UnusedAuthors = 1000;

void addUnusedAuthors(Database& db)
{
    db.transaction([&] {
        NativeStatement add(db, "INSERT INTO Authors (LastName, FirstName) VALUES ('Unused', ?)");
        for (int i = 0; i < UnusedAuthors; ++i) {
            add.bindText(1, QString::number(i));
            add.run();
        }
    });
}

void deleteUnusedAuthors(BenchCatalogue& catalogue)
{
    addUnusedAuthors(*catalogue.db);
    if (deleteUnusedEntries(*catalogue.db, LookupField::Author) < UnusedAuthors)
        throw std::runtime_error("unused authors left");
}

// SQLite's own way: one index look-up per author.
void deleteUnusedAuthorsWithSqlite(BenchCatalogue& catalogue)
{
    sqlite3* db = bareConnection(catalogue);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* add = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO Authors (LastName, FirstName) VALUES ('Unused', ?)", -1, &add,
                       nullptr);
    for (int i = 0; i < UnusedAuthors; ++i) {
        const QByteArray number = QByteArray::number(i);
        sqlite3_bind_text(add, 1, number.constData(), int(number.size()), SQLITE_TRANSIENT);
        sqlite3_step(add);
        sqlite3_reset(add);
    }
    sqlite3_finalize(add);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    if (sqlite3_exec(db,
                     "DELETE FROM Authors WHERE NOT EXISTS "
                     "(SELECT 1 FROM Books WHERE Books.AuthID = Authors.AuthID)",
                     nullptr, nullptr, nullptr) != SQLITE_OK ||
        sqlite3_changes(db) < UnusedAuthors)
        throw std::runtime_error("SQLite left unused authors");
}

const BenchRegistration registration{
    {u"compact (vs VACUUM INTO, same collation)"_s, compact,
     [](BenchCatalogue& catalogue) { vacuumInto(catalogue, true); }, true, u"<= 1.5x"_s},
    {u"compact (vs VACUUM INTO, SQLite's NOCASE)"_s,
     compact,
     [](BenchCatalogue& catalogue) { vacuumInto(catalogue, false); },
     true,
     {},
     u"bare connection, NOCASE"_s},
    {u"backup catalogue (synced, renamed)"_s, backUp, copyFile, true, {}, u"file copy"_s},
    {u"delete unused authors (1,000 of them)"_s, deleteUnusedAuthors, deleteUnusedAuthorsWithSqlite},
};

} // namespace
