#include "editor/gui/control_character_guard.h"

#include "common/user_dialogs.h"
#include "editor/control_characters.h"

#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

ControlCharacterGuard::ControlCharacterGuard(QObject* parent) : QObject(parent) {}

void ControlCharacterGuard::watch(QWidget* field, const QString& fieldName, bool keepLineBreaks)
{
    QWidget* focusTaker = field;
    if (auto* combo = qobject_cast<QComboBox*>(field); combo && combo->lineEdit())
        focusTaker = combo;
    m_fields.insert(focusTaker, {field, fieldName, keepLineBreaks});
    focusTaker->installEventFilter(this);
}

bool ControlCharacterGuard::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        const auto found = m_fields.constFind(watched);
        if (found != m_fields.constEnd())
            clean(*found);
    }
    return QObject::eventFilter(watched, event);
}

void ControlCharacterGuard::clean(const Watched& watched)
{
    QString text;
    auto* edit = qobject_cast<QLineEdit*>(watched.field);
    auto* combo = qobject_cast<QComboBox*>(watched.field);
    auto* notes = qobject_cast<QPlainTextEdit*>(watched.field);
    if (edit)
        text = edit->text();
    else if (combo)
        text = combo->currentText();
    else if (notes)
        text = notes->toPlainText();
    const CleanedText cleaned = withoutControlCharacters(text, watched.keepLineBreaks);
    if (!cleaned.changed())
        return;
    if (edit)
        edit->setText(cleaned.text);
    else if (combo)
        combo->setEditText(cleaned.text);
    else if (notes)
        notes->setPlainText(cleaned.text);
    userDialogs().message(controlCharactersRemovedMessage(watched.name, cleaned.removed));
}
