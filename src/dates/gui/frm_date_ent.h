#pragma once

#include "dates/calendar_navigation.h"
#include "dates/month_layout.h"
#include "ui_frm_date_ent.h"

#include <QDate>
#include <QDialog>
#include <array>

// The calendar: one month as a grid of day numbers under the weekday names,
// with arrows that step the month and the year. It opens on
// dateEntry().PickerDate; choosing a day stores that day in PickerDate and
// accepts the window, closing it any other way leaves PickerDate alone.
//
// Mouse: a click on a day chooses it. Keyboard: the arrow keys move the
// highlighted day (into the next or previous month), Page Up and Page Down
// step the month, with Ctrl the year, Enter chooses the highlighted day and
// Escape closes the window.
class frmDateEnt : public QDialog, public Ui::frmDateEnt
{
    Q_OBJECT

public:
    explicit frmDateEnt(QWidget* parent = nullptr);

    // Draws the month of CurDate with its day highlighted and current.
    void ShowMonth();

    // The month and year steppers; each beeps instead at the first or last
    // year the calendar shows.
    void Spin1_SpinDown() { step(CalendarStep::PreviousMonth); }
    void Spin1_SpinUp() { step(CalendarStep::NextMonth); }
    void Spin2_SpinDown() { step(CalendarStep::PreviousYear); }
    void Spin2_SpinUp() { step(CalendarStep::NextYear); }

    // A click on a cell: a day chooses that day, any other cell nothing.
    void Grid1_Click(int row, int column);

    // True once a day has been chosen.
    bool dayChosen() const { return m_chosen; }

    QDate CurDate;
    qint16 CurMonth = 0;
    qint16 CurYear = 0;
    std::array<QString, 12> MonthNames;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void writeHeadings();
    void sizeGrid();
    void step(CalendarStep step);
    void moveHighlight(int days);
    void choose(int day);
    bool gridKeyPressed(int key, Qt::KeyboardModifiers modifiers);
    void showHighlight();

    MonthLayout m_layout;
    bool m_chosen = false;
};
