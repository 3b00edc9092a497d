#include "dates/calendar_placement.h"

#include <algorithm>

QPoint CalendarPlacement::topLeft() const
{
    int left = windowTopLeft.x() + field.left();
    if (alignedWith == Edge::Right)
        left += field.width() - calendar.width();
    const int top = windowTopLeft.y() + field.top() + fieldHeightsDown * field.height();
    return {left, top};
}

QPoint keptOnScreen(const QPoint& topLeft, const QSize& calendar, const QRect& screenArea)
{
    const int rightmost = screenArea.left() + screenArea.width() - calendar.width();
    const int lowest = screenArea.top() + screenArea.height() - calendar.height();
    const int left = std::max(screenArea.left(), std::min(topLeft.x(), rightmost));
    const int top = std::max(screenArea.top(), std::min(topLeft.y(), lowest));
    return {left, top};
}
