#pragma once

#include <QString>
#include <memory>

class Database;

// The field catalogue rptspec.mdb (table RptSpec) tells the search window and
// the report designer which fields they offer. The program only reads it.

inline const QString FieldCatalogueFileName = QStringLiteral("rptspec.mdb");

// The copy in dataDir when there is one (a user may keep their own beside the
// catalogue), otherwise the one shipped with the program (see
// common/shipped_files.h); empty when neither exists.
QString locateFieldCatalogue(const QString& dataDir, const QString& programDir);

// The same for this run: catalogueState().DataDir and the program's folder.
QString locateFieldCatalogue();

// Opens the field catalogue of this run shared (read-only). Throws DbError
// (3024, naming the file in the data folder) when there is none.
std::unique_ptr<Database> openFieldCatalogue();
