#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

// The designer's per-field values as the user types them: checked when a
// field is left, shown when a field's details are shown.
namespace ReportCriteria {

inline const QString WidthRefusal = QStringLiteral("You must enter a valid number for the column width");
inline const QString NumberRefusal =
    QStringLiteral("You must enter a number or leave this selection field blank");
inline const QString DateRefusal =
    QStringLiteral("You must enter a valid date or leave this selection field blank.");
inline const QString TimeRefusal =
    QStringLiteral("You must enter a valid time or leave this selection field blank.");
// A ";" separates a report file's items: one inside a text would cut it there
// and shift every later field's text by one when the file is read back.
inline const QString SeparatorRefusal =
    QStringLiteral("A selection text cannot contain a semicolon (;). Please remove it or leave this "
                   "selection field blank.");

// A column width: any number the locale reads that a single-precision
// width can hold.
std::optional<float> columnWidth(const QString& text);
QString columnWidthText(float width);

bool isNumberOrEmpty(const QString& text);
bool isStartsWithText(const QString& text);

// A bound: nothing when the text is refused, an invalid QDateTime (no bound)
// for the empty text. A date bound is a date; a time bound a time of day, a
// date, or a date followed by a time.
std::optional<QDateTime> dateBound(const QString& text);
std::optional<QDateTime> timeBound(const QString& text);
QString dateBoundText(const QDateTime& bound); // "short date"; empty for none
QString timeBoundText(const QDateTime& bound); // "medium time"; empty for none

} // namespace ReportCriteria
