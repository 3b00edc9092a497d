#pragma once

#include "dates/calendar_placement.h"

#include <QComboBox>

// A date field: an editable drop-down field whose drop-down is the calendar.
// The arrow, Alt+Down or F4 open the calendar on the field's date (today when
// it holds none); when it closes the field shows the day chosen, or the day
// it opened on, in the locale's short date, and the focus moves on as Tab
// moves it. A typed text is checked when the field is left: a text that is no
// date is refused with the field's message, and the text and the focus stay.
// A day from the calendar counts as typed and left (calendarClosed), even
// where the window gets no focus events on the way back from the calendar.
class DateField : public QComboBox
{
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged USER true)

public:
    // How the field opens its calendar.
    struct CalendarOptions
    {
        QString caption = QStringLiteral("Select Date");
        CalendarPlacement::Edge alignedWith = CalendarPlacement::Edge::Right;
        int fieldHeightsDown = 3;
        // Dates of 1900 to 1930 open a hundred years later.
        bool movesOldDatesForward = false;
    };

    explicit DateField(QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);

    void setCalendarOptions(const CalendarOptions& options) { m_options = options; }
    const CalendarOptions& calendarOptions() const { return m_options; }

    // The message that refuses a text that is not a date.
    void setRefusalMessage(const QString& message) { m_refusal = message; }
    // True for an empty text or a date; otherwise shows the refusal and puts
    // the focus back into the field.
    bool acceptText();

    // Opens the calendar instead of a list.
    void showPopup() override;

signals:
    // Every change of the text, typed or set by the program.
    void textChanged(const QString& text);
    // Every change of the text, typed or from the calendar: what puts the
    // window into its edit state. Opening the calendar and closing it on the
    // date the field already showed is no change.
    void edited();
    // The calendar has closed and the field shows its answer: what leaving
    // the field after typing that date does must happen now. The focus moving
    // on afterwards sends no focus events while the window is still inactive
    // (the calendar had the activation), so it cannot be relied on.
    void calendarClosed();

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    QPoint calendarTopLeft(const QSize& calendar) const;

    QString m_refusal;
    CalendarOptions m_options;
};
