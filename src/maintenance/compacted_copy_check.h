#pragma once

#include <QString>

// Whether copy holds everything original holds: the copy is as long as its
// header says, passes SQLite's integrity check (its quick form) and has the
// same tables with the same number of rows in each. Returns what is wrong, or an empty text when the copy is
// good. Both files must be closed.
QString checkCompactedCopy(const QString& original, const QString& copy);
