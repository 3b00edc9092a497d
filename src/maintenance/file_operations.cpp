#include "maintenance/file_operations.h"

#include "common/safe_file_writer.h"
#include "database/database.h"
#include "maintenance/database_copy.h"

#include <QFileInfo>
#include <cerrno>
#include <cstring>

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

QString FileOperations::remove(const QString& path)
{
    if (fileSystemCalls().unlink(path) == 0 || errno == ENOENT)
        return {};
    return systemError(errno);
}

QString FileOperations::rename(const QString& from, const QString& to)
{
    if (fileSystemCalls().rename(from, to, true) == 0)
        return {};
    return systemError(errno);
}

QString FileOperations::flush(const QString& path)
{
    if (QFileInfo(path).isDir()) {
        syncFolder(path);
        return {};
    }
    try {
        syncWrittenFile(path);
    } catch (const FileSaveError& error) {
        return error.text();
    }
    return {};
}

QString FileOperations::finish(const QString& written, const QString& path)
{
    try {
        finishWrittenFile(written, path, -1, true);
    } catch (const FileSaveError& error) {
        return error.text();
    }
    return {};
}

void FileOperations::writeCompactedCopy(const QString& source, const QString& destination)
{
    compactDatabase(source, destination);
}

QString FileOperations::compact(const QString& source, const QString& destination)
{
    try {
        writeCompactedCopy(source, destination);
    } catch (const DbError& error) {
        // SQLite names the file it works from; the one without room is the copy.
        return writingFile(error, destination).text();
    }
    return {};
}

QString FileOperations::copyDatabase(const QString& source, const QString& destination)
{
    return copyDatabaseFile(source, destination);
}

FileOperations& systemFileOperations()
{
    static FileOperations files;
    return files;
}
