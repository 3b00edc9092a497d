#include "maintenance/file_operations.h"

#include "database/database.h"
#include "maintenance/database_copy.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
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
    return copyDatabaseFile(source, destination);
}

FileOperations& systemFileOperations()
{
    static FileOperations files;
    return files;
}
