#pragma once

#include <QList>
#include <QString>
#include <optional>

// The readable source of the field catalogue (data/rptspec.csv) and how it is
// turned into rptspec.mdb. Used by the build tool and by the tests that check
// every shipped field against a real catalogue.

// One row of RptSpec; the meaning of each column is that of the table.
struct FieldSpecRow
{
    qint16 specid = 0;
    QString usewith;                // program key(s) the field belongs to
    QString desc;                   // the field's name for the user
    QString fieldname;              // the SQL expression that yields the value
    qint16 datatype = 1;            // 1 text, 2 number, 3 date, 4 yes/no, 5 time
    QString fileName;               // the table holding the field
    QString linkfield;              // "Col" or "BooksCol;LookupCol"; empty for the base table
    std::optional<bool> ismemo;     // empty counts as memo for the readers
    std::optional<double> defwidth; // empty means 1
    bool isCurrency = false;
};

struct FieldCatalogueSource
{
    QList<FieldSpecRow> rows;
    QString error; // empty when the whole file was read
};

// Reads the CSV source: a header line naming the columns (any order, names
// as in RptSpec), then one line per field. Values may be quoted with double
// quotes ("" inside stands for one); yes/no values are true/false, yes/no or
// 1/0. Stops at the first bad line and says which and why.
FieldCatalogueSource readFieldCatalogueSource(const QString& csvPath);

// Writes rows as table RptSpec of a new database at mdbPath, replacing any
// file there only once the new one is complete. Throws DbError.
void writeFieldCatalogue(const QList<FieldSpecRow>& rows, const QString& mdbPath);
