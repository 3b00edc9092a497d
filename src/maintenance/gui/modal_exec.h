#pragma once

#include <functional>

class QDialog;

// Runs one of the program's own modal windows (backup, about) and returns its
// result. Tests install a runner that acts on the window as a user would, so
// that no test waits for a human; an empty function restores exec().
int execModal(QDialog& dialog);
void setModalExec(std::function<int(QDialog&)> runner);
