#include "dates/gui/frm_date_ent.h"

#include "common/clock.h"
#include "common/locale_formats.h"
#include "common/user_dialogs.h"
#include "dates/date_entry_state.h"
#include "dates/date_format.h"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QTableWidgetItem>
#include <algorithm>

namespace {

constexpr Qt::ItemFlags DayFlags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
constexpr Qt::ItemFlags OtherCellFlags = Qt::ItemIsEnabled;

} // namespace

frmDateEnt::frmDateEnt(QWidget* parent) : QDialog(parent)
{
    setupUi(this);
    for (int row = 0; row < CalendarRows; ++row) {
        for (int column = 0; column < CalendarColumns; ++column) {
            auto* cell = new QTableWidgetItem;
            cell->setTextAlignment(Qt::AlignCenter);
            cell->setFlags(OtherCellFlags);
            Grid1->setItem(row, column, cell);
        }
    }
    connect(Spin1, &SpinButton::spinDown, this, &frmDateEnt::Spin1_SpinDown);
    connect(Spin1, &SpinButton::spinUp, this, &frmDateEnt::Spin1_SpinUp);
    connect(Spin2, &SpinButton::spinDown, this, &frmDateEnt::Spin2_SpinDown);
    connect(Spin2, &SpinButton::spinUp, this, &frmDateEnt::Spin2_SpinUp);
    connect(Grid1, &QTableWidget::cellClicked, this, &frmDateEnt::Grid1_Click);
    // The month and year only show; whatever gives them the focus gives it
    // to the grid.
    txtMonth->installEventFilter(this);
    txtYear->installEventFilter(this);
    Grid1->installEventFilter(this);
    Form_Load();
}

void frmDateEnt::Form_Load()
{
    // A caller without a date to start from gets today rather than an
    // undrawable month.
    const QDate start = dateEntry().PickerDate;
    CurDate = start.isValid() ? start : Clock::today();
    for (int month = 1; month <= 12; ++month)
        MonthNames[static_cast<std::size_t>(month - 1)] = LocaleFormats::monthName(month);
    writeHeadings();
    sizeGrid();
    ShowMonth();
    Grid1->setFocus(Qt::OtherFocusReason);
}

void frmDateEnt::writeHeadings()
{
    for (int column = 0; column < CalendarColumns; ++column)
        Grid1->item(0, column)->setText(weekdayHeading(column));
}

// Every column wide enough for the widest weekday name, every row for a line
// of text; the grid shows all seven rows and nothing more.
void frmDateEnt::sizeGrid()
{
    const QFontMetrics metrics(Grid1->font());
    int width = metrics.horizontalAdvance(QStringLiteral(" 00 "));
    for (int column = 0; column < CalendarColumns; ++column)
        width = std::max(width, metrics.horizontalAdvance(weekdayHeading(column)));
    width += 2 * metrics.averageCharWidth();
    const int height = metrics.height() + metrics.height() / 2;
    for (int column = 0; column < CalendarColumns; ++column)
        Grid1->setColumnWidth(column, width);
    for (int row = 0; row < CalendarRows; ++row)
        Grid1->setRowHeight(row, height);
    const int frame = 2 * Grid1->frameWidth();
    Grid1->setFixedSize(CalendarColumns * width + frame, CalendarRows * height + frame);
    int monthWidth = 0;
    for (int month = 1; month <= 12; ++month)
        monthWidth = std::max(monthWidth, metrics.horizontalAdvance(LocaleFormats::monthName(month)));
    txtMonth->setMinimumWidth(monthWidth + 4 * metrics.averageCharWidth());
    txtYear->setFixedWidth(metrics.horizontalAdvance(QStringLiteral("00000")) +
                           4 * metrics.averageCharWidth());
}

void frmDateEnt::ShowMonth()
{
    CurMonth = static_cast<qint16>(CurDate.month());
    CurYear = static_cast<qint16>(CurDate.year());
    txtMonth->setText(MonthNames[static_cast<std::size_t>(CurMonth - 1)]);
    txtYear->setText(QString::number(CurYear));
    m_layout = layoutMonth(CurDate);
    for (int row = 1; row < CalendarRows; ++row) {
        for (int column = 0; column < CalendarColumns; ++column) {
            QTableWidgetItem* cell = Grid1->item(row, column);
            const int day = m_layout.dayAt({row, column});
            cell->setText(day > 0 ? QString::number(day) : QString());
            cell->setFlags(day > 0 ? DayFlags : OtherCellFlags);
        }
    }
    showHighlight();
}

void frmDateEnt::showHighlight()
{
    const GridCell cell = m_layout.cellOf(CurDate.day());
    Grid1->setCurrentCell(cell.row, cell.column, QItemSelectionModel::ClearAndSelect);
}

void frmDateEnt::step(CalendarStep step)
{
    const std::optional<QDate> next = steppedDate(CurDate, step);
    if (!next) {
        userDialogs().beep();
        return;
    }
    CurDate = *next;
    ShowMonth();
}

void frmDateEnt::moveHighlight(int days)
{
    const std::optional<QDate> next = movedByDays(CurDate, days);
    if (!next) {
        userDialogs().beep();
        return;
    }
    CurDate = *next;
    ShowMonth();
}

void frmDateEnt::Grid1_Click(int row, int column)
{
    const int day = m_layout.dayAt({row, column});
    if (day == 0) {
        // A heading or an empty cell: the highlight stays on the day shown.
        showHighlight();
        return;
    }
    choose(day);
}

void frmDateEnt::choose(int day)
{
    const std::optional<QDate> chosen = dateFromParts(CurMonth, day, CurYear);
    if (!chosen)
        return;
    CurDate = *chosen;
    dateEntry().PickerDate = *chosen;
    m_chosen = true;
    accept();
}

bool frmDateEnt::gridKeyPressed(int key, Qt::KeyboardModifiers modifiers)
{
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    switch (key) {
    case Qt::Key_Left:
        moveHighlight(-1);
        return true;
    case Qt::Key_Right:
        moveHighlight(1);
        return true;
    case Qt::Key_Up:
        moveHighlight(-CalendarColumns);
        return true;
    case Qt::Key_Down:
        moveHighlight(CalendarColumns);
        return true;
    case Qt::Key_PageUp:
        step(ctrl ? CalendarStep::PreviousYear : CalendarStep::PreviousMonth);
        return true;
    case Qt::Key_PageDown:
        step(ctrl ? CalendarStep::NextYear : CalendarStep::NextMonth);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        choose(CurDate.day());
        return true;
    case Qt::Key_Escape:
        reject();
        return true;
    default:
        return false;
    }
}

bool frmDateEnt::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == txtMonth || watched == txtYear) && event->type() == QEvent::FocusIn) {
        Grid1->setFocus(static_cast<QFocusEvent*>(event)->reason());
        return false;
    }
    if (watched == Grid1 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        return gridKeyPressed(key->key(), key->modifiers());
    }
    return QDialog::eventFilter(watched, event);
}
