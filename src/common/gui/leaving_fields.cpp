#include "common/gui/leaving_fields.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QShortcutEvent>

namespace {

const char* const DropsChangesProperty = "quillaryDropsChanges";

} // namespace

void markDropsChanges(QWidget* control)
{
    control->setProperty(DropsChangesProperty, true);
}

bool focusGoesToDropChanges()
{
    const QWidget* next = QApplication::focusWidget();
    return next && next->property(DropsChangesProperty).toBool();
}

AccessKeyLeavesField::AccessKeyLeavesField(QObject* parent) : QObject(parent) {}

void AccessKeyLeavesField::watch(QAbstractButton* button)
{
    button->installEventFilter(this);
}

bool AccessKeyLeavesField::eventFilter(QObject* watched, QEvent* event)
{
    auto* button = qobject_cast<QAbstractButton*>(watched);
    if (!button || event->type() != QEvent::Shortcut || static_cast<QShortcutEvent*>(event)->isAmbiguous())
        return QObject::eventFilter(watched, event);
    // A button that takes no focus from a click leaves the field alone.
    if (button->focusPolicy() != Qt::NoFocus) {
        button->setFocus(Qt::ShortcutFocusReason);
        if (QApplication::focusWidget() != button)
            return true; // the field refused its value and kept the focus
    }
    button->click();
    return true;
}

AltKeysTypeNothing::AltKeysTypeNothing(QObject* parent) : QObject(parent) {}

void AltKeysTypeNothing::watchTree(QWidget* widget)
{
    widget->installEventFilter(this);
    for (QWidget* child : widget->findChildren<QWidget*>())
        child->installEventFilter(this);
}

bool AltKeysTypeNothing::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers();
    return modifiers.testFlag(Qt::AltModifier) && !modifiers.testFlag(Qt::ControlModifier) &&
           !key->text().isEmpty();
}
