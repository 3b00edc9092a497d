#include "maintenance/database_copy.h"

#include "common/safe_file_writer.h"
#include "database/database.h"
#include "database/native_sql.h"
#include "database/sqlite_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    bool closeChecked()
    {
        const int fd = std::exchange(m_fd, -1);
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool writeAll(int fd, const char* data, ssize_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written == 0)
            errno = ENOSPC; // a file that takes no more bytes has no room for them
        if (written <= 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

// What went wrong copying into destination: on which side, and why.
QString copyFailure(bool reading, const QString& source, const QString& destination)
{
    if (reading)
        return u"Could not read '%1': %2."_s.arg(QDir::toNativeSeparators(source), systemError());
    return FileSaveError(destination, errno).text();
}

// The kernel copies within one file system; across file systems (onto a
// USB stick) the bytes go through a buffer. Counts the bytes copied.
QString copyBytes(int from, int to, qint64& copiedBytes, const QString& source, const QString& destination)
{
    for (;;) {
        const ssize_t copied = ::copy_file_range(from, nullptr, to, nullptr, 1 << 30, 0);
        if (copied == 0)
            return {};
        if (copied > 0) {
            copiedBytes += copied;
            continue;
        }
        if (errno == EINTR)
            continue;
        if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP || errno == EPERM)
            break;
        // One call reads and writes; the text names the file being written.
        return copyFailure(false, source, destination);
    }
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const ssize_t read = ::read(from, buffer.data(), buffer.size());
        if (read < 0 && errno == EINTR)
            continue;
        if (read < 0)
            return copyFailure(true, source, destination);
        if (read == 0)
            return {};
        if (!writeAll(to, buffer.data(), read))
            return copyFailure(false, source, destination);
        copiedBytes += read;
    }
}

qint64 sizeOf(int fd)
{
    struct stat info
    {
    };
    return ::fstat(fd, &info) == 0 ? qint64(info.st_size) : -1;
}

// The file's own bytes. `source` must be in a read transaction. Every byte
// of the file must arrive: the copy's size is checked against the file's.
QString copyFileBytes(const QString& sourcePath, const QString& destination)
{
    // Closing this descriptor drops SQLite's lock on the file too (POSIX
    // drops a process's locks with any of its descriptors), which no longer
    // matters once the bytes are copied.
    Descriptor from(::open(QFile::encodeName(sourcePath).constData(), O_RDONLY | O_CLOEXEC));
    if (from.get() < 0)
        return copyFailure(true, sourcePath, destination);
    Descriptor to(
        ::open(QFile::encodeName(destination).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (to.get() < 0)
        return copyFailure(false, sourcePath, destination);
    qint64 copied = 0;
    if (const QString failure = copyBytes(from.get(), to.get(), copied, sourcePath, destination);
        !failure.isEmpty())
        return failure;
    const qint64 expected = sizeOf(from.get());
    const qint64 arrived = sizeOf(to.get());
    if (arrived != expected || copied != expected)
        return FileSaveError(destination, 0,
                             u"only %1 of the catalogue's %2 bytes arrived"_s.arg(arrived).arg(expected))
            .text();
    return to.closeChecked() ? QString() : copyFailure(false, sourcePath, destination);
}

// A connection of our own to a new file; closed however the copy ends.
struct NewDatabaseFile
{
    sqlite3* db = nullptr;
    ~NewDatabaseFile() { sqlite3_close_v2(db); }
};

QString copyPages(Database& source, const QString& destination)
{
    NewDatabaseFile target;
    int rc = sqlite3_open_v2(QFile::encodeName(destination).constData(), &target.db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK)
        return sqliteError(target.db, rc).text();
    // The new file is thrown away whenever the copy fails, so it needs no
    // journal of its own.
    sqlite3_exec(target.db, "PRAGMA journal_mode=OFF", nullptr, nullptr, nullptr);
    sqlite3_backup* backup = sqlite3_backup_init(target.db, "main", source.handle(), "main");
    if (!backup)
        return sqliteError(target.db, sqlite3_errcode(target.db)).text();
    rc = sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE)
        return sqliteError(target.db, rc).text();
    rc = sqlite3_close(std::exchange(target.db, nullptr));
    if (rc != SQLITE_OK)
        return QString::fromUtf8(sqlite3_errstr(rc));
    // Every page SQLite wrote is in the file, as many as its header counts.
    const qint64 declared = declaredSqliteFileSize(destination);
    const qint64 arrived = QFileInfo(destination).size();
    if (declared >= 0 && arrived != declared)
        return FileSaveError(destination, 0, u"only %1 of its %2 bytes arrived"_s.arg(arrived).arg(declared))
            .text();
    return {};
}

QString copyLocked(const QString& source, const QString& destination)
{
    std::unique_ptr<Database> database = Database::open(source, Database::OpenMode::Shared);
    bool writeAheadLog = false;
    {
        NativeStatement mode(*database, "PRAGMA journal_mode");
        writeAheadLog = mode.step() && mode.columnText(0).compare(u"wal"_s, Qt::CaseInsensitive) == 0;
    }
    if (writeAheadLog)
        return copyPages(*database, destination);
    // Reading in a transaction keeps the shared lock until the end.
    executeNative(*database, "BEGIN; SELECT count(*) FROM sqlite_master");
    const QString failure = copyFileBytes(source, destination);
    database->close();
    return failure;
}

} // namespace

QString copyDatabaseFile(const QString& source, const QString& destination)
{
    if (QFileInfo::exists(destination))
        return u"'%1' already exists."_s.arg(QDir::toNativeSeparators(destination));
    QString failure;
    try {
        failure = copyLocked(source, destination);
    } catch (const DbError& error) {
        failure = error.text();
    }
    if (!failure.isEmpty())
        QFile::remove(destination);
    return failure;
}
