#include "import/jet_values.h"

#include "common/locale_formats.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace JetValues {

QVariant dateTime(double dayNumber)
{
    const QDateTime value = LocaleFormats::fromSerial(dayNumber);
    return value.isValid() ? QVariant(value) : QVariant();
}

double currency(qint64 tenThousandths)
{
    // One correctly rounded division: the nearest double to the exact amount.
    return double(tenThousandths) / 10000.0;
}

double single(float value)
{
    if (!std::isfinite(value))
        return double(value);
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text - 1, value);
    *result.ptr = '\0';
    return std::strtod(text, nullptr);
}

} // namespace JetValues
