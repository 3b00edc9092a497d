#include "editor/gui/guarded_application.h"

#include "catalogue/db_error_handler.h"
#include "common/user_dialogs.h"
#include "database/db_error.h"

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
