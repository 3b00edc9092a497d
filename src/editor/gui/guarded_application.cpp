#include "editor/gui/guarded_application.h"

#include "catalogue/db_error_handler.h"
#include "common/user_dialogs.h"
#include "database/db_error.h"

#include <QPointer>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool GuardedApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        reportEscapedException(std::current_exception());
        return false;
    }
}

void reportEscapedException(std::exception_ptr exception)
{
    try {
        std::rethrow_exception(exception);
    } catch (const DbError& error) {
        HandleDbError(error);
    } catch (const std::exception& error) {
        userDialogs().message(
            u"An unexpected error occurred: %1. The catalogue was not changed by the step that "
            u"failed."_s.arg(QString::fromLocal8Bit(error.what())));
    } catch (...) {
        userDialogs().message(
            u"An unexpected error occurred. The catalogue was not changed by the step that failed."_s);
    }
}

namespace {

// The signal handler may only write to a descriptor; the event loop reads the
// other end and does the rest.
int terminationPipe[2] = {-1, -1};

void noteTermination(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(terminationPipe[0], &byte, 1);
}

} // namespace

// A second call replaces what the first asked for.
void onTerminationRequest(std::function<void()> ended)
{
    if (terminationPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, terminationPipe) != 0)
        return;
    static QPointer<QSocketNotifier> notifier;
    delete notifier;
    notifier = new QSocketNotifier(terminationPipe[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier.get(), [ended = std::move(ended)] {
        char byte = 0;
        [[maybe_unused]] const auto read = ::read(terminationPipe[1], &byte, 1);
        ended();
    });
    struct sigaction action = {};
    action.sa_handler = noteTermination;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
}
