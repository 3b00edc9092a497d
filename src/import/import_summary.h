#pragma once

#include "import/book_import.h"

#include <QStringList>

// What an import found and did, in words, for the command line and the
// closing message.

// "Title <- Title", one line per field: the column each field is taken from,
// or "(nothing)".
QStringList mappingLines(const ColumnMapping& mapping);

// The format, encoding and mapping of the file, then the counts and the first
// refused rows with their lines.
QStringList planLines(const BookImport& import, const ImportPlan& plan);

// "12 books added, 3 skipped as already present, 1 refused." and where the
// refused rows went.
QString resultText(const ImportResult& result);
