#pragma once

#include <QString>
#include <functional>

// How a long piece of work (a check or a repair of the catalogue) lets the
// user see that it goes on. The core reports through this interface; the GUI
// installs a window that appears once the work has taken half a second, tests
// install a recorder, and without either nothing is shown.
class ProgressReporter
{
public:
    virtual ~ProgressReporter() = default;
    virtual void begin(const QString& text) = 0;
    // Called often; also where the window keeps itself painted. total 0: the
    // length of the work is not known.
    virtual void advance(qint64 done, qint64 total) = 0;
    virtual void end() = 0;
};

ProgressReporter& progressReporter();
// Installs the reporter used from now on (not owned); nullptr restores the silent default.
void setProgressReporter(ProgressReporter* reporter);

// One piece of work, from its construction to its end.
class ProgressTask
{
public:
    explicit ProgressTask(const QString& text) { progressReporter().begin(text); }
    ~ProgressTask() { progressReporter().end(); }
    ProgressTask(const ProgressTask&) = delete;
    ProgressTask& operator=(const ProgressTask&) = delete;
    void advance(qint64 done, qint64 total) { progressReporter().advance(done, total); }
};

// Runs work, which tells nothing of its progress (one long SQLite statement),
// on a thread of its own while this thread keeps the task's window alive.
// What work throws is thrown here. Nothing else may use what work uses
// meanwhile.
void runKeepingProgressAlive(ProgressTask& task, const std::function<void()>& work);
