#pragma once

#include <QString>

// An author's name as the book lists print it, first names first. A first
// name holding two people joined by " & " or " and " (exactly so, case
// counts) gets the last name after the first of them: "John & Mary" and
// "Smith" give "John Smith & Mary". Blanks at either end are dropped; a Null
// column is passed as the empty text.
QString FormatAuthorName(const QString& firstName, const QString& lastName);
