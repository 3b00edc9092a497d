#pragma once

#include <functional>

class QDialog;

// Shows the search window modally and returns its result. Tests install a
// runner that acts on the window as a user would, so that no test waits for
// a human; an empty runner restores the real one.
int execFindWindow(QDialog& window);
void setFindWindowRunner(std::function<int(QDialog&)> runner);
