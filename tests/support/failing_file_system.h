#pragma once

#include "common/safe_file_writer.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>

// The system's file calls, one failing with `error`. A failing write lets
// `writeOffset` bytes reach the file, as a filling disk does; Size reports a
// byte less than the file holds; FullDevice writes a new file to /dev/full
// (the kernel's own answer). Installed, it serves every file the program saves.
class FailingFileSystem : public FileSystemCalls
{
public:
    enum class Call { None, FullDevice, Write, Size, Fsync, Close, Rename };

    explicit FailingFileSystem(Call call = Call::None, int error = 0, qint64 writeOffset = 0,
                               bool install = false)
        : m_call(call), m_error(error), m_room(writeOffset), m_installed(install)
    {
        if (install)
            setFileSystemCalls(this);
    }
    ~FailingFileSystem() override
    {
        if (m_installed)
            setFileSystemCalls(nullptr);
    }
    Q_DISABLE_COPY(FailingFileSystem)

    int open(const QString& path, int flags, mode_t mode) override
    {
        const int fd = FileSystemCalls::open(path, flags, mode);
        if (m_call != Call::FullDevice || !(flags & O_CREAT) || fd < 0)
            return fd;
        FileSystemCalls::close(fd);
        return FileSystemCalls::open(QStringLiteral("/dev/full"), O_WRONLY, 0);
    }
    ssize_t write(int fd, const char* data, size_t size) override
    {
        if (m_call != Call::Write)
            return FileSystemCalls::write(fd, data, size);
        if (m_room <= 0)
            return failed();
        const ssize_t written = FileSystemCalls::write(fd, data, std::min<size_t>(size, size_t(m_room)));
        m_room -= std::max<ssize_t>(written, 0);
        return written;
    }
    off_t size(int fd) override { return FileSystemCalls::size(fd) - (m_call == Call::Size ? 1 : 0); }
    int fsync(int fd) override { return m_call == Call::Fsync ? failed() : FileSystemCalls::fsync(fd); }
    int close(int fd) override
    {
        return FileSystemCalls::close(fd) != 0 || m_call == Call::Close ? failed() : 0;
    }
    int rename(const QString& from, const QString& to, bool replace) override
    {
        return m_call == Call::Rename ? failed() : FileSystemCalls::rename(from, to, replace);
    }

private:
    int failed() const
    {
        errno = m_error;
        return -1;
    }

    Call m_call;
    int m_error;
    qint64 m_room;
    bool m_installed;
};
