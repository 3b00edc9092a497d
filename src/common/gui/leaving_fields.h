#pragma once

#include <QObject>

class QAbstractButton;
class QWidget;

// How the focus leaving a field interacts with the buttons of a window.
//
// A button that drops the changes on screen (Cancel) is marked so that moving
// the focus to it skips the checks of the field being left: a refused value
// must never stand in the way of throwing it away.
void markDropsChanges(QWidget* control);
// True while the focus is moving to a control marked with markDropsChanges
// (during the FocusOut of the field being left, the application's focus
// widget is already the one taking the focus).
bool focusGoesToDropChanges();

// Pressing a button by its access key moves the focus to it first, as a click
// with the mouse does, so that the field being left runs its checks; when the
// field refuses its value and takes the focus back, the button is not pressed.
class AccessKeyLeavesField : public QObject
{
    Q_OBJECT

public:
    explicit AccessKeyLeavesField(QObject* parent = nullptr);
    void watch(QAbstractButton* button);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// Alt with a letter is a command, never typing: a combination that is no
// shortcut must not reach the watched widget (or any widget inside it) as
// text. Ctrl+Alt is left alone, as it is how some keyboards type characters.
class AltKeysTypeNothing : public QObject
{
    Q_OBJECT

public:
    explicit AltKeysTypeNothing(QObject* parent = nullptr);
    // Watches widget and every widget inside it at the time of the call.
    void watchTree(QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
