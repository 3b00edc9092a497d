#include "dates/gui/date_field.h"

#include "common/gui/leaving_fields.h"
#include "common/gui/modal_runner.h"
#include "common/locale_formats.h"
#include "common/user_dialogs.h"
#include "dates/calendar_navigation.h"
#include "dates/date_entry_state.h"
#include "dates/gui/frm_date_ent.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <QScreen>

DateField::DateField(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    // The list is never used: Enter must not add the text to it, and there is
    // nothing to complete from.
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    // Wide enough for the longest short date, whether or not the field holds one.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(static_cast<int>(LocaleFormats::shortDate(QDate(2030, 12, 28)).size()) + 1);
    connect(lineEdit(), &QLineEdit::textChanged, this, &DateField::textChanged);
    connect(lineEdit(), &QLineEdit::textChanged, this, &DateField::edited);
}

QString DateField::text() const
{
    return lineEdit()->text();
}

void DateField::setText(const QString& text)
{
    lineEdit()->setText(text);
}

bool DateField::acceptText()
{
    const QString typed = text();
    if (typed.isEmpty() || LocaleFormats::isDate(typed))
        return true;
    userDialogs().message(m_refusal);
    setFocus(Qt::OtherFocusReason);
    return false;
}

void DateField::focusOutEvent(QFocusEvent* event)
{
    QComboBox::focusOutEvent(event);
    // Leaving the field for another program, the calendar or one of its own
    // pop-ups is not leaving it for another field; leaving it for Cancel drops
    // the text, which needs no check.
    const Qt::FocusReason reason = event->reason();
    if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason && !focusGoesToDropChanges())
        acceptText();
}

void DateField::showPopup()
{
    dateEntry().PickerDate = calendarStartDate(text(), m_options.movesOldDatesForward);

    frmDateEnt calendar(window());
    calendar.setWindowTitle(m_options.caption);
    calendar.adjustSize();
    calendar.move(calendarTopLeft(calendar.frameGeometry().size()));
    modalRunner().exec(calendar);

    // Closed without a choice, the calendar leaves the day it opened on, so
    // an empty field receives today.
    setText(LocaleFormats::shortDate(dateEntry().PickerDate));
    emit calendarClosed();
    setFocus(Qt::OtherFocusReason);
    focusNextChild();
}

QPoint DateField::calendarTopLeft(const QSize& calendar) const
{
    const QWidget* form = window();
    const CalendarPlacement placement{form->frameGeometry().topLeft(),
                                      QRect(mapTo(form, QPoint(0, 0)), size()), calendar,
                                      m_options.alignedWith, m_options.fieldHeightsDown};
    const QPoint topLeft = placement.topLeft();
    const QScreen* shownOn = screen();
    return shownOn ? keptOnScreen(topLeft, calendar, shownOn->availableGeometry()) : topLeft;
}
