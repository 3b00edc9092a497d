#include "common/gui/second_click_guard.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QStyleHints>

SecondClickGuard::SecondClickGuard(QObject* parent) : QObject(parent) {}

void SecondClickGuard::watch(QAbstractButton* button)
{
    button->installEventFilter(this);
}

// Times are the events' own, so that the interval is measured on the clock
// that makes double clicks.
bool SecondClickGuard::landsOnAnotherButton(const QObject* button, quint64 timestamp,
                                            const QPointF& position) const
{
    if (!m_lastPress || m_lastPress->button == button || timestamp < m_lastPress->timestamp)
        return false;
    const QStyleHints* hints = QGuiApplication::styleHints();
    const QPointF moved = position - m_lastPress->globalPosition;
    return timestamp - m_lastPress->timestamp < quint64(hints->mouseDoubleClickInterval()) &&
           moved.manhattanLength() <= hints->mouseDoubleClickDistance();
}

bool SecondClickGuard::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        if (m_ignoring == watched)
            return true;
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (landsOnAnotherButton(watched, mouse->timestamp(), mouse->globalPosition())) {
            // A third quick click goes the same way: the run of clicks still
            // counts from the button it started on.
            m_lastPress->timestamp = mouse->timestamp();
            m_ignoring = watched;
            return true;
        }
        m_lastPress = Press{watched, mouse->timestamp(), mouse->globalPosition()};
        return false;
    }
    case QEvent::MouseButtonRelease:
        if (m_ignoring != watched)
            return false;
        m_ignoring = nullptr;
        return true;
    default:
        return false;
    }
}
