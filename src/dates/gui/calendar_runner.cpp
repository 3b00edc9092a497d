#include "dates/gui/calendar_runner.h"

#include "common/gui/modal_runner.h"

#include <QDialog>

namespace {

CalendarRunner& installedRunner()
{
    static CalendarRunner runner;
    return runner;
}

} // namespace

int runCalendar(QDialog& calendar)
{
    const CalendarRunner& runner = installedRunner();
    return runner ? runner(calendar) : modalRunner().exec(calendar);
}

void setCalendarRunner(CalendarRunner runner)
{
    installedRunner() = std::move(runner);
}
