#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where a date field's calendar opens, in screen coordinates.
struct CalendarPlacement
{
    enum class Edge { Left, Right };

    QPoint windowTopLeft; // the outer top-left corner of the field's window, frame included
    QRect field;          // the field within its window's client area
    QSize calendar;       // the calendar window's size, frame included
    Edge alignedWith = Edge::Right;
    int fieldHeightsDown = 3; // the calendar's top, in field heights below the field's top

    // The calendar's top-left corner: its left or right edge lined up with the
    // field's, its top fieldHeightsDown field heights below the field's top.
    QPoint topLeft() const;
};

// The calendar's top-left corner moved just as far as needed to show it whole
// within the screen's available area; a calendar larger than the area keeps
// its top-left corner inside.
QPoint keptOnScreen(const QPoint& topLeft, const QSize& calendar, const QRect& screenArea);
