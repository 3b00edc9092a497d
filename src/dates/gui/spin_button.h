#pragma once

#include <QWidget>

class QToolButton;

// A pair of arrow buttons, up above down, that only report which one was
// pressed: the value they step belongs to their owner. Held down, an arrow
// repeats.
class SpinButton : public QWidget
{
    Q_OBJECT

public:
    explicit SpinButton(QWidget* parent = nullptr);

    QToolButton* upArrow() const { return m_up; }
    QToolButton* downArrow() const { return m_down; }

signals:
    void spinUp();
    void spinDown();

private:
    QToolButton* m_up;
    QToolButton* m_down;
};
