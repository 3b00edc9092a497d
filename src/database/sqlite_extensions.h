#pragma once

#include <QStringView>

struct sqlite3;

// Registers on a connection what the classic dialect needs of it:
//  - the NOCASE collation, replaced by one that ignores case for every
//    language (É equals é), while ordering ASCII text exactly as SQLite's own
//    NOCASE does, so other SQLite tools still read the file consistently;
//  - like(pattern, value) with the classic wildcards, also without regard to
//    case; Null in gives Null out.
// Returns SQLite's result code.
int registerSqliteExtensions(sqlite3* db);

// The classic pattern match: * any run of characters, ? one character, # one
// digit, [abc] / [a-z] one character of a set, [!abc] one character not in
// it; everything else stands for itself, compared without regard to case.
bool jetLikeMatch(QStringView pattern, QStringView value);

// The order of the NOCASE collation over two UTF-8 texts: negative, 0 or
// positive.
int compareNoCase(const char* left, int leftLength, const char* right, int rightLength);
