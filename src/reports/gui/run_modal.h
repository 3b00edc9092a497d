#pragma once

#include <functional>

class QDialog;

// Runs one of the reports' modal windows and returns its result. The program
// runs it with exec(); tests install a function that answers it.
int runModal(QDialog& dialog);
// Installs how modal windows run; an empty function restores exec().
void setModalRunner(std::function<int(QDialog&)> runner);
