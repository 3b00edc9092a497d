#pragma once

#include <QApplication>
#include <exception>
#include <functional>

// The program's application object. A database error that escapes an event
// handler goes to the error routine like any other (a damaged file is
// repaired, a locked record retried), and any other exception is reported, so
// that no exception ends the program with the catalogue in an unknown state.
class GuardedApplication : public QApplication
{
public:
    GuardedApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Makes SIGTERM (what a desktop logout or a shutdown sends) run `ended` from
// the event loop, at the next moment it runs, instead of ending the process
// with the catalogue open. Call once, after the application object exists.
void onTerminationRequest(std::function<void()> ended);

// Reports the exception being handled (call it inside a catch block) through
// the error routine or a message.
void reportEscapedException(std::exception_ptr exception);
