#pragma once

#include <QObject>

class QWidget;

// Keeps every window the program opens within the available area of its
// screen (the screen less the desktop's panels) at a size seen whole, title
// bar and buttons included: a window larger than the area opens smaller
// (never below its own minimum), and one placed partly outside it is moved
// in. A window no one has placed is left where the window manager puts it.
// Each opening fits the screen of the moment; no size or place is kept.
//
// Installed once on the application, it fits each window as it opens.
class WindowsOnScreen : public QObject
{
    Q_OBJECT

public:
    explicit WindowsOnScreen(QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// Fits one window, as WindowsOnScreen does when it opens.
void fitWithinScreen(QWidget& window);
