#include "editor/gui/field_validation.h"

#include "common/gui/leaving_fields.h"
#include "common/user_dialogs.h"

#include <QFocusEvent>
#include <QLineEdit>

FieldValidation::FieldValidation(QObject* parent) : QObject(parent) {}

void FieldValidation::watch(QLineEdit* edit, NumberField field)
{
    if (const int longest = maximumLength(field); longest > 0)
        edit->setMaxLength(longest);
    m_fields.insert(edit, field);
    edit->installEventFilter(this);
    connect(edit, &QObject::destroyed, this, [this, edit] { m_fields.remove(edit); });
}

void FieldValidation::copyCoverPriceInto(QLineEdit* buyPrice, std::function<bool()> boughtNew)
{
    m_buyPrice = buyPrice;
    m_boughtNew = std::move(boughtNew);
    connect(buyPrice, &QObject::destroyed, this, [this] { m_buyPrice = nullptr; });
}

bool FieldValidation::leaveField(QLineEdit* edit)
{
    const auto watched = m_fields.constFind(edit);
    if (watched == m_fields.constEnd())
        return true;
    const NumberField field = watched.value();
    const LeaveFieldOutcome outcome = checkLeavingField(field, edit->text());

    if (outcome.refusal)
        userDialogs().message(outcome.refusal->text, outcome.refusal->title);
    if (edit->text() != outcome.text)
        edit->setText(outcome.text);
    if (outcome.focusBack)
        edit->setFocus(Qt::OtherFocusReason);
    if (field == NumberField::CoverPrice)
        applyCoverPriceCopy(outcome);
    return !outcome.refused();
}

void FieldValidation::applyCoverPriceCopy(const LeaveFieldOutcome& coverPrice)
{
    if (!m_buyPrice)
        return;
    const bool boughtNew = m_boughtNew && m_boughtNew();
    if (const auto copied = buyPriceFromCoverPrice(coverPrice, m_buyPrice->text(), boughtNew))
        m_buyPrice->setText(*copied);
}

bool FieldValidation::eventFilter(QObject* watched, QEvent* event)
{
    // A field being destroyed is only a QWidget any more and may still lose
    // the focus on its way out; the list popping up or another program taking
    // over is no leaving of the field either.
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (event->type() != QEvent::FocusOut || !edit || !m_fields.contains(watched))
        return QObject::eventFilter(watched, event);
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
        return false;
    // Leaving for Cancel drops the value: a refused one must not hold it up.
    if (focusGoesToDropChanges())
        return false;

    // The field finishes losing the focus first, so that putting it back is
    // a fresh focus change.
    static_cast<QObject*>(edit)->event(event);
    leaveField(edit);
    return true;
}
