#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <exception>
#include <optional>
#include <sys/types.h>

// Every file the user keeps is saved in one way: written whole under a
// temporary name in its own folder, every write's byte count checked, its
// size on disk compared with what was written, forced onto the disk, and only
// then renamed over the old file, after which the folder is forced onto the
// disk too. Whatever fails, the old file stays byte for byte, the temporary
// file is removed and the failure says why. Files another writer makes
// (SQLite's backups, compacted copies and conversions) end through the same
// last steps (finishWrittenFile).

// Why a file could not be saved. The text names the file the user asked for,
// never the temporary one.
class FileSaveError : public std::exception
{
public:
    // systemError is the errno of the failing call; 0 when one of our own
    // checks failed, which detail then describes.
    FileSaveError(QString path, int systemError, QString detail = QString());

    const QString& path() const { return m_path; }
    int systemError() const { return m_systemError; }
    // The disk or the user's quota has no room left.
    bool diskFull() const;
    // "Not enough space on disk to write to '...'." when the disk is full,
    // "Could not write '...': <the system's reason>." otherwise.
    const QString& text() const { return m_text; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_path;
    int m_systemError;
    QString m_text;
    QByteArray m_utf8;
};

// The text for a disk without room left, as every file failure gives it.
QString notEnoughSpaceText(const QString& path);

// The system calls a saved file goes through, so that tests can make any of
// them fail. Each behaves as the POSIX call of its name: -1 (or false) with
// errno set on failure.
class FileSystemCalls
{
public:
    virtual ~FileSystemCalls() = default;
    virtual int open(const QString& path, int flags, mode_t mode);
    virtual ssize_t write(int fd, const char* data, size_t size);
    virtual off_t size(int fd); // of the open file, as the file system has it
    virtual int fsync(int fd);
    virtual int close(int fd);
    // replace = false never replaces a file that appeared at `to`.
    virtual int rename(const QString& from, const QString& to, bool replace);
    virtual int unlink(const QString& path);
};

// The calls in use: the system's, unless a test installed others.
FileSystemCalls& fileSystemCalls();
// Installs calls (nullptr: the system's again).
void setFileSystemCalls(FileSystemCalls* calls);

// A free name for a temporary file beside path, in the same folder (so that
// the last rename stays on one file system).
QString temporaryPathBeside(const QString& path);

// A file written in the way described above. open() creates the temporary
// file; writes are gathered in a buffer and handed to the system in large
// pieces; commit() puts the file in place or throws FileSaveError. A write
// that fails is remembered and reported by commit(). An object destroyed
// (or closed) without a commit removes its temporary file.
class SafeFileWriter : public QIODevice
{
public:
    static constexpr qsizetype DefaultBufferSize = 1 << 16;

    explicit SafeFileWriter(const QString& path, FileSystemCalls& calls = fileSystemCalls(),
                            qsizetype bufferSize = DefaultBufferSize);
    ~SafeFileWriter() override;

    // Only QIODevice::WriteOnly. False when the temporary file cannot be
    // made; failure() says why.
    bool open(OpenMode mode) override;
    // open(WriteOnly) that throws FileSaveError.
    void openOrThrow();
    void close() override;
    bool isSequential() const override { return true; }

    void commit();

    // The first failure, if any.
    const std::optional<FileSaveError>& failure() const { return m_failure; }
    // The path as given.
    QString path() const { return m_shownPath; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    bool fail(int systemError, const QString& detail = QString());
    bool flushBuffer();
    bool writeOut(const char* data, qsizetype size);
    void discard();

    QString m_path;      // where the file goes (a link's target when path is a symbolic link)
    QString m_shownPath; // what the user asked for
    QString m_temporary;
    FileSystemCalls& m_calls;
    qsizetype m_bufferSize;
    QByteArray m_buffer;
    qint64 m_written = 0;
    int m_fd = -1;
    std::optional<FileSaveError> m_failure;
};

// Puts a file that another writer has finished under `temporary` in the place
// of `path`: checks its size (when expectedSize is not negative), forces it
// onto the disk, renames it (replacing a file at path only when replace is
// true) and forces the folder onto the disk. On failure the temporary file is
// removed, path is left as it was, and FileSaveError says why.
void finishWrittenFile(const QString& temporary, const QString& path, qint64 expectedSize, bool replace,
                       FileSystemCalls& calls = fileSystemCalls());

// Forces a file that is already in place onto the disk. Throws FileSaveError.
void syncWrittenFile(const QString& path, FileSystemCalls& calls = fileSystemCalls());

// Forces a folder's list of names onto the disk, where the file system can;
// a failure changes nothing that could still be undone, so it is not
// reported.
void syncFolder(const QString& folder, FileSystemCalls& calls = fileSystemCalls());
