#include "catalogue/field_checks.h"

#include "catalogue/book_columns.h"
#include "common/locale_formats.h"

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

bool isPrice(NumberField field)
{
    return field == NumberField::CoverPrice || field == NumberField::BuyPrice;
}

// Halves go to the even neighbour, as the classic integer conversions round.
double roundHalfToEven(double value)
{
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction > 0.5)
        return lower + 1;
    if (fraction < 0.5)
        return lower;
    return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

template <typename Int> std::optional<Int> toWholeNumber(const QString& text)
{
    if (!LocaleFormats::isNumeric(text))
        return std::nullopt;
    const std::optional<double> number = LocaleFormats::toNumber(text);
    if (!number || !std::isfinite(*number))
        return std::nullopt;
    const double rounded = roundHalfToEven(*number);
    if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<Int>::max()))
        return std::nullopt;
    return static_cast<Int>(rounded);
}

LeaveFieldOutcome refuse(NumberField field, QString textAfterwards, bool focusBack)
{
    return {std::move(textAfterwards), refusalFor(field), focusBack};
}

LeaveFieldOutcome checkPrice(NumberField field, const QString& text)
{
    const std::optional<double> amount = toCurrencyValue(text);
    if (!amount)
        return refuse(field, QString(), true);
    return {LocaleFormats::currency(*amount), std::nullopt, false};
}

LeaveFieldOutcome checkNumber(NumberField field, const QString& text)
{
    if (LocaleFormats::isNumeric(text))
        return {text, std::nullopt, false};
    if (field == NumberField::Year)
        return refuse(field, QString(), false);
    return refuse(field, text, true);
}

} // namespace

FieldRefusal refusalFor(NumberField field)
{
    switch (field) {
    case NumberField::CoverPrice:
    case NumberField::BuyPrice:
        return {u"Invalid Price"_s, u"You must enter a number for the price"_s};
    case NumberField::Volume:
        return {u"Invalid Volume"_s,
                u"You must enter a number for the volume number or leave the field blank"_s};
    case NumberField::Issue:
        return {u"Invalid Issue Number"_s,
                u"You must enter a number for the issue number or leave the field blank"_s};
    case NumberField::Year:
        return {u"Invalid Year"_s, u"You must enter a four digit number for the year."_s};
    }
    return {};
}

int maximumLength(NumberField field)
{
    return bookColumn(field).maxLength;
}

LeaveFieldOutcome checkLeavingField(NumberField field, const QString& text)
{
    if (text.isEmpty())
        return {text, std::nullopt, false};
    return isPrice(field) ? checkPrice(field, text) : checkNumber(field, text);
}

std::optional<QString> buyPriceFromCoverPrice(const LeaveFieldOutcome& coverPrice,
                                              const QString& buyPriceText, bool boughtNew)
{
    if (coverPrice.refused() || coverPrice.text.isEmpty() || !buyPriceText.isEmpty() || !boughtNew)
        return std::nullopt;
    return coverPrice.text;
}

std::optional<qint32> toLongValue(const QString& text)
{
    return toWholeNumber<qint32>(text);
}

std::optional<qint16> toIntegerValue(const QString& text)
{
    return toWholeNumber<qint16>(text);
}

std::optional<double> toCurrencyValue(const QString& text)
{
    const std::optional<double> amount = LocaleFormats::toCurrency(text);
    if (!amount || !std::isfinite(*amount) || std::fabs(*amount) > LocaleFormats::LargestCurrency)
        return std::nullopt;
    return amount;
}
