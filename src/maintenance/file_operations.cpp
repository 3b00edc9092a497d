#include "maintenance/file_operations.h"

#include "catalogue/database.h"
#include "catalogue/sqlite_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// A connection of our own to a new file; closed however the copy ends.
struct NewDatabaseFile {
    sqlite3* db = nullptr;
    ~NewDatabaseFile() { sqlite3_close_v2(db); }
};

// The destination must not exist: the copy starts from an empty file.
QString copyPages(Database& source, const QString& destination)
{
    NewDatabaseFile target;
    int rc = sqlite3_open_v2(QFile::encodeName(destination).constData(), &target.db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK)
        return sqliteError(target.db, rc).text();
    // The new file is thrown away whenever the copy fails, so it needs no
    // journal of its own: every page is written once.
    sqlite3_exec(target.db, "PRAGMA journal_mode=OFF", nullptr, nullptr, nullptr);
    sqlite3_backup* backup = sqlite3_backup_init(target.db, "main", source.handle(), "main");
    if (!backup)
        return sqliteError(target.db, sqlite3_errcode(target.db)).text();
    rc = sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE)
        return sqliteError(target.db, rc).text();
    rc = sqlite3_close(target.db);
    target.db = nullptr;
    return rc == SQLITE_OK ? QString() : QString::fromUtf8(sqlite3_errstr(rc));
}

} // namespace

QString FileOperations::remove(const QString& path)
{
    if (std::remove(QFile::encodeName(path).constData()) == 0 || errno == ENOENT)
        return {};
    return systemError(errno);
}

QString FileOperations::rename(const QString& from, const QString& to)
{
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return {};
    return systemError(errno);
}

QString FileOperations::flush(const QString& path)
{
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return systemError(errno);
    const int synced = ::fsync(descriptor);
    const int error = errno;
    ::close(descriptor);
    // Some file systems cannot sync a folder; its names are then as safe as
    // the system makes them anyway.
    if (synced != 0 && !(QFileInfo(path).isDir() && (error == EINVAL || error == EBADF)))
        return systemError(error);
    return {};
}

QString FileOperations::compact(const QString& source, const QString& destination)
{
    try {
        compactDatabase(source, destination);
    } catch (const DbError& error) {
        return error.text();
    }
    return {};
}

QString FileOperations::copyDatabase(const QString& source, const QString& destination)
{
    if (QFileInfo::exists(destination))
        return u"'%1' already exists."_s.arg(QDir::toNativeSeparators(destination));
    try {
        std::unique_ptr<Database> database = Database::open(source, Database::OpenMode::Shared);
        const QString failure = copyPages(*database, destination);
        if (!failure.isEmpty())
            QFile::remove(destination);
        return failure;
    } catch (const DbError& error) {
        return error.text();
    }
}

FileOperations& systemFileOperations()
{
    static FileOperations files;
    return files;
}
