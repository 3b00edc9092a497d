#include "dates/gui/date_picker.h"

#include "common/gui/modal_runner.h"
#include "dates/calendar_placement.h"
#include "dates/date_entry_state.h"
#include "dates/gui/frm_date_ent.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

std::optional<QDate> runPicker(frmDateEnt& calendar)
{
    modalRunner().exec(calendar);
    if (!calendar.dayChosen())
        return std::nullopt;
    return dateEntry().PickerDate;
}

} // namespace

std::optional<QDate> pickDateWithCalendar(QWidget* parent, const QString& caption, const QDate& start)
{
    dateEntry().PickerDate = start;
    frmDateEnt calendar(parent);
    calendar.setWindowTitle(caption);
    return runPicker(calendar);
}

std::optional<QDate> pickDateWithCalendar(QWidget* parent, const QString& caption, const QDate& start,
                                          const QPoint& topLeft)
{
    dateEntry().PickerDate = start;
    frmDateEnt calendar(parent);
    calendar.setWindowTitle(caption);
    calendar.adjustSize();
    const QScreen* screen = QGuiApplication::screenAt(topLeft);
    if (!screen)
        screen = calendar.screen();
    calendar.move(screen ? keptOnScreen(topLeft, calendar.frameGeometry().size(), screen->availableGeometry())
                         : topLeft);
    return runPicker(calendar);
}
