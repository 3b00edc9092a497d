#include "editor/gui/isbn_leave_check.h"

#include "catalogue/isbn.h"
#include "common/gui/leaving_fields.h"
#include "common/user_dialogs.h"

#include <QFocusEvent>
#include <QLineEdit>

using namespace Qt::StringLiterals;

IsbnLeaveCheck::IsbnLeaveCheck(QLineEdit* field, QObject* parent) : QObject(parent), m_field(field)
{
    field->installEventFilter(this);
}

bool IsbnLeaveCheck::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_field || event->type() != QEvent::FocusOut)
        return QObject::eventFilter(watched, event);
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    const QString text = m_field->text();
    if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason || focusGoesToDropChanges() ||
        text == m_kept || checkIsbn(text) != IsbnCheck::WrongCheckDigit)
        return false;
    // The field finishes losing the focus first, so that putting it back is
    // a fresh focus change.
    static_cast<QObject*>(m_field)->event(event);
    const QString digits = isbnDigits(text);
    const QString question =
        u"The ISBN %1 has a wrong check digit: its last digit should be %2. Keep it as typed?"_s.arg(
            text, expectedCheckDigit(digits));
    if (userDialogs().question(question, u"ISBN"_s) == UserDialogs::Answer::Yes)
        m_kept = text;
    else
        m_field->setFocus(Qt::OtherFocusReason);
    return true;
}
