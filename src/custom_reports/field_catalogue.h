#pragma once

#include <QString>
#include <memory>

class Database;

// The field catalogue rptspec.mdb (table RptSpec) tells the search window and
// the report designer which fields they offer. The program only reads it.

inline const QString FieldCatalogueFileName = QStringLiteral("rptspec.mdb");

// The copy in dataDir when there is one (a user may keep their own beside the
// catalogue), otherwise the one shipped beside the program; empty when neither
// exists.
QString locateFieldCatalogue(const QString& dataDir, const QString& programDir);

// The same for this run: catalogueState().DataDir and the program's folder.
QString locateFieldCatalogue();

// Opens the field catalogue of this run shared (read-only). Throws DbError
// (3024, naming the file in the data folder) when there is none.
std::unique_ptr<Database> openFieldCatalogue();

class Recordset;
struct FieldSpecRow;

// The statement that gives the fields of one program key whose usewith is
// exactly the key, in specid order: the search window's field list. The key
// is written as a quoted literal.
QString fieldsOfKeyQuery(const QString& programKey);

// The current row of a snapshot over RptSpec as a FieldSpecRow. Null numbers
// read as 0 and Null texts as empty; ismemo stays empty when it is Null.
FieldSpecRow readFieldSpec(const Recordset& row);

// The two columns a lookup field is joined on, from its linkfield: either one
// name both tables carry, or "BooksColumn;LookupColumn".
struct LinkColumns
{
    QString booksColumn;  // the first ";"-part, or the whole text without ";"
    QString lookupColumn; // the second part when there are exactly two, else the whole text
};
LinkColumns linkColumns(const QString& linkfield);
