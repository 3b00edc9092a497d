#pragma once

#include <QStringView>

struct sqlite3;

// Registers on a connection what the classic dialect needs of it, each under
// a name of the program's own, so that a tool without them fails loudly
// rather than quietly using a rule of its own under the same name:
//  - the collation of stored text, TextOrder::CollationName
//    (database/text_order.h), which ignores case for every language (É
//    equals é) and sorts accented letters beside their base letters, while
//    ordering ASCII text exactly as SQLite's built-in NOCASE does; its rules
//    are versioned (database/collation_version.h);
//  - JetLikeFunction(pattern, value), the classic pattern match, also without
//    regard to case; Null in gives Null out. The classic dialect's `like`
//    operator is translated into a call of it (database/jet_sql.h).
// Returns SQLite's result code.
inline constexpr char JetLikeFunction[] = "quillary_like";

int registerSqliteExtensions(sqlite3* db);

// The classic pattern match: * any run of characters, ? one character, # one
// digit, [abc] / [a-z] one character of a set, [!abc] one character not in
// it; everything else stands for itself, compared without regard to case.
bool jetLikeMatch(QStringView pattern, QStringView value);

// The order of the collation over two UTF-8 texts: -1, 0 or 1.
// Accented letters sort beside their base letters (an accent only decides
// between texts otherwise equal); case never counts.
int compareNoCase(const char* left, int leftLength, const char* right, int rightLength);
// The same order over two texts, for lists the program keeps in the order the
// catalogue gives them.
int compareNoCase(QStringView left, QStringView right);
// The collation's first level alone: accents and case both ignored, so that
// typing "ec" finds "Éclair".
int compareNoCasePrimary(QStringView left, QStringView right);
