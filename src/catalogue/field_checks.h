#pragma once

#include <QString>
#include <optional>

// The checks of the main window's five number fields, made when the user
// leaves a field, and the conversions that saving a book applies to the same
// texts. Everything here is pure: the caller shows the message and moves the
// focus as the outcome says.

enum class NumberField { CoverPrice, BuyPrice, Volume, Issue, Year };

struct FieldRefusal
{
    QString title;
    QString text;
};

// The message that refuses a field's text.
FieldRefusal refusalFor(NumberField field);

// The longest text the field's text box accepts; 0 for no limit.
int maximumLength(NumberField field);

// What leaving a field does to it.
struct LeaveFieldOutcome
{
    QString text;                        // the field's text afterwards
    std::optional<FieldRefusal> refusal; // shown when the text is refused
    bool focusBack = false;              // the focus returns to the field

    bool refused() const { return refusal.has_value(); }
};

// An empty field is never refused. A price must read as a currency amount and
// is rewritten in the locale's currency format; a refused price is cleared and
// keeps the focus. Volume, issue and year only have to be numeric and stay as
// typed; a refused volume or issue keeps its text and the focus, a refused year
// is cleared and the focus goes where the user moved it.
LeaveFieldOutcome checkLeavingField(NumberField field, const QString& text);

// A book bought new cost what its cover says unless the user says otherwise:
// after leaving the cover price with outcome, the text the buy price field
// takes, or nothing when it is to stay as it is.
std::optional<QString> buyPriceFromCoverPrice(const LeaveFieldOutcome& coverPrice,
                                              const QString& buyPriceText, bool boughtNew);

// Conversions of the texts when a book is stored. Each gives nothing when the
// text cannot become a value of the column's type; numbers are rounded to a
// whole number as the classic conversions do (halves to the even neighbour),
// and a value outside the column's range is refused rather than wrapped.
std::optional<qint32> toLongValue(const QString& text);
std::optional<qint16> toIntegerValue(const QString& text);
std::optional<double> toCurrencyValue(const QString& text);
