#pragma once

#include "catalogue/field_checks.h"

#include <QHash>
#include <QObject>
#include <functional>

class QLineEdit;

// Checks the main window's number fields when the user leaves them: the
// refusal message goes through userDialogs(), the field's text is cleared,
// kept or rewritten and the focus put back as the check says. Every change of
// a text made here is an ordinary change of the field.
class FieldValidation : public QObject
{
    Q_OBJECT

public:
    explicit FieldValidation(QObject* parent = nullptr);

    // Checks edit as field whenever the user leaves it, and limits its length.
    void watch(QLineEdit* edit, NumberField field);
    // A valid cover price is copied into an empty buy price when boughtNew
    // says the book was bought new. Both fields must be watched.
    void copyCoverPriceInto(QLineEdit* buyPrice, std::function<bool()> boughtNew);

    // Runs the check of a watched field as leaving it does; true when the text
    // was accepted (an empty field always is).
    bool leaveField(QLineEdit* edit);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyCoverPriceCopy(const LeaveFieldOutcome& coverPrice);

    QHash<QObject*, NumberField> m_fields;
    QLineEdit* m_buyPrice = nullptr;
    std::function<bool()> m_boughtNew;
};
