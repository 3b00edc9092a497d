#pragma once

#include <QString>
#include <optional>

struct FieldSpecRow;

// Turning a choice of the search window (a field of the field catalogue, an
// operator or value code and what the user typed or picked) into a criterion
// for the books recordset's Find methods, in the classic dialect.
//
// Whatever the user typed stays one literal of the criterion: it can never
// end the literal or add a condition. For the text operators the classic
// pattern characters (* ? # and [lists]) typed keep their meaning.
namespace SearchCriterion {

// How the window treats a field of the catalogue.
enum class FieldKind {
    Text,        // datatype 1: typed, matched with like
    Lookup,      // datatype 1 with a linkfield: picked from the lookup table
    Number,      // datatype 2
    Date,        // datatype 3
    YesNo,       // datatype 4
    Unsupported, // anything else (5 is time, used by the reports only)
};
FieldKind kindOf(const FieldSpecRow& field);

// The codes stored beside the operator and value list entries.
enum TextCode { Contains = 1, BeginsWith = 2, EndsWith = 3, Equals = 4 };
enum ComparisonCode { Equal = 1, NotEqual = 2, Less = 3, Greater = 4, LessOrEqual = 5, GreaterOrEqual = 6 };
enum YesNoCode { IsTrue = 1, IsFalse = 2 };

// fieldname like "<pattern>"; empty for an unknown code.
QString text(const QString& fieldname, int code, const QString& typed);

// fieldname <op> <number>, the typed number read in the user's locale and
// written in the dialect's plain form. Nothing when the text is not a
// number; the empty text for an unknown code.
std::optional<QString> number(const QString& fieldname, int code, const QString& typed);

// fieldname <op> #m/d/yyyy#, the typed date read in the user's locale.
// Nothing when the text is not a date; the empty text for an unknown code.
std::optional<QString> date(const QString& fieldname, int code, const QString& typed);

// The flag true or false as the program reads it: Null and 0 are false, any
// other number true. Empty for an unknown code.
QString yesNo(const QString& fieldname, int code);

// The books column named by the linkfield = the picked lookup key.
QString lookup(const QString& linkfield, qint64 key);

// The lookup table's keys (id) and display values (descr) in display order,
// for the value list of a lookup field.
QString lookupValuesQuery(const FieldSpecRow& field);

// A text as a literal of the classic dialect: "...", quotes doubled.
QString quotedText(const QString& text);

} // namespace SearchCriterion
