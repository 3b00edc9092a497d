#pragma once

#include <QString>

// Field splitting shared by the whole program. All compare exactly
// (case-sensitive).

// 0 for the empty text; 1 when the delimiter does not occur; otherwise the
// number of occurrences plus 1.
qint16 CountFields(const QString& text, const QString& delimiter);

// The n-th field (from 1) of text split at delimiter, untrimmed; empty when
// there are fewer than n - 1 delimiters.
QString GetField(const QString& text, const QString& delimiter, int n);

// Every occurrence of search replaced, scanning left to right and resuming
// after each inserted replacement.
QString ReplaceText(const QString& text, const QString& search, const QString& replacement);
