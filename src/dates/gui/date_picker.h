#pragma once

#include <QDate>
#include <QPoint>
#include <QString>
#include <optional>

class QWidget;

// Shows the calendar modally over parent, captioned caption ("Select Date",
// "Select Start Date", ...), opening on start (today when start is no date).
// Returns the day chosen, or none when the window was closed without a choice.
// dateEntry().PickerDate holds the same answer afterwards: the day chosen, or
// start.
std::optional<QDate> pickDateWithCalendar(QWidget* parent, const QString& caption, const QDate& start);

// The same with the calendar's top-left corner at topLeft (screen coordinates),
// moved as little as needed to keep it whole on the screen.
std::optional<QDate> pickDateWithCalendar(QWidget* parent, const QString& caption, const QDate& start,
                                          const QPoint& topLeft);
