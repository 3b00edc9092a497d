#pragma once

#include <QString>

class Database;
class ReportWindows;
struct ReportDefinition;
struct ReportFields;

// Asks whether to replace the chosen file when it exists, calling it noun in
// the question ("file", "report file"); sets and returns ReplaceRefused (true
// when the user answered No).
bool ConfirmFileReplace(const QString& path, const QString& noun = QStringLiteral("file"));

// Produces a custom report from its definition on the open catalogue: to
// the preview, a text file or an HTML page, as the definition's destination
// says. A definition that cannot run (nothing chosen, every field hidden, a
// bound that is not a number) is refused with a message before anything is
// asked or written; a query without rows says so and shows no preview.
// Database and file failures go to the shared error routine. The definition
// is not changed.
void GenerateReport(const ReportDefinition& report, const ReportFields& fields, Database& db,
                    ReportWindows& windows);
