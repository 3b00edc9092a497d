#include "dates/gui/date_field.h"

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
}

QString DateField::text() const
{
    return m_edit->text();
}

void DateField::setText(const QString& text)
{
    m_edit->setText(text);
}
