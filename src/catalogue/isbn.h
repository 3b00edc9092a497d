#pragma once

#include <QString>

// International Standard Book Numbers as people write them: ten or thirteen
// digits with hyphens or blanks anywhere, the ten-digit form possibly ending
// in X (the check digit 10).

// The digits (and final X, upper case) of a text that has the shape of an
// ISBN, hyphens and blanks dropped; empty for any other text (no ISBN, an
// older book number, a text with other characters).
QString isbnDigits(const QString& text);

enum class IsbnCheck {
    NotAnIsbn, // not ten or thirteen digits: taken as typed
    Valid,
    WrongCheckDigit,
};
IsbnCheck checkIsbn(const QString& text);

// The check digit the other digits of an ISBN's digits call for.
QChar expectedCheckDigit(const QString& digits);

// The other form of a valid ISBN's digits: ISBN-13 (978 and the first nine
// digits, its own check digit) from ISBN-10, and ISBN-10 from a 978 ISBN-13.
// Empty when there is none (979 numbers, texts that are no ISBN).
QString isbn10To13(const QString& digits);
QString isbn13To10(const QString& digits);

// What two ISBNs of one book have in common whichever form each is written
// in: the twelve digits of the 13-digit form before its check digit. For a
// text that is not an ISBN, its letters and digits in upper case; empty for a
// text without any.
QString isbnMatchKey(const QString& text);
