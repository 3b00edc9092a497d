#include "common/gui/windows_on_screen.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace {

// Before a window is first shown, the window manager has not yet told how
// large its frame is: reckon with a common title bar and border.
constexpr QMargins LikelyFrame{4, 32, 4, 4};

QMargins frameOf(const QWidget& window)
{
    const QWindow* handle = window.windowHandle();
    const QMargins known = handle ? handle->frameMargins() : QMargins();
    return known.isNull() ? LikelyFrame : known;
}

QScreen* screenOf(const QWidget& window)
{
    if (QScreen* screen = QGuiApplication::screenAt(window.geometry().center()))
        return screen;
    return window.screen() ? window.screen() : QGuiApplication::primaryScreen();
}

// Windows Qt places itself (menus, lists, tips) are left alone.
bool isOwnWindow(const QWidget& window)
{
    const Qt::WindowType type = window.windowType();
    return window.isWindow() && (type == Qt::Window || type == Qt::Dialog);
}

// The top left corner that brings outer into area, as far as it fits.
QPoint movedInto(const QRect& outer, const QRect& area)
{
    const int x = std::max(area.left(), std::min(outer.left(), area.right() + 1 - outer.width()));
    const int y = std::max(area.top(), std::min(outer.top(), area.bottom() + 1 - outer.height()));
    return {x, y};
}

} // namespace

WindowsOnScreen::WindowsOnScreen(QObject* parent) : QObject(parent) {}

bool WindowsOnScreen::eventFilter(QObject* watched, QEvent* event)
{
    // The Show event comes before the window reaches the screen, so the
    // window appears at once at its fitted size and place.
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* window = static_cast<QWidget*>(watched);
        if (isOwnWindow(*window))
            fitWithinScreen(*window);
    }
    return QObject::eventFilter(watched, event);
}

void fitWithinScreen(QWidget& window)
{
    const QScreen* screen = screenOf(window);
    if (!screen || window.isMaximized() || window.isFullScreen())
        return;
    const QRect area = screen->availableGeometry();
    const QMargins frame = frameOf(window);
    const QSize room = area.size().shrunkBy(frame);
    QSize size = window.size();
    if (size.width() > room.width() || size.height() > room.height()) {
        // Never below what the window's contents need: a window that cannot
        // be made small enough is at least as small as it can be.
        size = size.boundedTo(room).expandedTo(window.minimumSizeHint()).expandedTo(window.minimumSize());
        window.resize(size);
    }
    // A window placed by the program (or centred over its parent) is kept
    // inside; where the window manager is to place one, it knows best.
    if (!window.testAttribute(Qt::WA_Moved))
        return;
    const QRect outer(window.pos(), size.grownBy(frame));
    const QPoint inside = movedInto(outer, area);
    if (inside != outer.topLeft())
        window.move(inside);
}
