#pragma once

// The program's order of stored text, which the catalogue's text columns and
// indexes are declared with under its own collation name. Plain C++ without
// Qt or SQLite, so that the loadable extension other SQLite tools use
// (extension/) is built from this very source.
//
// Texts compare first by their letters alone: case folded away, accents
// dropped, and the letters that have no decomposition taken as the letters
// an English reader files them under (Ø as O, Æ as AE, Œ as OE, Ł as L, Đ as
// D, Þ as TH, ß as SS). Texts equal at that level compare by their folded and
// decomposed letters, so that "Eclair" comes before "Éclair" and only texts
// that differ in case alone are equal. Both levels compare code points in
// UTF-16 order. Text of ASCII characters alone orders exactly as SQLite's
// built-in NOCASE orders it: byte by byte with A-Z taken as a-z, and a text
// before every longer one it begins.
//
// Invalid UTF-8 reads as one U+FFFD per byte that starts no valid sequence; a
// lone UTF-16 surrogate reads as U+FFFD. No comparison allocates memory,
// except, once per thread, for a run of more than a few dozen combining marks.

#include <cstddef>
#include <string>

namespace TextOrder {

// The name the catalogue's columns are declared with.
inline constexpr char CollationName[] = "QUILLARY";
// Raised whenever the order changes: a file records the version its indexes
// were built under, and its indexes are rebuilt when that differs.
inline constexpr int RulesVersion = 2;

// -1, 0 or 1.
int compareUtf8(const char* left, std::size_t leftLength, const char* right, std::size_t rightLength);
int compareUtf16(const char16_t* left, std::size_t leftLength, const char16_t* right,
                 std::size_t rightLength);
// The first level alone: letters without case and accents.
int compareUtf16Letters(const char16_t* left, std::size_t leftLength, const char16_t* right,
                        std::size_t rightLength);

// Appends the first level of a UTF-8 text to letters: what the order compares
// before anything else, so that a text contains another at this level when its
// letters contain the other's.
void appendLettersUtf8(const char* text, std::size_t length, std::u32string& letters);

// The comparison in the form sqlite3_create_collation takes (UTF-8 texts).
int sqliteCollation(void* unused, int leftLength, const void* left, int rightLength, const void* right);

// The Unicode version of the folding and decomposition data the order uses.
const char* unicodeDataVersion();

} // namespace TextOrder
