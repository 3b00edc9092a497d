#pragma once

#include "custom_reports/field_catalogue_source.h"

#include <QList>
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

// The catalogue rows of one program key, as the report designer uses them.
struct ReportFields
{
    QString programKey;
    qint16 MaxSpecID = 0;     // the highest specid of the key; 0 when it has no rows
    QList<FieldSpecRow> rows; // every row whose usewith contains the key, in Desc order

    // The row of a field; nullptr when the key has none with this specid.
    const FieldSpecRow* find(qint16 specid) const;
    // The rows offered as sort keys (not long text), in Desc order.
    QList<FieldSpecRow> sortChoices() const;
};

// Reads the rows whose usewith contains key. Rows without a specid of 1 or
// more cannot carry settings and are left out; an empty Desc is read as the
// empty text, a datatype outside 1 to 5 as text, an empty IsCurrency as No.
// Throws DbError.
ReportFields readReportFields(Database& fieldCatalogue, const QString& key);

// True when some row's usewith is exactly key (report files name their key).
bool isKnownProgramKey(Database& fieldCatalogue, const QString& key);

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
