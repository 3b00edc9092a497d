#pragma once

class QDialog;

// How the program runs its own modal windows (the choice of a report's
// author, category or location, read or unread, the calendar, the backup
// place). The program runs them for real; tests install ScriptedModals, which
// acts on each window as a user would and returns its result, so no test ever
// waits for a human.
class ModalRunner
{
public:
    virtual ~ModalRunner() = default;
    // Shows dialog modally and returns its result (QDialog::Accepted or
    // Rejected, or what the dialog passed to done()).
    virtual int exec(QDialog& dialog) = 0;
};

// The runner in use: the installed one, else one that calls dialog.exec().
ModalRunner& modalRunner();
// Installs the runner used from now on (not owned); nullptr restores the
// default.
void setModalRunner(ModalRunner* runner);
