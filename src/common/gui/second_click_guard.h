#pragma once

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <optional>

class QAbstractButton;

// A double click whose first click puts another button in the place of the
// one clicked (Cancel giving way to Find, Update to Help) must not press the
// new button with its second click. A press on a watched button that comes
// within the double-click interval of a press on another watched button, at
// the same spot, is therefore ignored together with the release that ends
// it. Double clicks on a button that stays where it is (Next) press it twice
// as before.
class SecondClickGuard : public QObject
{
    Q_OBJECT

public:
    explicit SecondClickGuard(QObject* parent = nullptr);
    void watch(QAbstractButton* button);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Press
    {
        QPointer<QObject> button;
        quint64 timestamp = 0;
        QPointF globalPosition;
    };

    bool landsOnAnotherButton(const QObject* button, quint64 timestamp, const QPointF& position) const;

    std::optional<Press> m_lastPress;
    QPointer<QObject> m_ignoring; // whose press was ignored, until its release
};
