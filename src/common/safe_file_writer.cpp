#include "common/safe_file_writer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString systemErrorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString failureText(const QString& path, int systemError, const QString& detail)
{
    if (systemError == ENOSPC || systemError == EDQUOT)
        return notEnoughSpaceText(path);
    const QString reason = systemError != 0 ? systemErrorText(systemError) : detail;
    return u"Could not write '%1': %2."_s.arg(shown(path), reason);
}

FileSystemCalls& systemCalls()
{
    static FileSystemCalls calls;
    return calls;
}

FileSystemCalls* installedCalls = nullptr;

// Where a file saved at path really goes: a symbolic link keeps pointing at
// the file it names, which is the one replaced.
QString followLink(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString target = info.symLinkTarget();
    return target.isEmpty() ? path : target;
}

} // namespace

FileSaveError::FileSaveError(QString path, int systemError, QString detail)
    : m_path(std::move(path)), m_systemError(systemError), m_text(failureText(m_path, systemError, detail)),
      m_utf8(m_text.toUtf8())
{
}

bool FileSaveError::diskFull() const
{
    return m_systemError == ENOSPC || m_systemError == EDQUOT;
}

QString notEnoughSpaceText(const QString& path)
{
    return u"Not enough space on disk to write to '%1'."_s.arg(shown(path));
}

int FileSystemCalls::open(const QString& path, int flags, mode_t mode)
{
    return ::open(QFile::encodeName(path).constData(), flags, mode);
}

ssize_t FileSystemCalls::write(int fd, const char* data, size_t size)
{
    return ::write(fd, data, size);
}

off_t FileSystemCalls::size(int fd)
{
    struct stat info
    {
    };
    return ::fstat(fd, &info) == 0 ? info.st_size : -1;
}

int FileSystemCalls::fsync(int fd)
{
    return ::fsync(fd);
}

int FileSystemCalls::close(int fd)
{
    return ::close(fd);
}

int FileSystemCalls::rename(const QString& from, const QString& to, bool replace)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (replace)
        return ::rename(source.constData(), target.constData());
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    // A file system without the exclusive rename: a second name that cannot
    // replace anything, then the first one goes.
    if (::link(source.constData(), target.constData()) != 0)
        return -1;
    ::unlink(source.constData());
    return 0;
}

int FileSystemCalls::unlink(const QString& path)
{
    return ::unlink(QFile::encodeName(path).constData());
}

FileSystemCalls& fileSystemCalls()
{
    return installedCalls ? *installedCalls : systemCalls();
}

void setFileSystemCalls(FileSystemCalls* calls)
{
    installedCalls = calls;
}

QString temporaryPathBeside(const QString& path)
{
    const QFileInfo info(path);
    QString candidate;
    do {
        candidate = info.absoluteDir().filePath(u".%1.%2.partial"_s.arg(
            info.fileName(), QString::number(QRandomGenerator::global()->generate(), 16)));
    } while (QFileInfo::exists(candidate) || QFileInfo(candidate).isSymLink());
    return candidate;
}

SafeFileWriter::SafeFileWriter(const QString& path, FileSystemCalls& calls, qsizetype bufferSize)
    : m_path(followLink(path)), m_shownPath(path), m_calls(calls),
      m_bufferSize(qMax<qsizetype>(bufferSize, 1))
{
}

SafeFileWriter::~SafeFileWriter()
{
    discard();
}

bool SafeFileWriter::open(OpenMode mode)
{
    if (isOpen() || (mode & ReadOnly) || !(mode & WriteOnly) || (mode & (Append | ExistingOnly)))
        return fail(EINVAL);
    // Another attempt only when a file took the chosen name meanwhile.
    for (int attempt = 0; attempt < 10 && m_fd < 0; ++attempt) {
        m_temporary = temporaryPathBeside(m_path);
        m_fd = m_calls.open(m_temporary, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd < 0 && errno != EEXIST) {
            m_temporary.clear();
            return fail(errno);
        }
    }
    if (m_fd < 0) {
        m_temporary.clear();
        return fail(EEXIST);
    }
    // The new file keeps the permissions of the one it replaces.
    struct stat old
    {
    };
    if (::stat(QFile::encodeName(m_path).constData(), &old) == 0)
        (void)::fchmod(m_fd, old.st_mode & 07777);
    m_buffer.reserve(m_bufferSize);
    return QIODevice::open(WriteOnly);
}

void SafeFileWriter::openOrThrow()
{
    if (!open(WriteOnly))
        throw *m_failure;
}

void SafeFileWriter::close()
{
    discard();
    QIODevice::close();
}

qint64 SafeFileWriter::writeData(const char* data, qint64 size)
{
    if (m_failure || m_fd < 0)
        return -1;
    // A piece as large as the buffer goes out as it is.
    if (m_buffer.isEmpty() && size >= m_bufferSize)
        return writeOut(data, qsizetype(size)) ? size : -1;
    m_buffer.append(data, qsizetype(size));
    if (m_buffer.size() >= m_bufferSize && !flushBuffer())
        return -1;
    return size;
}

bool SafeFileWriter::flushBuffer()
{
    const bool written = writeOut(m_buffer.constData(), m_buffer.size());
    m_buffer.clear();
    return written;
}

// The system may take fewer bytes than offered; the rest goes in the next
// call, which then tells why it cannot (a full disk, above all).
bool SafeFileWriter::writeOut(const char* data, qsizetype size)
{
    while (size > 0) {
        const ssize_t written = m_calls.write(m_fd, data, size_t(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return fail(errno);
        if (written == 0)
            return fail(0, u"the system took no more of it"_s);
        m_written += written;
        data += written;
        size -= written;
    }
    return true;
}

bool SafeFileWriter::fail(int systemError, const QString& detail)
{
    if (!m_failure) {
        m_failure.emplace(m_shownPath, systemError, detail);
        setErrorString(m_failure->text());
    }
    return false;
}

void SafeFileWriter::commit()
{
    if (m_fd < 0 && !m_failure)
        fail(EBADF);
    if (!m_failure && flushBuffer()) {
        const off_t onDisk = m_calls.size(m_fd);
        if (onDisk < 0)
            fail(errno);
        else if (onDisk != m_written)
            fail(0, u"only %1 of its %2 bytes reached the disk"_s.arg(onDisk).arg(m_written));
    }
    if (!m_failure && m_calls.fsync(m_fd) != 0)
        fail(errno);
    // Some file systems (network ones) report a failed write only here.
    if (m_fd >= 0 && m_calls.close(std::exchange(m_fd, -1)) != 0)
        fail(errno);
    if (!m_failure && m_calls.rename(m_temporary, m_path, true) != 0)
        fail(errno);
    if (m_failure) {
        close();
        throw *m_failure;
    }
    m_temporary.clear();
    syncFolder(QFileInfo(m_path).absolutePath(), m_calls);
    QIODevice::close();
}

void SafeFileWriter::discard()
{
    if (m_fd >= 0)
        m_calls.close(std::exchange(m_fd, -1));
    if (!m_temporary.isEmpty())
        m_calls.unlink(std::exchange(m_temporary, QString()));
    m_buffer.clear();
}

namespace {

// The first of a series of steps that failed.
struct FirstFailure
{
    int systemError = 0;
    QString detail;

    bool happened() const { return systemError != 0 || !detail.isEmpty(); }
    void note(int error, const QString& why = QString())
    {
        if (happened())
            return;
        systemError = error;
        detail = error == 0 && why.isEmpty() ? u"the system gave no reason"_s : why;
    }
};

// Checks the size of a file already written and forces it onto the disk.
FirstFailure syncFile(const QString& path, qint64 expectedSize, FileSystemCalls& calls)
{
    FirstFailure failure;
    const int fd = calls.open(path, O_RDONLY | O_CLOEXEC, 0);
    if (fd < 0) {
        failure.note(errno);
        return failure;
    }
    const off_t size = calls.size(fd);
    if (size < 0)
        failure.note(errno);
    else if (expectedSize >= 0 && size != expectedSize)
        failure.note(0, u"only %1 of its %2 bytes reached the disk"_s.arg(size).arg(expectedSize));
    if (!failure.happened() && calls.fsync(fd) != 0)
        failure.note(errno);
    if (calls.close(fd) != 0)
        failure.note(errno);
    return failure;
}

} // namespace

void finishWrittenFile(const QString& temporary, const QString& path, qint64 expectedSize, bool replace,
                       FileSystemCalls& calls)
{
    FirstFailure failure = syncFile(temporary, expectedSize, calls);
    if (!failure.happened() && calls.rename(temporary, path, replace) != 0)
        failure.note(errno);
    if (failure.happened()) {
        calls.unlink(temporary);
        throw FileSaveError(path, failure.systemError, failure.detail);
    }
    syncFolder(QFileInfo(path).absolutePath(), calls);
}

void syncWrittenFile(const QString& path, FileSystemCalls& calls)
{
    const FirstFailure failure = syncFile(path, -1, calls);
    if (failure.happened())
        throw FileSaveError(path, failure.systemError, failure.detail);
}

void syncFolder(const QString& folder, FileSystemCalls& calls)
{
    const int fd = calls.open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd < 0)
        return;
    (void)calls.fsync(fd);
    calls.close(fd);
}
