#include "import/isolated_run.h"

#include "database/db_error.h"
#include "import/jet_source.h"

#include <QtGlobal>
#include <cstring>
#include <exception>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

// The child's answer, as the caller sees it: bytes, or a failure text.
struct Outcome
{
    bool failed = false;
    QByteArray bytes;
};

Outcome runCatching(const std::function<QByteArray(const Heartbeat&)>& work, const Heartbeat& heartbeat)
{
    try {
        return {false, work(heartbeat)};
    } catch (const ConversionError& error) {
        return {true, error.message().toUtf8()};
    } catch (const DbError& error) {
        return {true, error.text().toUtf8()};
    } catch (const std::exception& error) {
        return {true, QByteArray(error.what())};
    } catch (...) {
        return {true, QByteArray("The conversion failed for an unknown reason.")};
    }
}

QByteArray answered(const Outcome& outcome)
{
    if (outcome.failed)
        throw ConversionError(QString::fromUtf8(outcome.bytes));
    return outcome.bytes;
}

#ifdef Q_OS_UNIX

// The pipe carries one byte per heartbeat, then the answer: 'R' (result) or
// 'F' (failure), its length in eight bytes and its bytes.
constexpr char HeartbeatByte = 'H';
constexpr char ResultByte = 'R';
constexpr char FailureByte = 'F';
constexpr size_t LengthBytes = sizeof(qint64);

bool writeAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= size_t(written);
    }
    return true;
}

[[noreturn]] void runChild(int fd, const std::function<QByteArray(const Heartbeat&)>& work)
{
    // The library reports what it meets on standard error; the parent tells
    // the user instead.
    const int devNull = ::open("/dev/null", O_WRONLY);
    if (devNull >= 0)
        ::dup2(devNull, STDERR_FILENO);
    const Outcome outcome = runCatching(work, [fd] { writeAll(fd, &HeartbeatByte, 1); });
    QByteArray answer(1, outcome.failed ? FailureByte : ResultByte);
    const qint64 length = outcome.bytes.size();
    answer.append(reinterpret_cast<const char*>(&length), LengthBytes);
    answer.append(outcome.bytes);
    // Leave at once: no destructor or exit handler of the parent's objects may
    // run twice.
    ::_exit(writeAll(fd, answer.constData(), size_t(answer.size())) ? 0 : 1);
}

// Takes the heartbeats off the front of what arrived; true when a whole
// answer is there.
bool parseAnswer(QByteArray& received, Outcome& outcome)
{
    qsizetype skipped = 0;
    while (skipped < received.size() && received.at(skipped) == HeartbeatByte)
        ++skipped;
    received.remove(0, skipped);
    if (received.size() < qsizetype(1 + LengthBytes))
        return false;
    qint64 length = 0;
    std::memcpy(&length, received.constData() + 1, LengthBytes);
    if (received.size() < qsizetype(1 + LengthBytes) + length)
        return false;
    outcome.failed = received.at(0) == FailureByte;
    outcome.bytes = received.mid(qsizetype(1 + LengthBytes), length);
    return true;
}

void reap(pid_t child)
{
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
}

#endif

} // namespace

QByteArray runIsolated(const std::function<QByteArray(const Heartbeat&)>& work,
                       std::chrono::milliseconds silenceLimit, const IsolationTexts& texts)
{
#ifdef Q_OS_UNIX
    int fds[2];
    if (::pipe(fds) != 0)
        return answered(runCatching(work, Heartbeat()));
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return answered(runCatching(work, Heartbeat()));
    }
    if (child == 0) {
        ::close(fds[0]);
        runChild(fds[1], work);
    }
    ::close(fds[1]);
    QByteArray received;
    Outcome outcome;
    bool complete = false;
    bool stalled = false;
    while (!complete) {
        pollfd wait{fds[0], POLLIN, 0};
        const int ready = ::poll(&wait, 1, int(silenceLimit.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0) {
            stalled = true;
            ::kill(child, SIGKILL);
            break;
        }
        char buffer[65536];
        const ssize_t got = ::read(fds[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break; // the child is gone
        received.append(buffer, got);
        complete = parseAnswer(received, outcome);
    }
    ::close(fds[0]);
    reap(child);
    if (!complete)
        throw ConversionError(stalled ? texts.stalled : texts.crashed);
    return answered(outcome);
#else
    Q_UNUSED(silenceLimit);
    Q_UNUSED(texts);
    return answered(runCatching(work, Heartbeat()));
#endif
}
