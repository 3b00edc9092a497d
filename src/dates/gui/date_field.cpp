#include "dates/gui/date_field.h"

#include "common/locale_formats.h"
#include "common/user_dialogs.h"

#include <QEvent>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QLineEdit>

DateField::DateField(QWidget* parent) : QWidget(parent), m_edit(new QLineEdit(this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_edit);

    // Focus given to the field (tab order, clicks on its label) lands in the editor.
    setFocusProxy(m_edit);
    setFocusPolicy(m_edit->focusPolicy());
    setSizePolicy(m_edit->sizePolicy());

    connect(m_edit, &QLineEdit::textChanged, this, &DateField::textChanged);
    m_edit->installEventFilter(this);
}

bool DateField::acceptText()
{
    const QString typed = text();
    if (typed.isEmpty() || LocaleFormats::isDate(typed))
        return true;
    userDialogs().message(m_refusal);
    m_edit->setFocus(Qt::OtherFocusReason);
    return false;
}

bool DateField::eventFilter(QObject* watched, QEvent* event)
{
    // Leaving the field for another program or one of its own pop-ups is not
    // leaving it for another field.
    if (watched == m_edit && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
            acceptText();
    }
    return QWidget::eventFilter(watched, event);
}

QString DateField::text() const
{
    return m_edit->text();
}

void DateField::setText(const QString& text)
{
    m_edit->setText(text);
}
