#pragma once

#include <QString>
#include <QStringList>

// Pieces shared by the formatting and the parsing halves of LocaleFormats; not
// for use outside src/common.
namespace LocaleFormats::internal {

// The text with the look-alike characters a user cannot tell apart folded into
// one: every kind of blank (no-break, narrow no-break, thin) into a space, the
// typographic apostrophe into "'" and the minus sign U+2212 into "-". Locales
// write grouping and signs with the typographic forms; users type the plain ones.
// The invisible direction marks that some locales put before a sign or a
// currency symbol (U+200E, U+200F, U+061C) are left out.
QString foldLookAlikes(const QString& text);

// The text with the locale's own digits written as ASCII digits ("۱۲" gives
// "12"); other characters are kept. Goes by code point, since some scripts
// (Chakma, Adlam) have their digits outside the 16-bit range.
QString asciiDigits(const QString& text);

// The locale's short date format with a four-digit year: a catalogue must never
// show a two-digit year, so "M/d/yy" becomes "M/d/yyyy".
QString shortDateFormat();

// The locale's short time format reduced to hours, minutes and the AM/PM mark:
// seconds, milliseconds and the time zone go, each with the literal that
// introduces it. The "medium time" format.
QString hoursAndMinutesFormat();

// The literal words of that format, such as "Kl." in "Kl. H.mm", unquoted.
QStringList timeWords();

// The order of day, month and year in the locale's short date, e.g. "MDY".
QString dateFieldOrder();

} // namespace LocaleFormats::internal
