#pragma once

#include <functional>

class QDialog;

// Runs the calendar window modally and returns its result. The program uses
// QDialog::exec(); tests install a runner that works the window and returns
// without waiting for anyone.
int runCalendar(QDialog& calendar);

using CalendarRunner = std::function<int(QDialog&)>;
// An empty runner returns to QDialog::exec().
void setCalendarRunner(CalendarRunner runner);
