#pragma once

#include <QDate>
#include <QString>
#include <optional>

// Reading the texts of a table's cells as the values of a book's fields.
// Each reader gives nothing for a text it cannot read; an empty text is read
// by the caller as an empty field.

// A cell a spreadsheet was told to keep as text, ="0141026162", as the
// text inside (="" gives an empty text); any other cell as it is.
QString unwrapFormulaText(const QString& cell);

// &amp;, &lt;, &gt;, &quot;, &apos;, &#39;, &nbsp; and numbered entities
// (&#233;, &#xE9;) as the characters they stand for; anything else kept.
QString decodeHtmlEntities(const QString& text);

// 2001/03/07, 2001-03-07 and 2001.03.07 (a time after the date is ignored),
// then the locale's own forms. A year written with four digits is kept as
// written; only a two-digit year of 00 to 29 is taken to mean 2000 to 2029,
// as when typed.
std::optional<QDate> readDate(const QString& text);

// A plain decimal (12.5) first, then the locale's amount; a currency sign
// before or after is allowed. Rounded to four decimals, never negative.
std::optional<double> readPrice(const QString& text);

// A whole number a column of 32 bits holds.
std::optional<qint32> readWholeNumber(const QString& text);

// A year: a whole number, or four digits with only non-digits around them
// ("c1998", "[1998]", "1998?").
std::optional<qint16> readYear(const QString& text);

// Yes, No and their usual spellings (true/false, y/n, 1/0, x, -1, on/off);
// case is ignored.
std::optional<bool> readFlag(const QString& text);
